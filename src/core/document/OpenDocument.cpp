#include "document/OpenDocument.h"

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
