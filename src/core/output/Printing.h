#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/PlotDocument.h"
#include "platform/Canvas.h"

namespace curvana {

// A print job as the printing code sees it: pages of a fixed printable size in device pixels, a
// canvas for the current page, and text in the job's font.
class PrintSurface {
  public:
    virtual ~PrintSurface() = default;
    virtual std::int64_t PageWidth() const = 0;
    virtual std::int64_t PageHeight() const = 0;
    virtual Canvas& PageCanvas() = 0;
    virtual void TextOut(std::int64_t x, std::int64_t y, const std::string& text) = 0;
    virtual std::int64_t TextHeight(const std::string& text) = 0;
    virtual void NewPage() = 0;
};

// The scale that fits a width x height picture into the printable area, keeping its aspect ratio.
double PrintScale(std::int64_t width, std::int64_t height, std::int64_t pageWidth, std::int64_t pageHeight);

// The caption line above the printed listing.
extern const char* const kPrintCaption;

// Prints the document: page 1 the picture stretched into (0, 0) - (trunc(W * s), trunc(H * s)) with
// the box, the single markers and the series drawn over it at scale s and marker size
// Round(MSize * s); page 2 the caption at (50, 40) and the listing lines below it, each line one text
// height below the one before. Lines that would run past the bottom of the page continue at y = 40
// on a new page. MSize is the same afterwards whether printing succeeds or throws.
void PrintDocument(PlotDocument& doc, const std::vector<std::string>& listing, PrintSurface& surface);

}  // namespace curvana
