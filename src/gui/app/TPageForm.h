#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QSpinBox;

namespace curvana {

// The Open Page dialog: which page of a picture file with several pages to open (1 to the page
// count) and, for a format drawn at a chosen resolution, at how many dots per inch.
class TPageForm : public QDialog {
    Q_OBJECT
  public:
    // dpi 0: the format takes no resolution and the dialog does not ask for one. showHelp opens the
    // dialog's help topic.
    TPageForm(int pageCount, int dpi, std::function<void()> showHelp, QWidget* parent = nullptr);

    QLabel *Label1, *Label2;
    QSpinBox *SpinEdit1, *SpinEdit2;  // the page, the resolution (nullptr without one)
    QPushButton *Button1, *Button2, *BitBtn1;

    int Page() const;
    int Dpi() const;

  private:
    std::function<void()> showHelp_;
};

}  // namespace curvana
