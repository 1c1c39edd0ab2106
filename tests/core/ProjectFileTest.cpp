#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestFiles.h"
#include "document/ProjectFile.h"
#include "platform/BmpWriter.h"
#include "support/FileTestSupport.h"

namespace curvana {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian fields written out by hand.
void Int(Bytes& b, std::int32_t v) {
    for (int k = 0; k < 4; ++k)
        b.push_back(std::uint8_t(std::uint32_t(v) >> (8 * k)));
}
void Double(Bytes& b, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int k = 0; k < 8; ++k)
        b.push_back(std::uint8_t(bits >> (8 * k)));
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An extension block written out by hand: the signature, then per record its tag, int32 length and
// bytes.
Bytes Block(const std::vector<std::pair<std::string, Bytes>>& records) {
    Bytes b = {'C', 'V', 'N', 'X', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const auto& [tag, data] : records) {
        b.insert(b.end(), tag.begin(), tag.end());
        Int(b, std::int32_t(data.size()));
        b = b + data;
    }
    return b;
}

// A series names record: the count, then per name its byte length and its UTF-8 bytes.
Bytes Names(std::int32_t count, const std::vector<std::string>& names) {
    Bytes b;
    Int(b, count);
    for (const std::string& name : names) {
        Int(b, std::int32_t(name.size()));
        b.insert(b.end(), name.begin(), name.end());
    }
    return b;
}

FileBytes AsFile(const Bytes& bytes) {
    FileBytes file;
    file.data = std::shared_ptr<std::uint8_t[]>(new std::uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), file.data.get());
    file.size = bytes.size();
    return file;
}

