#include "document/PictureFormats.h"

#include <algorithm>
#include <new>

#include "gif/GifBitmap.h"
#include "platform/BmpReader.h"
#include "platform/JpegReader.h"
#include "platform/Paths.h"
#include "platform/PngReader.h"
#include "platform/TiffReader.h"
#include "platform/WebpReader.h"

namespace curvana {

namespace {

const std::vector<PictureFormat>& Table() {
    static const std::vector<PictureFormat> formats = {
        {FileKind::Bitmap,
         "Bitmap",
         {".bmp"},
         "Bitmap Files (*.bmp)|*.bmp",
         "Invalid Bitmap Format.",
         [](const std::string& path, const PageChoice&) { return ReadBmpFile(path); }},
        {FileKind::Jpeg,
         "JPEG",
         {".jpg", "jpeg"},
         "JPEG Files (*.jpg; *.jpeg)|*.jpg;*.jpeg",
         "Invalid JPEG Format.",
         [](const std::string& path, const PageChoice&) { return ReadJpegFile(path); }},
        {FileKind::Gif,
         "Gif",
         {".gif"},
         "Gif Files (*.gif)|*.gif",
         "Invalid Gif Format.",
         [](const std::string& path, const PageChoice&) { return ReadGifFile(path); }},
        {FileKind::Png,
         "PNG",
         {".png"},
         "PNG Files (*.png)|*.png",
         "Invalid PNG Format.",
         [](const std::string& path, const PageChoice&) { return ReadPngFile(path); }},
        {FileKind::Tiff,
         "TIFF",
         {".tif", "tiff"},
         "TIFF Files (*.tif; *.tiff)|*.tif;*.tiff",
         "Invalid TIFF Format.",
         [](const std::string& path, const PageChoice& c) { return ReadTiffFile(path, c.page); },
         TiffFilePageCount,
         true,
         false},
        {FileKind::Webp,
         "WebP",
         {"webp"},
         "WebP Files (*.webp)|*.webp",
         "Invalid WebP Format.",
         [](const std::string& path, const PageChoice&) { return ReadWebpFile(path); }},
        {FileKind::Pdf,
         "PDF",
         {".pdf"},
         "PDF Files (*.pdf)|*.pdf",
         "Invalid PDF Format.",
         [](const std::string& path, const PageChoice& c) { return ReadPdfFile(path, c.page, c.dpi); },
         PdfFilePageCount,
         true,
         true},
    };
    return formats;
}

// Runs one of a format's readers, turning every failure into the format's message and its reason.
template <typename Read>
auto Reading(const PictureFormat& format, Read read) {
    try {
        return read();
    } catch (const std::runtime_error& e) {  // every reader's failure, file system errors included
        throw OpenError(format.message, e.what());
    } catch (const std::bad_alloc&) {
        throw OpenError(format.message, "not enough memory");
    }
}

}  // namespace

std::span<const PictureFormat> PictureFormats() {
    return Table();
}

const PictureFormat* PictureFormatOf(FileKind kind) {
    for (const PictureFormat& f : Table())
        if (f.kind == kind) return &f;
    return nullptr;
}

const PictureFormat* PictureFormatOf(std::string_view path) {
    const std::string key = OpenTypeKey(path);
    for (const PictureFormat& f : Table())
        if (std::find(f.typeKeys.begin(), f.typeKeys.end(), key) != f.typeKeys.end()) return &f;
    return nullptr;
}

std::string PicturePatterns() {
    std::string patterns;
    for (const PictureFormat& f : Table())
        patterns += (patterns.empty() ? "" : ";") + f.filter.substr(f.filter.find('|') + 1);
    return patterns;
}

std::string OpenDialogFilter() {
    std::string filter = "Curvana Files (*.cvn)|*.cvn|";
    for (const PictureFormat& f : Table())
        filter += f.filter + "|";
    return filter + "All Pictures|" + PicturePatterns() + "|All Files (*.*)|*.*";
}

int PicturePageCount(const std::string& path, FileKind kind) {
    const PictureFormat* format = PictureFormatOf(kind);
    if (!format) throw OpenError("Not a picture file.");
    if (!format->pageCount) return 1;
    return Reading(*format, [&] { return format->pageCount(path); });
}

Bitmap ReadPictureFile(const std::string& path, FileKind kind, const PageChoice& choice) {
    const PictureFormat* format = PictureFormatOf(kind);
    if (!format) throw OpenError("Not a picture file.");
    if (!format->hasPages && choice.page != 1)
        throw OpenError(format->message, "the picture has one page only");
    Bitmap picture = Reading(*format, [&] { return format->decode(path, choice); });
    if (picture.Empty()) throw OpenError(format->message, "the file holds no picture");
    return picture;
}

}  // namespace curvana
