#pragma once

#include <cstddef>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace curvana {

// Export of the data listing to a file. Every value leaves the program as the listing shows it:
// the writers work from the listing's text and never format a number again.

// The listing split into two columns, one row per listing line.
struct ExportTable {
    std::vector<std::string> column1;
    std::vector<std::string> column2;
};

// Splits each line at its first " , ": the part before it and the part after the comma, each with
// its leading characters of codes 0 to 32 removed. A line without " , " goes whole and untrimmed
// into column 1, with an empty column 2.
ExportTable SplitListing(const std::vector<std::string>& lines);

// The save dialog's formats, numbered as its filter entries (the first is 1).
enum ExportFilterIndex : int {
    ExportFilterExcel = 1,  // Excel worksheet, ".xls"
    ExportFilterText = 2,   // text, values separated by a space, ".txt"
    ExportFilterCsv = 3,    // comma-delimited text, ".csv"
    ExportFilterTab = 4,    // tab-delimited text, ".txt"
};

// The save dialog's filter text, entries in the order above.
extern const char* const kExportDialogFilter;

// The default extension of a filter index (".xls", ".txt", ".csv", ".txt"); empty outside 1 to 4.
std::string ExportExtension(int filterIndex);

// The file name the save dialog proposes: the file-name part of `name` without an extension of at
// most three characters, then the filter's extension ("graph.bmp" gives "graph.xls"; "graph.jpeg"
// gives "graph.jpeg.xls").
std::string ExportFileName(const std::string& name, int filterIndex);

// An export that cannot be written as asked (the listing does not fit a worksheet).
struct ExportError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A worksheet has rows 0 to 65,535; a label holds at most 255 bytes.
inline constexpr std::size_t kMaxWorksheetRows = 65536;
inline constexpr std::size_t kMaxLabelBytes = 255;

// The worksheet bytes (BIFF records BOF, DIMENSIONS, one cell record per table cell, EOF). A cell
// that reads as a number becomes a NUMBER cell, an empty one a BLANK cell, any other a LABEL: its
// text in Windows-1252 (one byte per character, "?" for a character that set lacks), cut to 255
// bytes. Throws ExportError, before writing anything, for a table of more than kMaxWorksheetRows
// rows.
void WriteXls(const ExportTable& table, std::ostream& out);

// The text file bytes: per row the non-blank cells, the separator between two filled cells, and
// CR LF. A cell holding nothing or a single space is left out.
void WriteText(const ExportTable& table, std::ostream& out, char separator);

// The writers to a file. The file is replaced only by a complete export: a failure leaves an
// existing file of that name as it was and no partial file. Failures throw ExportError (the
// listing does not fit the format) or std::system_error with the file system's text.
void ExportXls(const ExportTable& table, const std::string& path);
void ExportText(const ExportTable& table, const std::string& path, char separator);
void ExportSpaceText(const ExportTable& table, const std::string& path);
void ExportCommaText(const ExportTable& table, const std::string& path);
void ExportTabText(const ExportTable& table, const std::string& path);

// Writes the table with the writer of a filter index. An index outside 1 to 4 writes nothing and
// gives false.
bool ExportWithFilter(int filterIndex, const ExportTable& table, const std::string& path);

}  // namespace curvana