Bytes Written(const PlotDocument& doc) {
    std::ostringstream out;
    WriteProject(doc, out);
    const std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

// Restores the program-wide plot type after a test.
struct PlotTypeGuard {
    PlotType saved = ChosenPlotType;
    ~PlotTypeGuard() { ChosenPlotType = saved; }
};

// A new document on a 20 by 10 picture: box corners (2, 9), (18, 9), (2, 1), (18, 1).
std::unique_ptr<PlotDocument> SmallDocument() {
    auto doc = std::make_unique<PlotDocument>();
    doc->Picture = Bitmap(20, 10, PixelFormat::Indexed(8));
    doc->Picture.SetPalette({RgbQuad{1, 2, 3, 0}, RgbQuad{4, 5, 6, 0}});
    doc->Picture.SetPixelValue(3, 4, 1);
    doc->PlaceNewPicture();
    return doc;
}

TEST(ProjectFileTest, FieldsAreWrittenInOrder) {
    PlotTypeGuard guard;
    ChosenPlotType = PlotType::LinearLog;
    auto doc = SmallDocument();
    doc->XMin = 1;
    doc->XMax = 1000;
    doc->YMax = -2.5;
    doc->AddSeries({4, 8}, {10, 5});
    doc->DataSeries[0]->Name = "ab";
    doc->DataSeries[0]->SetColor(RGB(255, 0, 0));
    doc->AddSingleMarker({7, 3});

    Bytes expected;
    Int(expected, 1);
    Int(expected, 3);
    Int(expected, 0);
    for (auto [x, y] : {std::pair{2, 9}, {18, 9}, {2, 1}, {18, 1}}) {
        Int(expected, x);
        Int(expected, y);
    }
    Double(expected, 1);
    Double(expected, 1000);
    Double(expected, 0);
    Double(expected, -2.5);
    Int(expected, 0);                 // one series: high index 0
    ASSERT_EQ(expected.size(), 80u);  // the first series at byte 80
    Int(expected, 255);               // colour
    for (std::uint8_t b : {2, 0, 0, 0, 0x61, 0, 0, 0, 0x62, 0, 0, 0})
        expected.push_back(b);  // "ab"
    Int(expected, 2);
    for (int v : {4, 8, 10, 5})
        Int(expected, v);
    Int(expected, 1);  // one single marker: a count
    for (int v : {0, 7, 3})
        Int(expected, v);
    for (int v : {20, 10, 0})
        Int(expected, v);
    const Bytes picture = EncodeBmp(doc->Picture);
    expected.insert(expected.end(), picture.begin(), picture.end());
    EXPECT_EQ(Written(*doc), expected);
}

TEST(ProjectFileTest, CountsAndNames) {
    auto doc = SmallDocument();
    Bytes none = Written(*doc);
    EXPECT_EQ(Bytes(none.begin() + 76, none.begin() + 84), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));

    for (int i = 0; i < 3; ++i) {
        doc->AddSeries({4, 8}, {10, 5});
        doc->AddSingleMarker({i, i});
    }
    doc->DataSeries[0]->Name = "é";  // a character above 127 keeps its 8-bit code
    Bytes three = Written(*doc);
    EXPECT_EQ(Bytes(three.begin() + 76, three.begin() + 80), (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(Bytes(three.begin() + 84, three.begin() + 92), (Bytes{1, 0, 0, 0, 0xE9, 0, 0, 0}));
    // Series records of colour, length, name, count and points, 12 + 4 * L + 8 * 2 bytes: "é",
    // then "DataSeries 2" and "DataSeries 3".
    const std::size_t singles = 80 + (28 + 4) + 2 * (28 + 4 * 12);
    EXPECT_EQ(Bytes(three.begin() + long(singles), three.begin() + long(singles) + 4), (Bytes{3, 0, 0, 0}));

    // Many series with empty names are the tightest records; they still fit.
    auto many = SmallDocument();
    for (int i = 0; i < 40; ++i) {
        many->AddSeries({4, 8}, {10, 5});
        many->DataSeries.back()->Name.clear();
    }
    EXPECT_EQ(ReadProject(Written(*many))->DataSeries.size(), 40u);

    auto back = ReadProject(three);
    ASSERT_EQ(back->DataSeries.size(), 3u);
    EXPECT_EQ(back->DataSeries[0]->Name, "é");
    EXPECT_EQ(back->SingleMarkers.size(), 3u);
    EXPECT_EQ(back->MarkerList().size(), 4u + 6 + 3);
}

TEST(ProjectFileTest, NamesAreStoredInWindows1252) {
    const struct {
        std::string name;
        Bytes codes;       // one int32 each
        bool whole;        // an extension block carries the names whole
        std::string back;  // the name read back
    } cases[] = {
        {"Grün °C", {'G', 'r', 0xFC, 'n', ' ', 0xB0, 'C'}, false, "Grün °C"},
        {"€ Ÿ", {0x80, ' ', 0x9F}, false, "€ Ÿ"},
        {"\u0081\u009D", {0x81, 0x9D}, false, "\u0081\u009D"},
        {"π ≈ 3", {'?', ' ', '?', ' ', '3'}, true, "π ≈ 3"},
        {"x😀", {'x', '?'}, true, "x😀"},
        {"Gr\xFCn", {'G', 'r', 0xFC, 'n'}, false, "Grün"},  // 8-bit text that was never converted
    };
    for (const auto& c : cases) {
        auto doc = SmallDocument();
        doc->AddSeries({4, 8}, {10, 5});
        doc->AddSeries({1, 1}, {2, 2});
        doc->DataSeries[0]->Name = c.name;
        const Bytes written = Written(*doc);
        Bytes name;
        Int(name, std::int32_t(c.codes.size()));
        for (std::uint8_t code : c.codes)
            Int(name, code);
        EXPECT_EQ(Bytes(written.begin() + 84, written.begin() + 84 + long(name.size())), name) << c.name;
        // The BMP data, whose header gives its size, then the block with every name.
        const Bytes tail = EncodeBmp(doc->Picture) +
                           (c.whole ? Block({{"NAME", Names(2, {c.name, "DataSeries 2"})}}) : Bytes{});
        ASSERT_GT(written.size(), tail.size());
        EXPECT_EQ(Bytes(written.end() - long(tail.size()), written.end()), tail) << c.name;

        auto back = ReadProject(written);
        EXPECT_EQ(back->DataSeries[0]->Name, c.back);
        EXPECT_EQ(back->DataSeries[1]->Name, "DataSeries 2");
        EXPECT_EQ(Written(*back), written) << c.name;
        EXPECT_EQ(ReadProject(AsFile(written))->DataSeries[0]->Name, c.back);
    }
}

TEST(ProjectFileTest, ExtensionBlocks) {
    auto doc = SmallDocument();
    doc->AddSeries({4, 8}, {10, 5});
    doc->DataSeries[0]->Name = "π";
    const Bytes written = Written(*doc);
    const Bytes block = Block({{"NAME", Names(1, {"π"})}});
    const Bytes project(written.begin(), written.end() - long(block.size()));  // up to the BMP data's end
    ASSERT_EQ(project + block, written);

    const Bytes perspective = {1, 0, 0, 0};
    const struct {
        const char* what;
        Bytes block;
        const char* name;  // none: a corrupted file
        CalibrationMethod method = CalibrationMethod::Bilinear;
    } cases[] = {
        {"no block: the stored name", {}, "?"},
        {"the names record", block, "π"},
        {"an unknown record is skipped", Block({{"CALB", {1, 2, 3}}, {"NAME", Names(1, {"π"})}}), "π"},
        {"a block without records", Block({}), "?"},
        {"a name the stored one no longer matches", Block({{"NAME", Names(1, {"ab"})}}), "?"},
        {"other bytes after the BMP data are not looked at", {'C', 'V', 'N', 0, 0, 0, 0, 0, 0}, "?"},
        {"a count other than the series'", Block({{"NAME", Names(2, {"π", "x"})}}), nullptr},
        {"a name that is not UTF-8", Block({{"NAME", Names(1, {"\xCF"})}}), nullptr},
        {"a name longer than its record", Block({{"NAME", {1, 0, 0, 0, 50, 0, 0, 0, 0xCF, 0x80}}}), nullptr},
        {"a record longer than its names", Block({{"NAME", Names(1, {"π"}) + Bytes{0}}}), nullptr},
        {"a negative record length", Block({}) + Bytes{'N', 'A', 'M', 'E', 0xFF, 0xFF, 0xFF, 0xFF}, nullptr},
        {"the calibration method", Block({{"CALM", perspective}}), "?", CalibrationMethod::Perspective},
        {"the method, an unknown record and the names",
         Block({{"CALM", perspective}, {"XTRA", {9}}, {"NAME", Names(1, {"π"})}}), "π",
         CalibrationMethod::Perspective},
        {"the default method written out", Block({{"CALM", {0, 0, 0, 0}}}), "?"},
        {"an unknown method", Block({{"CALM", {2, 0, 0, 0}}}), nullptr},
        {"a method record too short", Block({{"CALM", {1, 0, 0}}}), nullptr},
        {"a method record too long", Block({{"CALM", perspective + Bytes{0}}}), nullptr},
    };
    for (const auto& c : cases) {
        if (c.name != nullptr) {
            auto back = ReadProject(project + c.block);
            EXPECT_EQ(back->DataSeries[0]->Name, c.name) << c.what;
            EXPECT_EQ(back->Method, c.method) << c.what;
        } else {
            EXPECT_THROW(ReadProject(project + c.block), ProjectError) << c.what;
        }
    }
    // A block cut anywhere after its signature (in a record's header or its bytes) is damaged.
    for (std::size_t length = 9; length < block.size(); ++length)
        EXPECT_THROW(ReadProject(project + Bytes(block.begin(), block.begin() + long(length))), ProjectError)
            << length;
}

// The perspective method travels in the extension block, before the names; the default method
// leaves the file as it was without the block.
TEST(ProjectFileTest, CalibrationMethodIsStoredInTheExtensionBlock) {
    const Bytes method = Block({{"CALM", {1, 0, 0, 0}}});
    for (const char* name : {"DataSeries 1", "π"}) {
        auto doc = SmallDocument();
        doc->AddSeries({4, 8}, {10, 5});
        doc->DataSeries[0]->Name = name;
        const Bytes plain = Written(*doc);
        const Bytes names = std::string(name) == "π" ? Block({{"NAME", Names(1, {"π"})}}) : Bytes{};
        const Bytes project(plain.begin(), plain.end() - long(names.size()));

        ASSERT_TRUE(doc->SetCalibrationMethod(CalibrationMethod::Perspective));
        const Bytes written = Written(*doc);
        const Bytes expected =
            names.empty() ? project + method : project + method + Bytes(names.begin() + 8, names.end());
        EXPECT_EQ(written, expected) << name;
        auto back = ReadProject(written);
        EXPECT_EQ(back->Method, CalibrationMethod::Perspective) << name;
        EXPECT_EQ(back->DataSeries[0]->Name, name);
        EXPECT_EQ(Written(*back), written) << name;
        // A reader that stops at the end of the BMP data opens the file with the default method.
        EXPECT_EQ(ReadProject(project)->Method, CalibrationMethod::Bilinear);

        doc->SetCalibrationMethod(CalibrationMethod::Bilinear);
        EXPECT_EQ(Written(*doc), plain) << name;
    }
}

TEST(ProjectFileTest, ReadingAndWritingAgainGivesTheSameBytes) {
    PlotTypeGuard guard;
    ChosenPlotType = PlotType::LogLog;
    auto doc = SmallDocument();
    doc->XMin = 0.001;
    doc->XMax = 123456.789;
    doc->YMin = 1;
    doc->YMax = 10;
    doc->AddSeries({4, 8}, {10, 5});
    doc->AddPointToNearestSeries({7, 6});
    doc->AddPointToNearestSeries({15, 2});
    doc->DataSeries[0]->SetColor(RGB(0, 128, 255));
    doc->AddSingleMarker({-5, 40});  // positions may lie outside the picture
    doc->ZoomIn();
    const Bytes first = Written(*doc);

    ChosenPlotType = PlotType::LinearLinear;
    auto back = ReadProject(first);
    EXPECT_EQ(ChosenPlotType, PlotType::LogLog);
    EXPECT_FALSE(back->Modified);
    EXPECT_EQ(back->ZoomLevel, 1);
    EXPECT_EQ(back->ZoomedPicture.Width(), 28);
    EXPECT_EQ(Written(*back), first);
}

TEST(ProjectFileTest, OddButReadableFields) {
    PlotTypeGuard guard;
    auto doc = SmallDocument();
    doc->XMax = 0.1 + 0.2;  // 17 significant digits come back with 15
    Bytes bytes = Written(*doc);

    test::PutU32(bytes, 4, 7);  // no such plot type: the choice stays
    ChosenPlotType = PlotType::LogLinear;
    auto back = ReadProject(bytes);
    EXPECT_EQ(ChosenPlotType, PlotType::LogLinear);
    EXPECT_EQ(back->XMax, 0.3);

    const std::size_t zoomAgain = bytes.size() - EncodeBmp(doc->Picture).size() - 4;
    test::PutU32(bytes, 8, 5);                   // field 3 says 5 ...
    test::PutU32(bytes, zoomAgain, 0xFFFFFFFF);  // ... field 18 says -1, and wins
    EXPECT_EQ(ReadProject(bytes)->ZoomLevel, -1);

    test::PutU32(bytes, zoomAgain, 0x7FFFFFFF);  // a zoom whose display cannot be made opens at actual size
    EXPECT_EQ(ReadProject(bytes)->ZoomLevel, 0);

    std::uint64_t nan = 0x7FF8000000000000;
    std::memcpy(bytes.data() + 52, &nan, 8);  // a NaN scale value reads as 0
    EXPECT_EQ(ReadProject(bytes)->XMin, 0.0);
}

TEST(ProjectFileTest, DamagedFilesFailWithoutAllocating) {
    auto doc = SmallDocument();
    doc->AddSeries({4, 8}, {10, 5});
    doc->AddSingleMarker({1, 1});
    const Bytes good = Written(*doc);

    // Every cut of the file fails.
    for (std::size_t length = 0; length < good.size(); ++length)
        EXPECT_THROW(ReadProject(std::span(good.data(), length)), ProjectError) << length;

    const struct {
        std::size_t at;
        std::uint32_t value;
    } damage[] = {
        {76, 2000000000},                      // two billion series in a small file
        {76, 0xFFFFFFFE},                      // a series high index below -1
        {84, 0x7FFFFFFF},                      // a name longer than the file
        {136, 1},                              // a series of one point ("DataSeries 1" fills bytes 88 to 135)
        {136, 0xFFFFFFFF},                     // a negative point count
        {136, 500000000},                      // more points than the file holds
        {156, 0xFFFFFFFF},                     // a negative single-marker count
        {156, 100000000},  {184, 0x00004D41},  // the picture block begins with "AM", not "BM"
    };
    for (const auto& d : damage) {
        Bytes bytes = good;
        test::PutU32(bytes, d.at, d.value);
        EXPECT_THROW(ReadProject(bytes), ProjectError) << d.at << " = " << d.value;
    }
}

TEST(ProjectFileTest, FilesOnDisk) {
    test::TempFolder folder;
    const std::filesystem::path dir = std::filesystem::path(folder.File(""));
    auto doc = SmallDocument();
    const std::string path = folder.File("Graph.cvn");
    SaveToFile(*doc, path);
    EXPECT_FALSE(doc->Modified);
    auto back = LoadProjectFile(path);
    EXPECT_EQ(back->Caption, "Graph.cvn");
    EXPECT_EQ(back->DocumentFolder + back->Caption, path);

    // A failed save reports the file system's text, keeps the old file and leaves Modified set.
    const std::string before = test::ReadBytes(path);
    doc->Modified = true;
    std::filesystem::create_directory(dir / "Folder.cvn");
    EXPECT_THROW(SaveToFile(*doc, (dir / "Folder.cvn").string()), std::system_error);
    EXPECT_THROW(SaveToFile(*doc, (dir / "missing" / "x.cvn").string()), std::system_error);
    EXPECT_TRUE(doc->Modified);
    EXPECT_EQ(test::ReadBytes(path), before);

    test::WriteBytes(folder.File("Bad.cvn"), "not a project");
    for (const std::string name : {"Bad.cvn", "Missing.cvn"}) {
        try {
            LoadProjectFile(folder.File(name));
            ADD_FAILURE() << name;
        } catch (const ProjectError& e) {
            EXPECT_EQ(std::string(e.what()), "File " + name + " is corrupted.");
        }
    }
}

}  // namespace
}  // namespace curvana
