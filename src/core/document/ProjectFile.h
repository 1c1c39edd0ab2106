#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>

#include "document/PlotDocument.h"
#include "platform/FileBytes.h"

namespace curvana {

// A project file that cannot be read, with the message the program shows.
class ProjectError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Writes the whole document as a project: plot type (the program's current choice), zoom level,
// box corners, scale values, series, single markers, the picture's size and zoom level again, and
// the picture as a BMP file. Series names are stored in Windows-1252; when one has a character that
// set lacks, an extension block with the names whole in UTF-8 follows the BMP data; a calibration
// method other than the default one is recorded there too. A default project has no such block.
void WriteProject(const PlotDocument& doc, std::ostream& out);

// Writes the project to path all at once (an existing file is replaced only by a complete one) and
// clears Modified. A failure throws std::system_error with the file system's text and leaves the
// old file and Modified as they were.
void SaveToFile(PlotDocument& doc, const std::string& path);

// Reads a project into a new document, field by field. A file that cannot be read throws
// ProjectError with a short reason and leaves nothing behind. A plot type code of 1 to 4 becomes the
// program's chosen plot type (before anything else can fail, as the choice of a damaged file stays).
std::unique_ptr<PlotDocument> ReadProject(std::span<const std::uint8_t> data);
// The same from a file's whole content; the picture may keep its rows in the file's buffer.
std::unique_ptr<PlotDocument> ReadProject(const FileBytes& file);

// Reads the project file at path; every failure throws ProjectError with the message
// "File " + file name + " is corrupted.". Caption and DocumentFolder come from the path.
std::unique_ptr<PlotDocument> LoadProjectFile(const std::string& path);

}  // namespace curvana
