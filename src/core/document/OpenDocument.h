#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "document/PlotDocument.h"

namespace curvana {

// What a file is opened as, decided by its type key (the last four characters, lower-cased).
enum class FileKind { Unknown, Project, Bitmap, Jpeg, Gif };
FileKind KindOfFile(std::string_view path);

// A picture that cannot be decoded, with the message the program shows: "Invalid Bitmap Format.",
// "Invalid Gif Format." or "Invalid JPEG Format.".
class OpenError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Decodes a picture file of the given kind; any failure throws OpenError with its message. A
// picture without pixels (a GIF without frames) counts as a failure.
Bitmap ReadPictureFile(const std::string& path, FileKind kind);

// The document goes by the file at path: its name (the caption) and its folder. Done when the
// document is opened, and after every successful save to a project file, so that the window title,
// the closing prompt, the recent files and later saves follow the file last written.
void TakeFileName(PlotDocument& doc, const std::string& path);

// A new document for a picture file: caption and folder from the path, the picture decoded, the
// zoomed display built and the calibration box at 10 % and 90 % of the picture; not modified.
std::unique_ptr<PlotDocument> OpenPictureDocument(const std::string& path);

// A new document for a picture that comes from no file (pasted or dropped picture data): the given
// caption and folder, the zoomed display built and the calibration box at 10 % and 90 % of the
// picture. It has never been saved, so it starts modified. An empty picture is refused with
// std::invalid_argument.
std::unique_ptr<PlotDocument> NewPictureDocument(Bitmap picture, const std::string& caption,
                                                 const std::string& folder);

// Save rules. A document is saved straight to its own file when its name ends exactly in ".cvn"
// (upper case does not count); otherwise a name is asked for, proposed as folder + name without a
// short extension + ".cvn", and a chosen path without the extension ".cvn" gets it appended.
bool IsProjectName(std::string_view name);
std::string ProposedProjectPath(const PlotDocument& doc);
std::string WithProjectExtension(const std::string& path);

}  // namespace curvana
