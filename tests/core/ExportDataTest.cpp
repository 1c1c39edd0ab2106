#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
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

struct SeparatorGuard {
    ~SeparatorGuard() { SetDecimalSeparator("."); }
};

// The first two records of every worksheet, and its last one.
const std::string kBof = Bytes({0x09, 0x08, 0x08, 0x00, 0x00, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00});
const std::string kDimensions =
    Bytes({0x00, 0x02, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
const std::string kEof = Bytes({0x0A, 0x00, 0x00, 0x00});

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
        const char* line;
        const char* column1;
        const char* column2;
    } cases[] = {
        {"1.5 , 2", "1.5", "2"},
        {"S1", "S1", ""},
        {" ", " ", ""},                                  // the line after a series stays as it is
        {"  Single Markers ", "  Single Markers ", ""},  // no " , ": not trimmed
        {"a , b , c", "a", "b , c"},
        {"x ,  y ", "x", "y "},  // leading blanks go, trailing ones stay
        {"\t 7 , \x01\x1F 8", "7", "8"},
        {"a, b", "a, b", ""},
        {"a ,b", "a ,b", ""},
        {" , ", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        ExportTable t = SplitListing({c.line});
        ASSERT_EQ(t.column1.size(), 1u);
        ASSERT_EQ(t.column2.size(), 1u);
        EXPECT_EQ(t.column1[0], c.column1) << c.line;
        EXPECT_EQ(t.column2[0], c.column2) << c.line;
    }
}

TEST(ExportDataTest, ExtensionsAndProposedNames) {
    const struct {
        const char* name;
        int filter;
        const char* proposed;
    } cases[] = {
        {"graph.bmp", ExportFilterExcel, "graph.xls"},
        {"graph.bmp", ExportFilterText, "graph.txt"},
        {"graph.bmp", ExportFilterCsv, "graph.csv"},
        {"graph.bmp", ExportFilterTab, "graph.txt"},
        {"graph.jpeg", ExportFilterExcel, "graph.jpeg.xls"},
        {"graph.xls", ExportFilterCsv, "graph.csv"},
        {"graph.data", ExportFilterCsv, "graph.data.csv"},
        {"/home/u/plots/graph.txt", ExportFilterTab, "graph.txt"},
        {"graph", ExportFilterExcel, "graph.xls"},
        {"graph.bmp", 0, "graph"},
        {"graph.bmp", 5, "graph"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExportFileName(c.name, c.filter), c.proposed) << c.name << " " << c.filter;
    EXPECT_STREQ(kExportDialogFilter,
                 "Excel (*.xls)|*.xls|Text (*.txt)|*.txt|Comma Delimited Text (*.csv)|*.csv|"
                 "Tab Delimited Text (*.txt)|*.txt");
}

TEST(ExportDataTest, WorksheetRecordsByteForByte) {
    const std::string s1 =
        Bytes({0x04, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 'S', '1'});
    auto blank = [](std::uint8_t row, std::uint8_t column) {
        return Bytes({0x01, 0x00, 0x07, 0x00, row, 0x00, column, 0x00, 0x00, 0x00, 0x00});
    };
    // NUMBER records; the doubles' bytes are 1.5 = 3FF8..., 2 = 4000..., 3 = 4008..., 4 = 4010...,
    // 12 = 4028..., -0.25 = BFD0..., 1E-5 = 3EE4F8B588E368F1.
    auto number = [](std::uint8_t row, std::uint8_t column, std::initializer_list<std::uint8_t> value) {
        return Bytes({0x03, 0x00, 0x0F, 0x00, row, 0x00, column, 0x00, 0x00, 0x00, 0x00}) + Bytes(value);
    };
    const std::string space =
        Bytes({0x04, 0x00, 0x09, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, ' '});

    const struct {
        const char* what;
        std::vector<std::string> listing;
        std::string bytes;
    } cases[] = {
        {"empty listing: 30 bytes", {}, kBof + kDimensions + kEof},
        {"series S1",
         {"S1", "1.5 , 2", "3 , 4", " "},
         kBof + kDimensions + s1 + blank(0, 1) + number(1, 0, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}) +
             number(1, 1, {0, 0, 0, 0, 0, 0, 0x00, 0x40}) + number(2, 0, {0, 0, 0, 0, 0, 0, 0x08, 0x40}) +
             number(2, 1, {0, 0, 0, 0, 0, 0, 0x10, 0x40}) + space + blank(3, 1) + kEof},
        {"a series named 12 is a number",
         {"12"},
         kBof + kDimensions + number(0, 0, {0, 0, 0, 0, 0, 0, 0x28, 0x40}) + blank(0, 1) + kEof},
        {"signs and exponents as the listing writes them",
         {"-0.25 , 1E-5"},
         kBof + kDimensions + number(0, 0, {0, 0, 0, 0, 0, 0, 0xD0, 0xBF}) +
             number(0, 1, {0xF1, 0x68, 0xE3, 0x88, 0xB5, 0xF8, 0xE4, 0x3E}) + kEof},
        {"text that is no number is a label",
         {"NAN , 1.5x"},
         kBof + kDimensions + Bytes({0x04, 0x00, 0x0B, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x03, 'N', 'A', 'N'}) +
             Bytes({0x04, 0x00, 0x0C, 0x00, 0, 0, 1, 0, 0, 0, 0, 0x04, '1', '.', '5', 'x'}) + kEof},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Xls(c.listing), c.bytes) << c.what;
    EXPECT_EQ(Xls({}).size(), 30u);
}

TEST(ExportDataTest, WorksheetWithDecimalComma) {
    SeparatorGuard guard;
    SetDecimalSeparator(",");
    // "1,5" reads as 1.5 with the decimal comma; "2.5" does not and stays text.
    EXPECT_EQ(Xls({"1,5 , 2.5"}),
              kBof + kDimensions +
                  Bytes({0x03, 0x00, 0x0F, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}) +
                  Bytes({0x04, 0x00, 0x0B, 0x00, 0, 0, 1, 0, 0, 0, 0, 0x03, '2', '.', '5'}) + kEof);
}

TEST(ExportDataTest, LongLabelsAreCutTo255Bytes) {
    const struct {
        std::string text;
        std::size_t kept;
        std::uint8_t lengthLow, lengthHigh;  // the record's data length: kept + 8
    } cases[] = {
        {std::string(255, 'A'), 255, 0x07, 0x01},
        {std::string(256, 'A'), 255, 0x07, 0x01},
        {std::string(1000, 'B'), 255, 0x07, 0x01},
        {std::string(254, 'A') + "\xC3\xA9", 254, 0x06, 0x01},  // the cut would split the two-byte character
        {std::string(253, 'A') + "\xC3\xA9", 255, 0x07, 0x01},  // the character ends at byte 255
        {std::string(252, 'A') + "\xE2\x82\xAC" + "x", 255, 0x07, 0x01},
        {std::string(253, 'A') + "\xE2\x82\xAC", 253, 0x05, 0x01},  // a three-byte character across the cut
        {std::string(250, 'A') + std::string(10, '\x80'), 255, 0x07, 0x01},  // not UTF-8: cut at 255
    };
    for (const auto& c : cases) {
        std::string label = Bytes({0x04, 0x00, c.lengthLow, c.lengthHigh, 0, 0, 0, 0, 0, 0, 0, 0xFF}) +
                            c.text.substr(0, c.kept);
        label[11] = char(c.kept);
        EXPECT_EQ(Xls({c.text}), kBof + kDimensions + label + Bytes({1, 0, 7, 0, 0, 0, 1, 0, 0, 0, 0}) + kEof)
            << c.text.size() << " bytes";
    }
}

TEST(ExportDataTest, TextFilesByteForByte) {
    const std::vector<std::string> s1 = {"S1", "1.5 , 2", "3 , 4", " "};
    const struct {
        const char* what;
        std::vector<std::string> listing;
        char separator;
        const char* bytes;
    } cases[] = {
        {"empty csv", {}, ',', ""},
        {"empty text", {}, ' ', ""},
        {"S1 csv", s1, ',', "S1\r\n1.5,2\r\n3,4\r\n\r\n"},
        {"S1 tab", s1, '\t', "S1\r\n1.5\t2\r\n3\t4\r\n\r\n"},
        {"S1 space", s1, ' ', "S1\r\n1.5 2\r\n3 4\r\n\r\n"},
        {"single markers", {"Single Markers", "7 , 8"}, ',', "Single Markers\r\n7,8\r\n"},
        {"a series name with a space-comma-space splits", {"a , b"}, ',', "a,b\r\n"},
        {"an empty first column leaves the second alone", {" , 5"}, ',', "5\r\n"},
        {"trailing blanks stay", {"x ,  y "}, '\t', "x\ty \r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.listing, c.separator), c.bytes) << c.what;
}

TEST(ExportDataTest, CsvWithDecimalCommaIsNotQuoted) {
    SeparatorGuard guard;
    SetDecimalSeparator(",");
    EXPECT_EQ(Text({"S1", "1,5 , 2,25", " "}, ','), "S1\r\n1,5,2,25\r\n\r\n");
}

TEST(ExportDataTest, WritersByFilterIndexMakeTheFiles) {
    TempFolder folder;
    const ExportTable table = SplitListing({"S1", "1.5 , 2", "3 , 4", " "});
    const struct {
        int filter;
        std::string bytes;
    } cases[] = {
        {ExportFilterText, "S1\r\n1.5 2\r\n3 4\r\n\r\n"},
        {ExportFilterCsv, "S1\r\n1.5,2\r\n3,4\r\n\r\n"},
        {ExportFilterTab, "S1\r\n1.5\t2\r\n3\t4\r\n\r\n"},
    };
    for (const auto& c : cases) {
        std::string path = folder.File("out" + std::to_string(c.filter));
        ASSERT_TRUE(ExportWithFilter(c.filter, table, path));
        EXPECT_EQ(ReadBytes(path), c.bytes) << c.filter;
    }
    std::string xls = folder.File("out.xls");
    ASSERT_TRUE(ExportWithFilter(ExportFilterExcel, table, xls));
    EXPECT_EQ(ReadBytes(xls).size(), 30u + 14 + 11 + 4 * 19 + 13 + 11);

    // An existing file is replaced without a question; an unknown filter writes nothing.
    WriteBytes(folder.File("old.csv"), "old contents that are longer than the export");
    ExportCommaText(SplitListing({"1 , 2"}), folder.File("old.csv"));
    EXPECT_EQ(ReadBytes(folder.File("old.csv")), "1,2\r\n");
    EXPECT_FALSE(ExportWithFilter(0, table, folder.File("none")));
    EXPECT_FALSE(ExportWithFilter(5, table, folder.File("none")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("none")));
    EXPECT_EQ(folder.Entries().size(), 5u);
}

TEST(ExportDataTest, WorksheetRowLimit) {
    TempFolder folder;
    ExportTable table;
    table.column1.assign(kMaxWorksheetRows, "1");
    table.column2.assign(kMaxWorksheetRows, "2");

    // 65,536 rows fit: the last cell record is for row 65,535 (FF FF), column 1.
    std::string path = folder.File("full.xls");
    ExportXls(table, path);
    std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 30u + 65536u * 2 * 19);
    EXPECT_EQ(bytes.substr(bytes.size() - 4 - 19, 11),
              Bytes({0x03, 0x00, 0x0F, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x00}));

    // One row more is refused with a message naming the limit and the way out; nothing is written
    // and the existing file stays.
    table.column1.push_back("3");
    table.column2.push_back("4");
    WriteBytes(path, "previous export");
    std::string fresh = folder.File("fresh.xls");
    for (const std::string& target : {path, fresh}) {
        try {
            ExportXls(table, target);
            ADD_FAILURE() << "65,537 rows were written";
        } catch (const ExportError& e) {
            EXPECT_NE(std::string(e.what()).find("65537 lines"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("at most 65536 rows"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(".csv"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(ReadBytes(path), "previous export");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"full.xls"});

    // Text has no row limit.
    ExportCommaText(table, fresh);
    EXPECT_EQ(ReadBytes(fresh).size(), 65537u * 5);
}

void ExpectSystemFailure(const std::function<void()>& exportCall, const std::string& path, int error) {
    try {
        exportCall();
        ADD_FAILURE() << "export to " << path << " reported success";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), error) << e.what();
        std::string text = e.what();
        EXPECT_NE(text.find(path), std::string::npos) << text;
        EXPECT_NE(text.find(std::strerror(error)), std::string::npos) << text;
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
        bool needsPermissions;  // the superuser writes into read-only folders
    } cases[] = {
        {folder.File("missing/out.xls"), ENOENT, false},
        {folder.File("plain-file/out.xls"), ENOTDIR, false},
        {folder.File("read-only/out.xls"), EACCES, true},
    };
    for (const auto& c : cases) {
        if (c.needsPermissions && ::geteuid() == 0) continue;
        ExpectSystemFailure([&] { ExportXls(table, c.path); }, c.path, c.error);
        ExpectSystemFailure([&] { ExportTabText(table, c.path); }, c.path, c.error);
    }
    EXPECT_EQ(folder.Entries().size(), 2u);
    EXPECT_TRUE(std::filesystem::is_empty(folder.File("read-only")));
}

// Lets the process write files of at most `bytes` bytes, so a write fails half way as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

  private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(ExportDataTest, FailedWriteKeepsTheExistingFileAndLeavesNoPartialFile) {
    TempFolder folder;
    ExportTable table;
    table.column1.assign(30000, "123.456");
    table.column2.assign(30000, "789.012");
    const std::string oldBytes = "the export that was there before";
    const struct {
        const char* name;
        bool existing;
        bool xls;
    } cases[] = {
        {"kept.xls", true, true},
        {"kept.csv", true, false},
        {"new.xls", false, true},
        {"new.csv", false, false},
    };
    for (const auto& c : cases) {
        std::string path = folder.File(c.name);
        if (c.existing) WriteBytes(path, oldBytes);
        {
            FileSizeLimit limit(4096);
            ExpectSystemFailure([&] { c.xls ? ExportXls(table, path) : ExportCommaText(table, path); }, path,
                                EFBIG);
        }
        if (c.existing)
            EXPECT_EQ(ReadBytes(path), oldBytes) << c.name;
        else
            EXPECT_FALSE(std::filesystem::exists(path)) << c.name;
    }
    EXPECT_EQ(folder.Entries().size(), 2u);  // the two old files, no temporary ones
}

}  // namespace
}  // namespace curvana
