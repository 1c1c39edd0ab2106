#include "app/TMainForm.h"

#include <QGuiApplication>
#include <QScreen>

namespace curvana {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Curvana");
    // Design placement: 696 by 480, centred on the screen.
    resize(696, 480);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

}  // namespace curvana
