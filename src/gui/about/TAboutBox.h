#pragma once

#include <QDialog>

class QLabel;

namespace curvana {

class TDigitizeAnimation;

// The About box: the program's name, its version, the logo and a small moving picture.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Logo;
    TDigitizeAnimation* Animation;
};

}  // namespace curvana
