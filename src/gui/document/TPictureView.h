#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

#include "document/PlotDocument.h"
#include "platform/Bitmap.h"
#include "platform/RasterCanvas.h"

namespace curvana {

// The client area of a document window: the document paints into a raster (the window's own
// backing store) that covers the visible part of the area, and the widget shows that raster. The
// widget is as large as the document's client area; a scroll area around it shows the rest.
class TPictureView : public QWidget {
    Q_OBJECT
  public:
    explicit TPictureView(PlotDocument& doc, QWidget* parent = nullptr);

    // Takes the size of the document's client area.
    void FitToDocument();
    // Paints the whole visible part again from the document (its FormPaint) and shows it.
    void Repaint();

    // The raster and where it lies in the client area.
    const Bitmap& Raster() const { return raster_; }
    QRect RasterRect() const { return rasterRect_; }
    // The colour shown at a client position (black outside the raster), for tests and hints.
    TColor ClientPixel(int x, int y) const;

    // Redraws what an edit changed at once and shows it.
    void Show(const DisplayChange& change);
    // Lets a step draw straight onto the raster kept from the last paint (made first if there is
    // none yet); the step tells which part of the canvas it changed, and only that part is shown
    // anew.
    void DrawNowChanged(const std::function<TRect(DocumentView&)>& step);

    // Where the mouse and wheel events of the client area go, in client pixels.
    std::function<void(QMouseEvent&)> MousePressed, MouseMoved, MouseReleased;
    std::function<void(QWheelEvent&)> WheelTurned;
    // Keys the document uses; false passes the key on.
    std::function<bool(QKeyEvent&)> KeyPressed;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QRect VisibleArea() const;
    void Render(const QRect& area);

    PlotDocument& doc_;
    Bitmap raster_;
    std::unique_ptr<RasterCanvas> canvas_;
    QRect rasterRect_;
    bool dirty_ = true;
};

}  // namespace curvana
