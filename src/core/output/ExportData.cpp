#include "output/ExportData.h"

#include <bit>
#include <cstdint>
#include <string_view>

#include "platform/AtomicFile.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "platform/Windows1252.h"

namespace curvana {

const char* const kExportDialogFilter =
    "Excel (*.xls)|*.xls|Text (*.txt)|*.txt|Comma Delimited Text (*.csv)|*.csv|Tab Delimited Text "
    "(*.txt)|*.txt";

namespace {

std::string TrimLeadingControls(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 32)
        ++i;
    return std::string(text.substr(i));
}

const std::string& Cell(const ExportTable& table, std::size_t row, int column) {
    static const std::string empty;
    const auto& cells = column == 0 ? table.column1 : table.column2;
    return row < cells.size() ? cells[row] : empty;
}

// BIFF record writing: every integer little-endian.
class BiffWriter {
  public:
    explicit BiffWriter(std::ostream& out) : out_(out) {}

    void Word(std::uint16_t value) {
        Byte(std::uint8_t(value));
        Byte(std::uint8_t(value >> 8));
    }
    void Byte(std::uint8_t value) { out_.put(char(value)); }
    void Bytes(std::string_view bytes) { out_.write(bytes.data(), std::streamsize(bytes.size())); }
    void Header(std::uint16_t type, std::uint16_t length) {
        Word(type);
        Word(length);
    }
    // Row, column and the three attribute bytes that begin every cell record.
    void CellHeader(std::uint16_t type, std::uint16_t length, std::uint16_t row, std::uint16_t column) {
        Header(type, length);
        Word(row);
        Word(column);
        Byte(0);
        Byte(0);
        Byte(0);
    }

  private:
    std::ostream& out_;
};

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kBlank = 0x0001;
constexpr std::uint16_t kNumber = 0x0003;
constexpr std::uint16_t kLabel = 0x0004;
constexpr std::uint16_t kEof = 0x000A;

// The label's bytes: the text in Windows-1252, "?" for each character that set lacks, cut to at most
// kMaxLabelBytes characters.
std::string LabelText(std::string_view text) {
    std::string bytes = ToWindows1252(text);
    if (bytes.size() > kMaxLabelBytes) bytes.resize(kMaxLabelBytes);
    return bytes;
}

void WriteCell(BiffWriter& w, std::uint16_t row, std::uint16_t column, const std::string& text) {
    double value = 0;
    if (text.empty()) {
        w.CellHeader(kBlank, 7, row, column);
    } else if (TryStrToFloat(text, value)) {
        w.CellHeader(kNumber, 15, row, column);
        auto bits = std::bit_cast<std::uint64_t>(value);
        for (int i = 0; i < 8; ++i)
            w.Byte(std::uint8_t(bits >> (8 * i)));
    } else {
        const std::string label = LabelText(text);
        w.CellHeader(kLabel, std::uint16_t(label.size() + 8), row, column);
        w.Byte(std::uint8_t(label.size()));
        w.Bytes(label);
    }
}

void CheckWorksheetRows(const ExportTable& table) {
    if (table.column1.size() > kMaxWorksheetRows)
        throw ExportError("The data listing has " + std::to_string(table.column1.size()) +
                          " lines, but an Excel worksheet holds at most " +
                          std::to_string(kMaxWorksheetRows) +
                          " rows. Export the data as text (.txt or .csv) instead.");
}

}  // namespace

ExportTable SplitListing(const std::vector<std::string>& lines) {
    ExportTable table;
    table.column1.reserve(lines.size());
    table.column2.reserve(lines.size());
    for (const std::string& line : lines) {
        std::size_t p = line.find(" , ");
        if (p == std::string::npos) {
            table.column1.push_back(line);
            table.column2.emplace_back();
        } else {
            std::string_view view(line);
            table.column1.push_back(TrimLeadingControls(view.substr(0, p)));
            table.column2.push_back(TrimLeadingControls(view.substr(p + 2)));
        }
    }
    return table;
}

std::string ExportExtension(int filterIndex) {
    switch (filterIndex) {
        case ExportFilterExcel:
            return ".xls";
        case ExportFilterText:
        case ExportFilterTab:
            return ".txt";
        case ExportFilterCsv:
            return ".csv";
        default:
            return "";
    }
}

std::string ExportFileName(const std::string& name, int filterIndex) {
    return StripExt(ExtractFileName(name)) + ExportExtension(filterIndex);
}

void WriteXls(const ExportTable& table, std::ostream& out) {
    CheckWorksheetRows(table);
    BiffWriter w(out);
    w.Header(kBof, 8);
    w.Word(0x0500);
    w.Word(0x0001);
    w.Word(0);
    w.Word(0);
    w.Header(kDimensions, 10);
    for (int i = 0; i < 5; ++i)
        w.Word(0);
    for (std::size_t r = 0; r < table.column1.size(); ++r)
        for (int k = 0; k < 2; ++k)
            WriteCell(w, std::uint16_t(r), std::uint16_t(k), Cell(table, r, k));
    w.Header(kEof, 0);
}

void WriteText(const ExportTable& table, std::ostream& out, char separator) {
    for (std::size_t r = 0; r < table.column1.size(); ++r) {
        for (int k = 0; k < 2; ++k) {
            const std::string& t = Cell(table, r, k);
            if (t.empty() || t == " ") continue;
            out << t;
            if (k == 0 && !Cell(table, r, 1).empty()) out << separator;
        }
        out << "\r\n";
    }
}

void ExportXls(const ExportTable& table, const std::string& path) {
    CheckWorksheetRows(table);  // before any file is made
    WriteFileAtomically(path, [&](std::ostream& out) { WriteXls(table, out); });
}

void ExportText(const ExportTable& table, const std::string& path, char separator) {
    WriteFileAtomically(path, [&](std::ostream& out) { WriteText(table, out, separator); });
}

void ExportSpaceText(const ExportTable& table, const std::string& path) {
    ExportText(table, path, ' ');
}
void ExportCommaText(const ExportTable& table, const std::string& path) {
    ExportText(table, path, ',');
}
void ExportTabText(const ExportTable& table, const std::string& path) {
    ExportText(table, path, '\t');
}

bool ExportWithFilter(int filterIndex, const ExportTable& table, const std::string& path) {
    switch (filterIndex) {
        case ExportFilterExcel:
            ExportXls(table, path);
            return true;
        case ExportFilterText:
            ExportSpaceText(table, path);
            return true;
        case ExportFilterCsv:
            ExportCommaText(table, path);
            return true;
        case ExportFilterTab:
            ExportTabText(table, path);
            return true;
        default:
            return false;
    }
}

}  // namespace curvana
