#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <sstream>
#include <system_error>

#include "output/ExportData.h"
#include "platform/NumberText.h"
#include "support/FileTestSupport.h"

namespace curvana {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// BOF and DIMENSIONS open every worksheet, EOF ends it.
const std::string kHead =
    Bytes({0x09, 0x08, 0x08, 0x00, 0x00, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,  //
           0x00, 0x02, 0x0A, 0x00, 0,    0,    0,    0,    0,    0,    0,    0,    0, 0});
const std::string kEof = Bytes({0x0A, 0x00, 0x00, 0x00});

std::string Blank(std::uint8_t row, std::uint8_t column) {
    return Bytes({0x01, 0x00, 0x07, 0x00, row, 0x00, column, 0x00, 0x00, 0x00, 0x00});
}
// A NUMBER record; `value` is the double's eight bytes, least significant first.
std::string Number(std::uint8_t row, std::uint8_t column, std::initializer_list<std::uint8_t> value) {
    return Bytes({0x03, 0x00, 0x0F, 0x00, row, 0x00, column, 0x00, 0x00, 0x00, 0x00}) + Bytes(value);
}

std::string Xls(const std::vector<std::string>& listing) {
    std::ostringstream out;
    WriteXls(SplitListing(listing), out);
    return out.str();
}

std::string Text(const std::vector<std::string>& listing, char separator) {
    std::ostringstream out;
    WriteText(SplitListing(listing), out, separator);
    return out.str();
}

TEST(ExportDataTest, SplitListingCutsAtTheFirstSpaceCommaSpace) {
    const struct {
        const char *line, *column1, *column2;
    } cases[] = {
        {"1.5 , 2", "1.5", "2"},
        {" ", " ", ""},                                  // the line after a series stays as it is
        {"  Single Markers ", "  Single Markers ", ""},  // no " , ": not trimmed
        {"a , b , c", "a", "b , c"},
        {"\t 7 ,  \x01\x1F 8 ", "7", "8 "},  // leading controls and blanks go, trailing ones stay
        {"a, b", "a, b", ""},
        {" , ", "", ""},
    };
    for (const auto& c : cases) {
        ExportTable t = SplitListing({c.line});
        EXPECT_EQ(t.column1, std::vector<std::string>{c.column1}) << c.line;
        EXPECT_EQ(t.column2, std::vector<std::string>{c.column2}) << c.line;
    }
}

TEST(ExportDataTest, ProposedFileNames) {
    const struct {
        const char* name;
        int filter;
        const char* proposed;
    } cases[] = {
        {"graph.bmp", ExportFilterExcel, "graph.xls"},
        {"graph.bmp", ExportFilterText, "graph.txt"},
        {"graph.jpeg", ExportFilterExcel, "graph.jpeg.xls"},
        {"graph.xls", ExportFilterCsv, "graph.csv"},
        {"graph.data", ExportFilterCsv, "graph.data.csv"},
        {"/u/graph.csv", ExportFilterTab, "graph.txt"},
        {"graph.bmp", 5, "graph"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExportFileName(c.name, c.filter), c.proposed) << c.name << " " << c.filter;
}

TEST(ExportDataTest, WorksheetsByteForByte) {
    const struct {
        const char* what;
        std::vector<std::string> listing;
        std::string bytes;
    } cases[] = {
        {"empty listing: 30 bytes", {}, kHead + kEof},
        {"series S1",
         {"S1", "1.5 , 2", "3 , 4", " "},
         kHead + Bytes({0x04, 0x00, 0x0A, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x02, 'S', '1'}) + Blank(0, 1) +
             Number(1, 0, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}) + Number(1, 1, {0, 0, 0, 0, 0, 0, 0x00, 0x40}) +
             Number(2, 0, {0, 0, 0, 0, 0, 0, 0x08, 0x40}) + Number(2, 1, {0, 0, 0, 0, 0, 0, 0x10, 0x40}) +
             Bytes({0x04, 0x00, 0x09, 0x00, 3, 0, 0, 0, 0, 0, 0, 0x01, ' '}) + Blank(3, 1) + kEof},
        {"a series named 12 is a number",
         {"12"},
         kHead + Number(0, 0, {0, 0, 0, 0, 0, 0, 0x28, 0x40}) + Blank(0, 1) + kEof},
        {"sign and exponent",
         {"-0.25 , 1E-5"},
         kHead + Number(0, 0, {0, 0, 0, 0, 0, 0, 0xD0, 0xBF}) +
             Number(0, 1, {0xF1, 0x68, 0xE3, 0x88, 0xB5, 0xF8, 0xE4, 0x3E}) + kEof},
        {"text that is no number is a label",
         {"NAN , 1.5x"},
         kHead + Bytes({0x04, 0x00, 0x0B, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x03, 'N', 'A', 'N'}) +
             Bytes({0x04, 0x00, 0x0C, 0x00, 0, 0, 1, 0, 0, 0, 0, 0x04, '1', '.', '5', 'x'}) + kEof},
        {"labels in Windows-1252",
         {"Grün °C , € 5"},
         kHead +
             Bytes({0x04, 0x00, 0x0F, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x07, 'G', 'r', 0xFC, 'n', ' ', 0xB0, 'C'}) +
             Bytes({0x04, 0x00, 0x0B, 0x00, 0, 0, 1, 0, 0, 0, 0, 0x03, 0x80, ' ', '5'}) + kEof},
        {"characters Windows-1252 lacks",
         {"π≈3 , x😀"},
         kHead + Bytes({0x04, 0x00, 0x0B, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x03, '?', '?', '3'}) +
             Bytes({0x04, 0x00, 0x0A, 0x00, 0, 0, 1, 0, 0, 0, 0, 0x02, 'x', '?'}) + kEof},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Xls(c.listing), c.bytes) << c.what;
}

TEST(ExportDataTest, LongLabelsAreCutTo255Bytes) {
    const std::string a254(254, 'A');
    const struct {
        std::string text;
        std::string kept;  // 255 bytes or fewer: the record's data length is their count + 8
    } cases[] = {
        {std::string(255, 'A'), std::string(255, 'A')},
        {std::string(256, 'A'), std::string(255, 'A')},
        {a254 + "é", a254 + "\xE9"},                               // two UTF-8 bytes, one character
        {a254 + "éü", a254 + "\xE9"},                              // 256 characters
        {a254 + "€😀", a254 + "\x80"},                              // 257 UTF-8 bytes, 256 characters
        {a254 + "\x80\x80", a254 + "\x80"},                        // not UTF-8: the bytes as they are
        {std::string(20, 'A') + "😀", std::string(20, 'A') + "?"},  // a character Windows-1252 lacks
    };
    for (const auto& c : cases) {
        const std::size_t n = c.kept.size();
        std::string label = Bytes({0x04, 0x00, std::uint8_t(n + 8), std::uint8_t((n + 8) >> 8), 0, 0, 0, 0, 0,
                                   0, 0, std::uint8_t(n)}) +
                            c.kept;
        EXPECT_EQ(Xls({c.text}), kHead + label + Blank(0, 1) + kEof) << c.text.size() << " bytes";
    }
}

TEST(ExportDataTest, TextFilesByteForByte) {
    const std::vector<std::string> s1 = {"S1", "1.5 , 2", "3 , 4", " "};
    const struct {
        std::vector<std::string> listing;
        char separator;
        const char* bytes;
    } cases[] = {
        {{}, ',', ""},
        {s1, ',', "S1\r\n1.5,2\r\n3,4\r\n\r\n"},
        {s1, '\t', "S1\r\n1.5\t2\r\n3\t4\r\n\r\n"},
        {s1, ' ', "S1\r\n1.5 2\r\n3 4\r\n\r\n"},
        {{"Single Markers", "7 , 8"}, ',', "Single Markers\r\n7,8\r\n"},
        {{"a , b"}, ',', "a,b\r\n"},  // a series name with " , " splits like a point line
        {{" , 5", "x ,  y "}, ',', "5\r\nx,y \r\n"},
        {{"Grün °C", "1 , 2"},
         ',',
         "Gr\xC3\xBCn \xC2\xB0"
         "C\r\n1,2\r\n"},  // UTF-8 without a byte-order mark
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.listing, c.separator), c.bytes) << c.bytes;
}

