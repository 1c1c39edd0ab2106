#pragma once

#include <string>
#include <string_view>

namespace curvana {

// Path rules. "/" separates folders. Lengths count characters (UTF-8 code points), not bytes.

// The file name: everything after the last "/" (the whole path if there is none).
std::string ExtractFileName(std::string_view path);
// The folder: everything up to and including the last "/" (empty if there is none).
std::string ExtractFilePath(std::string_view path);
// The extension: from the last "." to the end when that dot lies after the last "/"; otherwise empty.
std::string ExtractFileExt(std::string_view path);
// The key that decides how a file is opened: its last four characters with A to Z lower-cased.
std::string OpenTypeKey(std::string_view path);
// The name without a short extension: when at most three characters follow the last ".", the part
// before that dot; otherwise, and when there is no dot, the name unchanged.
std::string StripExt(std::string_view name);

}  // namespace curvana
