#include <QApplication>
#include <QLocale>

#include "app/ImageList.h"
#include "app/QtDialogs.h"
#include "app/QtSettingsStore.h"
#include "app/TMainForm.h"
#include "platform/NumberText.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Curvana");
    QApplication::setApplicationDisplayName("Curvana");
    QApplication::setOrganizationName("Morvane");
    QApplication::setWindowIcon(curvana::ProgramIcon());
    // The desktop entry it is installed with: desktops take the icon and name shown for the
    // program's windows from it.
    QGuiApplication::setDesktopFileName("com.morvane.Curvana");
    // Numbers are written and read with the user's decimal separator.
    curvana::SetDecimalSeparator(QLocale().decimalPoint().toStdString());

    curvana::QtDialogs dialogs;
    curvana::QtSettingsStore settings;
    curvana::TMainForm form(dialogs, settings);
    // curvana FILE...: the files open once the window shows (Qt's own options are taken out already).
    form.OpenStartupFiles(QApplication::arguments().mid(1));
    form.show();
    return app.exec();
}
