#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/PdfReader.h"

namespace curvana {

// What a file is opened as, decided by its type key (the last four characters, lower-cased).
enum class FileKind { Unknown, Project, Bitmap, Jpeg, Gif, Png, Tiff, Webp, Pdf };

// Which page of a picture file to decode (from 1) and, for a format drawn at a chosen resolution,
// at how many dots per inch.
struct PageChoice {
    int page = 1;
    int dpi = kPdfDefaultDpi;
};

// One picture format the program opens.
struct PictureFormat {
    FileKind kind;
    std::string name;                   // "JPEG"
    std::vector<std::string> typeKeys;  // ".jpg", "jpeg"
    std::string filter;                 // the open dialog's entry, "Description|pattern;pattern"
    std::string message;                // the one-line failure message, "Invalid JPEG Format."
    // Decodes a file; any failure throws (FormatError or a reader's own error) with a reason.
    Bitmap (*decode)(const std::string& path, const PageChoice& choice);
    // The number of pages of a file; only for formats with pages.
    int (*pageCount)(const std::string& path) = nullptr;
    bool hasPages = false;
    bool takesResolution = false;
};

// Every picture format, in the order the open dialog lists them.
std::span<const PictureFormat> PictureFormats();
// The format of a kind or of a path's type key; nullptr for projects and unknown files.
const PictureFormat* PictureFormatOf(FileKind kind);
const PictureFormat* PictureFormatOf(std::string_view path);

// The open dialog's filter: projects, each picture format, all pictures together, all files.
std::string OpenDialogFilter();
// The file name patterns of every picture format, "*.bmp;*.jpg;…".
std::string PicturePatterns();

// A picture that cannot be decoded: what() is the program's fixed message ("Invalid PNG Format.");
// Reason() is the decoder's own explanation, possibly empty.
class OpenError : public std::runtime_error {
  public:
    explicit OpenError(const std::string& message, std::string reason = {})
        : std::runtime_error(message), reason_(std::move(reason)) {}
    const std::string& Reason() const { return reason_; }

  private:
    std::string reason_;
};

// The number of pages of a picture file, 1 for a format without pages; OpenError when it cannot be
// read.
int PicturePageCount(const std::string& path, FileKind kind);

// Decodes a picture file of the given kind, the page and resolution chosen where the format has
// them; any failure throws OpenError with the format's message and the reason. A picture without
// pixels (a GIF without frames) counts as a failure, and so does a page other than 1 of a format
// without pages.
Bitmap ReadPictureFile(const std::string& path, FileKind kind, const PageChoice& choice = {});

}  // namespace curvana
