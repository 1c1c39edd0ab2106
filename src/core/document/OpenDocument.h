#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "document/PictureFormats.h"
#include "document/PlotDocument.h"

namespace curvana {

// What a file is opened as: a project by the type key ".cvn", a picture by its format's type keys.
FileKind KindOfFile(std::string_view path);

// The document goes by the file at path: its name (the caption) and its folder. Done when the
// document is opened, and after every successful save to a project file, so that the window title,
// the closing prompt, the recent files and later saves follow the file last written.
void TakeFileName(PlotDocument& doc, const std::string& path);

// A new document for a picture file: caption and folder from the path, the picture decoded, the
// zoomed display built and the calibration box at 10 % and 90 % of the picture; not modified. The
// page and resolution are those of formats that have them.
std::unique_ptr<PlotDocument> OpenPictureDocument(const std::string& path, const PageChoice& choice = {});

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
