#include "output/Printing.h"

#include <algorithm>
#include <cmath>

#include "platform/NumberText.h"

namespace curvana {

const char* const kPrintCaption = "Curvana: data listing";

namespace {

// Sets the marker size for the time of a print job and puts it back however the job ends.
class MarkerSizeForPrinting {
  public:
    explicit MarkerSizeForPrinting(std::int32_t size) : saved_(MSize) { MSize = size; }
    ~MarkerSizeForPrinting() { MSize = saved_; }
    MarkerSizeForPrinting(const MarkerSizeForPrinting&) = delete;
    MarkerSizeForPrinting& operator=(const MarkerSizeForPrinting&) = delete;

  private:
    std::int32_t saved_;
};

constexpr std::int64_t kTextLeft = 50;
constexpr std::int64_t kTextTop = 40;

}  // namespace

double PrintScale(std::int64_t width, std::int64_t height, std::int64_t pageWidth, std::int64_t pageHeight) {
    if (width <= 0 || height <= 0) return 1.0;
    return std::min(double(pageWidth) / double(width), double(pageHeight) / double(height));
}

void PrintDocument(PlotDocument& doc, const std::vector<std::string>& listing, PrintSurface& surface) {
    const std::int64_t w = doc.Picture.Width(), h = doc.Picture.Height();
    const double s = PrintScale(w, h, surface.PageWidth(), surface.PageHeight());
    Canvas& page = surface.PageCanvas();
    page.StretchDraw({0, 0, std::int64_t(std::trunc(double(w) * s)), std::int64_t(std::trunc(double(h) * s))},
                     doc.Picture);
    {
        const auto printSize = std::int32_t(std::clamp<std::int64_t>(Round(MSize * s), 0, 1 << 20));
        MarkerSizeForPrinting size(printSize);
        doc.Box.Draw(page, 0, 0, s);
        for (auto& m : doc.SingleMarkers)
            m->Draw(page, 0, 0, s);
        for (auto& series : doc.DataSeries)
            series->Draw(page, 0, 0, s);
    }

    surface.NewPage();
    surface.TextOut(kTextLeft, kTextTop, kPrintCaption);
    std::int64_t y = kTextTop + 2 * surface.TextHeight(kPrintCaption);
    for (const std::string& line : listing) {
        const std::int64_t height = surface.TextHeight(line);
        // A line that would not fit above the bottom of the page starts a new one, unless it is
        // the first on its page (a page shorter than a line still gets it).
        if (y + height > surface.PageHeight() && y > kTextTop) {
            surface.NewPage();
            y = kTextTop;
        }
        surface.TextOut(kTextLeft, y, line);
        y += height;
    }
}

}  // namespace curvana
