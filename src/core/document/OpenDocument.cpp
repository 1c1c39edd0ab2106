#include "document/OpenDocument.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "gif/GifBitmap.h"
#include "gif/GifError.h"
#include "platform/BmpReader.h"
#include "platform/FormatError.h"
#include "platform/JpegReader.h"
#include "platform/Paths.h"

namespace curvana {

FileKind KindOfFile(std::string_view path) {
    const std::string key = OpenTypeKey(path);
    if (key == ".cvn") return FileKind::Project;
    if (key == ".bmp") return FileKind::Bitmap;
    if (key == ".jpg" || key == "jpeg") return FileKind::Jpeg;
    if (key == ".gif") return FileKind::Gif;
    return FileKind::Unknown;
}

Bitmap ReadPictureFile(const std::string& path, FileKind kind) {
    const char* message = kind == FileKind::Gif    ? "Invalid Gif Format."
                          : kind == FileKind::Jpeg ? "Invalid JPEG Format."
                                                   : "Invalid Bitmap Format.";
    Bitmap picture;
    try {
        switch (kind) {
            case FileKind::Bitmap:
                picture = ReadBmpFile(path);
                break;
            case FileKind::Jpeg:
                picture = ReadJpegFile(path);
                break;
            case FileKind::Gif:
                picture = ReadGifFile(path);
                break;
            default:
                throw OpenError(message);
        }
    } catch (const std::runtime_error&) {  // every reader's failure, file system errors included
        throw OpenError(message);
    } catch (const std::bad_alloc&) {
        throw OpenError(message);
    }
    if (picture.Empty()) throw OpenError(message);
    return picture;
}

void TakeFileName(PlotDocument& doc, const std::string& path) {
    doc.Caption = ExtractFileName(path);
    doc.DocumentFolder = ExtractFilePath(path);
}

std::unique_ptr<PlotDocument> OpenPictureDocument(const std::string& path) {
    auto doc = std::make_unique<PlotDocument>();
    TakeFileName(*doc, path);
    doc->Initialize();
    doc->Picture = ReadPictureFile(path, KindOfFile(path));
    doc->PlaceNewPicture();
    return doc;
}

std::unique_ptr<PlotDocument> NewPictureDocument(Bitmap picture, const std::string& caption,
                                                 const std::string& folder) {
    if (picture.Empty()) throw std::invalid_argument("a document needs a picture with pixels");
    auto doc = std::make_unique<PlotDocument>();
    doc->Caption = caption;
    doc->DocumentFolder = folder;
    doc->Initialize();
    doc->Picture = std::move(picture);
    doc->PlaceNewPicture();
    doc->Modified = true;
    return doc;
}

bool IsProjectName(std::string_view name) {
    return name.size() >= 4 && name.substr(name.size() - 4) == ".cvn";
}

std::string ProposedProjectPath(const PlotDocument& doc) {
    return doc.DocumentFolder + StripExt(doc.Caption) + ".cvn";
}

std::string WithProjectExtension(const std::string& path) {
    return ExtractFileExt(path) == ".cvn" ? path : path + ".cvn";
}

}  // namespace curvana
