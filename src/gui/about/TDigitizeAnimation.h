#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace curvana {

// The About box's moving picture: a marker travels along a curve on a small chart, leaving
// markers behind, while their values appear beside it. It runs only while it is shown.
class TDigitizeAnimation : public QWidget {
    Q_OBJECT
  public:
    explicit TDigitizeAnimation(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {220, 96}; }
    int Frame() const { return frame_; }
    static constexpr int kFrames = 150;  // one round, at 40 ms a frame

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    QBasicTimer timer_;
    int frame_ = 0;
};

}  // namespace curvana
