#pragma once

#include <QDialog>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "trace/Trace.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace curvana {

// A pair of up and down arrows holding a position within a range; a click moves it one step and
// stops at the limits.
class TUpDown : public QWidget {
    Q_OBJECT
  public:
    TUpDown(int minimum, int maximum, int position, QWidget* parent = nullptr);

    int Position() const { return position_; }
    // Sets the position, kept within the range; no click is reported.
    void SetPosition(int position);
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

  signals:
    // After a click has moved (or, at a limit, kept) the position.
    void Clicked();

  private:
    void Step(int by);

    int minimum_, maximum_, position_;
    QToolButton *up_, *down_;
};

// The Preferences dialog: the number of significant digits (1 to 10) and the marker size (2 to
// 20), and under "Tracing" the step, colour tolerance and largest gap of traces, each an edit
// field with its own up-down arrows that the handlers keep in step.
class TPrefForm : public QDialog {
    Q_OBJECT
  public:
    // showHelp opens the help topic of the dialog.
    explicit TPrefForm(std::function<void()> showHelp, QWidget* parent = nullptr);

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *TracingHeading;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5;
    TUpDown *UpDown1, *UpDown2, *UpDown3, *UpDown4, *UpDown5;
    QPushButton *Button1, *Button2, *BitBtn1;

    // Fills both pairs from the two values before the dialog is shown.
    void Load(std::int32_t digits, std::int32_t markerSize);
    // The values in the fields; a field that holds no whole number gives its default.
    std::int32_t Digits() const;
    std::int32_t MarkerSize() const;
    // The tracing fields, filled and read the same way.
    void LoadTracing(const TraceSettings& settings);
    TraceSettings Tracing() const;

    // tag 0: Edit1 and UpDown1; tag 1: Edit2 and UpDown2; and so on to tag 4.
    void EditChange(int tag);
    void UpDownClick(int tag);

  private:
    QLineEdit* EditOf(int tag) const;
    TUpDown* UpDownOf(int tag) const;
    std::int32_t Value(int tag) const;

    std::function<void()> showHelp_;
};

}  // namespace curvana
