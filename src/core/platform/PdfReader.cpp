#include "platform/PdfReader.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <utility>

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include "platform/FileBytes.h"
#include "platform/FormatError.h"
#include "platform/WarmHeap.h"

// Pages are rendered the way poppler's pdftoppm renders them by default: Splash with anti-aliased
// shapes and text, FreeType glyphs without hinting, thin lines as drawn, on white paper. pdftoppm
// asks for a slice of ceil(width) x ceil(height) pixels from the page's top left corner, where the
// page's size in pixels is its size in points times dpi / 72; a page whose size is no whole number
// of pixels thus gets a last, partly covered column or row, and the renderer is asked for the same.
//
// Two differences remain, both from poppler's C++ interface always clipping to the crop box: a
// page whose crop box is smaller than its media box comes out as `pdftoppm -cropbox` renders it
// (the part a viewer shows), and drawing that runs past the page's edge is cut at the edge itself
// rather than at the end of the last, partly covered pixel.

namespace curvana {

namespace {

void IgnorePopplerMessage(const std::string&, void*) {}

// poppler writes its complaints about damaged files to stderr unless given another place.
void SilencePoppler() {
    static const bool silenced = (poppler::set_debug_error_function(IgnorePopplerMessage, nullptr), true);
    (void)silenced;
}

struct OpenedPdf {
    std::unique_ptr<poppler::document> document;
    int pages = 0;
};

// Opens a PDF held in memory; the bytes must outlive the document.
OpenedPdf OpenPdf(std::span<const std::uint8_t> data) {
    SilencePoppler();
    if (data.empty()) throw FormatError("the file is empty");
    if (data.size() > std::size_t(INT_MAX))
        throw FormatError("the PDF file is too large: " + std::to_string(data.size()) + " bytes");
    OpenedPdf pdf;
    pdf.document.reset(
        poppler::document::load_from_raw_data(reinterpret_cast<const char*>(data.data()), int(data.size())));
    if (!pdf.document) throw FormatError("the file is not a PDF file or is damaged");
    if (pdf.document->is_locked()) throw FormatError("the PDF file is locked with a password");
    pdf.pages = pdf.document->pages();
    if (pdf.pages < 1) throw FormatError("the PDF file has no pages");
    return pdf;
}

// The size in pixels pdftoppm gives a page at the resolution, turned as the page says.
std::pair<double, double> PageSizeInPixels(const poppler::page& page, int dpi) {
    const poppler::rectf box = page.page_rect(poppler::crop_box);
    // Multiplied before dividing, so that a whole number of pixels stays whole (216 points at 150 dpi
    // are 450 pixels, while 216 * (150 / 72.0) is a trifle over 450).
    double width = std::ceil(box.width() * dpi / 72.0);
    double height = std::ceil(box.height() * dpi / 72.0);
    if (page.orientation() == poppler::page::landscape || page.orientation() == poppler::page::seascape)
        std::swap(width, height);
    return {width, height};
}

std::string SizeText(double width, double height) {
    return std::to_string(static_cast<long long>(width)) + " x " +
           std::to_string(static_cast<long long>(height)) + " pixels";
}

Bitmap RenderPage(const OpenedPdf& pdf, int pageNumber, int dpi) {
    if (pageNumber < 1 || pageNumber > pdf.pages)
        throw FormatError("the PDF file has no page " + std::to_string(pageNumber) + " (it has " +
                          std::to_string(pdf.pages) + (pdf.pages == 1 ? " page)" : " pages)"));
    std::unique_ptr<poppler::page> page(pdf.document->create_page(pageNumber - 1));
    if (!page) throw FormatError("page " + std::to_string(pageNumber) + " of the PDF file cannot be read");

    const auto [w, h] = PageSizeInPixels(*page, dpi);
    if (!(w >= 1 && h >= 1))
        throw FormatError("page " + std::to_string(pageNumber) + " of the PDF file has no size");
    if (w * h > double(Bitmap::kMaxPixels)) throw FormatError("picture too large: " + SizeText(w, h));
    const int width = int(w), height = int(h);

    poppler::page_renderer renderer;
    renderer.set_paper_color(0xffffffff);
    renderer.set_render_hints(poppler::page_renderer::antialiasing |
                              poppler::page_renderer::text_antialiasing);
    renderer.set_line_mode(poppler::page_renderer::line_default);
    renderer.set_image_format(poppler::image::format_bgr24);  // blue, green, red: the picture's own order
    // The bitmap (rows of whole words) with its alpha plane, and the copy that poppler hands back.
    const std::size_t rendered = Bitmap::StrideFor(width, 24) * std::size_t(height);
    poppler::image image;
    {
        const WarmHeap heap(2 * rendered + std::size_t(width) * std::size_t(height) + (std::size_t(1) << 20),
                            rendered);
        image = renderer.render_page(page.get(), dpi, dpi, 0, 0, width, height);
    }
    if (!image.is_valid() || image.width() != width || image.height() != height ||
        image.format() != poppler::image::format_bgr24)
        throw FormatError("page " + std::to_string(pageNumber) + " of the PDF file cannot be rendered");

    // The picture keeps poppler's rows where they lie when they are laid out as its own (rows of
    // whole words, top row first), which saves copying 25 MB for a Letter page at 300 dpi.
    const std::size_t stride = Bitmap::StrideFor(width, 24);
    if (std::size_t(image.bytes_per_row()) == stride) {
        auto held = std::make_shared<const poppler::image>(image);  // shares the pixels
        std::shared_ptr<std::uint8_t[]> rows(
            reinterpret_cast<std::uint8_t*>(const_cast<char*>(held->const_data())),
            [held](std::uint8_t*) mutable { held.reset(); });
        return Bitmap(width, height, PixelFormat::Rgb24(), std::move(rows), false);
    }
    Bitmap picture;
    try {
        picture = Bitmap(width, height, PixelFormat::Rgb24());
    } catch (const std::bad_alloc&) {
        throw FormatError("not enough memory for a picture of " + SizeText(w, h));
    }
    const char* source = image.const_data();
    for (int y = 0; y < height; ++y, source += image.bytes_per_row())
        std::memcpy(picture.Row(y), source, std::size_t(width) * 3);
    return picture;
}

void CheckResolution(int dpi) {
    if (dpi < kPdfMinDpi || dpi > kPdfMaxDpi)
        throw FormatError("resolution out of range: " + std::to_string(dpi) + " dots per inch (" +
                          std::to_string(kPdfMinDpi) + " to " + std::to_string(kPdfMaxDpi) + ")");
}

}  // namespace

int PdfPageCount(std::span<const std::uint8_t> data) {
    try {
        return OpenPdf(data).pages;
    } catch (const std::bad_alloc&) {
        throw FormatError("not enough memory to read the PDF file");
    }
}

Bitmap DecodePdf(std::span<const std::uint8_t> data, int page, int dpi) {
    CheckResolution(dpi);
    try {
        return RenderPage(OpenPdf(data), page, dpi);
    } catch (const std::bad_alloc&) {
        throw FormatError("not enough memory to render the PDF page");
    }
}

int PdfFilePageCount(const std::string& path) {
    return PdfPageCount(ReadPictureBytes(path).Span());
}

Bitmap ReadPdfFile(const std::string& path, int page, int dpi) {
    CheckResolution(dpi);
    return DecodePdf(ReadPictureBytes(path).Span(), page, dpi);
}

}  // namespace curvana
