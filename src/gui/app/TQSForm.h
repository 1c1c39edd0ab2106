#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

namespace curvana {

class Dialogs;
class SettingsStore;

// The Quick Start window: the six steps of digitizing a plot beside a small picture, and a check
// box that switches the window off at start-up (the setting QuickStart).
class TQSForm : public QDialog {
    Q_OBJECT
  public:
    static const char* const kInstructions;

    // Reads the picture from the resources and the check box from the settings (without creating
    // the key; a value of the wrong type is reported and leaves the box unchecked).
    TQSForm(SettingsStore& settings, Dialogs& dialogs, QWidget* parent = nullptr);

    // Stores the check box as QuickStart; called when the window has been closed.
    void StoreChoice();

    QFrame* Panel1;
    QLabel* Image1;
    QLabel* Label1;
    QCheckBox* CheckBox1;
    QPushButton* Button1;

  private:
    SettingsStore& settings_;
    Dialogs& dialogs_;
};

}  // namespace curvana
