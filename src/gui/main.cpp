#include <QApplication>

#include "app/TMainForm.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Curvana");
    QApplication::setOrganizationName("Morvane");
    curvana::TMainForm form;
    form.show();
    return app.exec();
}