TEST(ExportDataTest, DecimalComma) {
    struct Guard {
        ~Guard() { SetDecimalSeparator("."); }
    } guard;
    SetDecimalSeparator(",");
    EXPECT_EQ(Text({"S1", "1,5 , 2,25", " "}, ','), "S1\r\n1,5,2,25\r\n\r\n");  // not quoted
    // "1,5" reads as 1.5 now; "2.5" does not and stays text.
    EXPECT_EQ(Xls({"1,5 , 2.5"}),
              kHead + Number(0, 0, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}) +
                  Bytes({0x04, 0x00, 0x0B, 0x00, 0, 0, 1, 0, 0, 0, 0, 0x03, '2', '.', '5'}) + kEof);
}

TEST(ExportDataTest, FilesByFilterIndex) {
    TempFolder folder;
    const ExportTable table = SplitListing({"1 , 2"});
    const struct {
        int filter;
        std::string bytes;
    } cases[] = {
        {ExportFilterExcel, kHead + Number(0, 0, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}) +
                                Number(0, 1, {0, 0, 0, 0, 0, 0, 0x00, 0x40}) + kEof},
        {ExportFilterText, "1 2\r\n"},
        {ExportFilterCsv, "1,2\r\n"},
        {ExportFilterTab, "1\t2\r\n"},
    };
    for (const auto& c : cases) {
        // An existing file is replaced without a question.
        std::string path = folder.File("out");
        WriteBytes(path, std::string(100, 'o'));
        ASSERT_TRUE(ExportWithFilter(c.filter, table, path));
        EXPECT_EQ(ReadBytes(path), c.bytes) << c.filter;
    }
    EXPECT_FALSE(ExportWithFilter(0, table, folder.File("none")));
    EXPECT_FALSE(ExportWithFilter(5, table, folder.File("none")));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out"});
}

