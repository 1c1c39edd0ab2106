#pragma once

#include <QFont>
#include <QPainter>
#include <QRect>
#include <memory>

#include "output/Printing.h"
#include "platform/Canvas.h"

class QPrinter;

namespace curvana {

// A canvas over a QPainter, drawing in the painter's device pixels: 1-pixel lines without the end
// point, outlined and filled rectangles, and pictures copied or stretched without smoothing.
// Coordinates far outside the device are cut to it before they reach the painter.
class PainterCanvas : public Canvas {
  public:
    // bounds: the device's drawing area; whatever lies outside it is left out.
    PainterCanvas(QPainter& painter, const QRect& bounds);

    void SetPenColor(TColor color) override { penColor_ = color; }
    TColor PenColor() const override { return penColor_; }
    void SetBrushColor(TColor color) override { brushColor_ = color; }
    TColor BrushColor() const override { return brushColor_; }
    void MoveTo(std::int64_t x, std::int64_t y) override;
    void LineTo(std::int64_t x, std::int64_t y) override;
    void Rectangle(const TRect& r) override;
    void FillRect(const TRect& r) override;
    void CopyRect(const TRect& dest, const Bitmap& source, const TRect& src) override;
    void Draw(std::int64_t x, std::int64_t y, const Bitmap& source) override;
    void StretchDraw(const TRect& dest, const Bitmap& source) override;
    void DrawSource(std::int64_t x, std::int64_t y, const PixelSource& source) override;
    void SetClip(const TRect& r) override;
    void ResetClip() override;

  private:
    QPen Pen() const;
    // The rectangle cut to a margin around the bounds; empty when nothing of it is visible.
    QRect Visible(const TRect& r) const;

    QPainter& painter_;
    QRect bounds_;
    TColor penColor_ = clBlack;
    TColor brushColor_ = clWhite;
    std::int64_t penX_ = 0, penY_ = 0;
};

// A print job on a QPrinter. Begin opens page 1; failures of the printer throw std::runtime_error.
// A job that is neither ended nor aborted when the surface goes is aborted.
class PrinterSurface : public PrintSurface {
  public:
    explicit PrinterSurface(QPrinter& printer);
    ~PrinterSurface() override;

    void Begin();
    void End();
    // Tells the printer to discard the job.
    void Abort();

    std::int64_t PageWidth() const override;
    std::int64_t PageHeight() const override;
    Canvas& PageCanvas() override;
    // Text in the program's default font at 8 points, its top-left corner at (x, y).
    void TextOut(std::int64_t x, std::int64_t y, const std::string& text) override;
    std::int64_t TextHeight(const std::string& text) override;
    void NewPage() override;

  private:
    QPrinter& printer_;
    QPainter painter_;
    std::unique_ptr<PainterCanvas> canvas_;
};

}  // namespace curvana
