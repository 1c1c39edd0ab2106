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
    if (OpenTypeKey(path) == ".cvn") return FileKind::Project;
    const PictureFormat* format = PictureFormatOf(path);
    return format ? format->kind : FileKind::Unknown;
}

void TakeFileName(PlotDocument& doc, const std::string& path) {
    doc.Caption = ExtractFileName(path);
    doc.DocumentFolder = ExtractFilePath(path);
}

std::unique_ptr<PlotDocument> OpenPictureDocument(const std::string& path, const PageChoice& choice) {
    auto doc = std::make_unique<PlotDocument>();
    TakeFileName(*doc, path);
    doc->Initialize();
    doc->Picture = ReadPictureFile(path, KindOfFile(path), choice);
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
    doc->MarkNeverSaved();
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