TEST(ExportDataTest, WorksheetRowLimit) {
    TempFolder folder;
    ExportTable table;
    table.column1.assign(kMaxWorksheetRows, "1");
    table.column2.assign(kMaxWorksheetRows, "2");

    // 65,536 rows fit: the last cell is row 65,535 (FF FF), column 1.
    std::string path = folder.File("full.xls");
    ExportXls(table, path);
    std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 30u + 65536u * 2 * 19);
    EXPECT_EQ(bytes.substr(bytes.size() - 4 - 19, 7), Bytes({0x03, 0x00, 0x0F, 0x00, 0xFF, 0xFF, 0x01}));

    // One more is refused with a message naming the limit and the way out; nothing is written, and
    // an existing file stays.
    table.column1.push_back("3");
    table.column2.push_back("4");
    WriteBytes(path, "previous export");
    for (const std::string& target : {path, folder.File("fresh.xls")}) {
        try {
            ExportXls(table, target);
            ADD_FAILURE() << "65,537 rows were written";
        } catch (const ExportError& e) {
            for (const char* part : {"65537 lines", "at most 65536 rows", ".csv"})
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(ReadBytes(path), "previous export");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"full.xls"});
}

void ExpectSystemFailure(const std::function<void()>& exportCall, const std::string& path, int error) {
    try {
        exportCall();
        ADD_FAILURE() << "export to " << path << " reported success";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), error) << e.what();
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(std::strerror(error)), std::string::npos) << e.what();
    }
}

TEST(ExportDataTest, FolderThatCannotTakeTheFileFailsWithTheSystemText) {
    TempFolder folder;
    WriteBytes(folder.File("plain-file"), "x");
    std::filesystem::create_directory(folder.File("read-only"));
    std::filesystem::permissions(folder.File("read-only"),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const ExportTable table = SplitListing({"S1", "1 , 2"});
    const struct {
        std::string path;
        int error;
    } cases[] = {
        {folder.File("missing/out.xls"), ENOENT},
        {folder.File("plain-file/out.xls"), ENOTDIR},
        {folder.File("read-only/out.xls"), EACCES},
    };
    for (const auto& c : cases) {
        if (c.error == EACCES && ::geteuid() == 0) continue;  // the superuser writes anywhere
        ExpectSystemFailure([&] { ExportXls(table, c.path); }, c.path, c.error);
        ExpectSystemFailure([&] { ExportTabText(table, c.path); }, c.path, c.error);
    }
    EXPECT_EQ(folder.Entries().size(), 2u);
    EXPECT_TRUE(std::filesystem::is_empty(folder.File("read-only")));
}

TEST(ExportDataTest, FailedWriteKeepsTheExistingFileAndLeavesNoPartialFile) {
    TempFolder folder;
    ExportTable table;
    table.column1.assign(30000, "123.456");
    table.column2.assign(30000, "789.012");
    const std::string kept = folder.File("kept.xls"), fresh = folder.File("new.csv");
    WriteBytes(kept, "the export that was there before");
    {
        // Files of at most 4096 bytes: the write fails half way, as on a full disk.
        auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        ::getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limit = previous;
        limit.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ExpectSystemFailure([&] { ExportXls(table, kept); }, kept, EFBIG);
        ExpectSystemFailure([&] { ExportCommaText(table, fresh); }, fresh, EFBIG);
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
    }
    EXPECT_EQ(ReadBytes(kept), "the export that was there before");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"kept.xls"});  // no temporary files
}

}  // namespace
}  // namespace curvana
