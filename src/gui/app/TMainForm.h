#pragma once

#include <QMainWindow>

namespace curvana {

// The frame of the program: menus, tool bar, side panel, status bar and the document windows.
class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    explicit TMainForm(QWidget* parent = nullptr);
};

}  // namespace curvana
