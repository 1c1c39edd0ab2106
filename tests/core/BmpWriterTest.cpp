#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include "TestFiles.h"
#include "platform/BmpLayout.h"
#include "platform/BmpReader.h"
#include "platform/BmpWriter.h"

namespace curvana {
namespace {

using bmp::LoadU32;
using test::DataPath;
using test::PutU32;
using test::ReadFileBytes;

std::vector<std::uint8_t> Suite(const std::string& name) {
    return ReadFileBytes(DataPath("bmpsuite/" + name));
}

void ExpectSamePicture(const Bitmap& a, const Bitmap& b, const std::string& what) {
    ASSERT_EQ(a.Width(), b.Width()) << what;
    ASSERT_EQ(a.Height(), b.Height()) << what;
    EXPECT_EQ(a.Format(), b.Format()) << what;
    EXPECT_EQ(a.Palette(), b.Palette()) << what;
    int wrong = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            wrong += a.PixelValue(x, y) != b.PixelValue(x, y);
    EXPECT_EQ(wrong, 0) << what;
}

TEST(BmpWriterTest, RewritingUncompressedFilesGivesTheSameBytes) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath("bmpsuite/g"))) {
        const std::string name = entry.path().filename().string();
        if (name != "pal4rle.bmp" && name != "pal8rle.bmp") names.push_back("g/" + name);
    }
    EXPECT_EQ(names.size(), 25u);
    // Questionable files laid out the way the writer lays them out: OS/2 headers and short
    // tables, oversized tables, 52- and 56-byte headers, alpha bit fields, a V5 profile.
    for (const char* name :
         {"q/pal8os2sp.bmp", "q/pal8os2v2.bmp", "q/pal8os2v2-16.bmp", "q/pal8oversizepal.bmp",
          "q/rgb24largepal.bmp", "q/rgb32h52.bmp", "q/rgba32h56.bmp", "q/rgba32abf.bmp", "q/rgba16-4444.bmp",
          "q/rgb24prof2.bmp", "q/pal1p1.bmp", "q/pal2.bmp"})
        names.push_back(name);
    for (const auto& name : names) {
        const auto original = Suite(name);
        EXPECT_EQ(EncodeBmp(ReadBmp(original)), original) << name;
        // Read from the file, the picture keeps its rows in the file's buffer; they must come out
        // in the same order.
        EXPECT_EQ(EncodeBmp(ReadBmpFile(DataPath("bmpsuite/" + name))), original) << name << " from the file";
    }
}

TEST(BmpWriterTest, RowsComeOutInTheFilesOrderWhateverOrderThePictureHoldsThem) {
    // A 1x3 picture of 8-bit indices 1 (top), 2, 3 (bottom); every row is padded to 4 bytes.
    const std::vector<std::uint8_t> topFirst = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    const std::vector<std::uint8_t> bottomFirst = {3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0};
    struct Case {
        bool heldBottomUp;
        bool fileTopDown;
    };
    for (const Case c : {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
        const auto& held = c.heldBottomUp ? bottomFirst : topFirst;
        std::shared_ptr<std::uint8_t[]> rows(new std::uint8_t[held.size()]);
        std::memcpy(rows.get(), held.data(), held.size());
        Bitmap picture(1, 3, PixelFormat::Indexed(8), rows, c.heldBottomUp);
        picture.SetPalette(std::vector<RgbQuad>(4));
        picture.Origin().topDown = c.fileTopDown;
        const auto bytes = EncodeBmp(picture);
        const std::uint32_t offset = LoadU32(bytes.data() + 10);
        ASSERT_EQ(bytes.size(), offset + 12u);
        const std::vector<std::uint8_t> pixels(bytes.begin() + offset, bytes.end());
        EXPECT_EQ(pixels, c.fileTopDown ? topFirst : bottomFirst) << c.heldBottomUp << c.fileTopDown;
        ExpectSamePicture(ReadBmp(bytes), picture, "rows held bottom-up: " + std::to_string(c.heldBottomUp));
    }
}

TEST(BmpWriterTest, RewritingMendsOddLayouts) {
    struct Case {
        const char* file;
        std::size_t dropFrom, dropTo;  // unused bytes the rewrite leaves out
        std::vector<std::pair<std::size_t, std::uint32_t>> fields;
    };
    const Case cases[] = {
        {"q/pal8os2-sz.bmp", 0, 0, {{2, 8986}}},                  // file size given as that of the headers
        {"q/pal8os2-hs.bmp", 0, 0, {{2, 8986}, {6, 0}}},          // and hot-spot values in the reserved words
        {"q/pal8offs.bmp", 1062, 1162, {{2, 9254}, {10, 1062}}},  // a gap before the pixels
        {"q/rgb24prof.bmp", 24714, 24734, {{2, 27762}, {126, 24700}}},  // a gap before the profile
    };
    for (const Case& c : cases) {
        const auto original = Suite(c.file);
        auto expected = original;
        expected.erase(expected.begin() + c.dropFrom, expected.begin() + c.dropTo);
        for (const auto& [at, value] : c.fields)
            PutU32(expected, at, value);
        EXPECT_EQ(EncodeBmp(ReadBmp(original)), expected) << c.file;
    }
}

TEST(BmpWriterTest, CompressedFilesAreWrittenUncompressed) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        // 127 pixels of 4 bits: 64 bytes a row; of 8 bits: 128 bytes; 64 rows.
        {"g/pal4rle.bmp", 4096},
        {"g/pal8rle.bmp", 8192},
        {"q/pal4rletrns.bmp", 4096},
        {"q/pal8rlecut.bmp", 8192},
    };
    for (const auto& [name, pixelBytes] : cases) {
        const Bitmap read = ReadBmp(Suite(name));
        const auto bytes = EncodeBmp(read);
        EXPECT_EQ(LoadU32(&bytes[30]), 0u) << name;  // no compression
        EXPECT_EQ(LoadU32(&bytes[34]), pixelBytes) << name;
        EXPECT_EQ(bytes.size(), LoadU32(&bytes[10]) + pixelBytes) << name;
        ExpectSamePicture(ReadBmp(bytes), read, name);
    }
}

TEST(BmpWriterTest, MadePicturesRoundTripInEveryFormat) {
    struct Case {
        PixelFormat format;
        int colours;
        std::uint32_t offset;  // for a 5 x 3 picture: 54 bytes of headers, masks, 4 bytes a colour
        std::uint32_t size;
        std::uint32_t compression;
    };
    const Case cases[] = {
        {PixelFormat::Indexed(1), 2, 62, 62 + 3 * 4, 0},
        {PixelFormat::Indexed(2), 4, 70, 70 + 3 * 4, 0},
        {PixelFormat::Indexed(4), 16, 118, 118 + 3 * 4, 0},
        {PixelFormat::Indexed(8), 256, 1078, 1078 + 3 * 8, 0},
        {PixelFormat::Rgb555(), 0, 54, 54 + 3 * 12, 0},
        {PixelFormat::Rgb565(), 0, 66, 66 + 3 * 12, 3},
        {PixelFormat::Rgb24(), 0, 54, 54 + 3 * 16, 0},
        {PixelFormat::Bgrx32(), 0, 54, 54 + 3 * 20, 0},
        {PixelFormat::BitFields(32, 0xFF, 0xFF00, 0xFF0000), 0, 66, 66 + 3 * 20, 3},
        {PixelFormat::BitFields(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), 0, 70, 70 + 3 * 20, 6},
    };
    for (const Case& c : cases) {
        const int bits = c.format.bitsPerPixel;
        Bitmap made(5, 3, c.format);
        std::vector<RgbQuad> palette;
        for (int k = 0; k < c.colours; ++k)
            palette.push_back(RgbQuad{std::uint8_t(k), std::uint8_t(3 * k), 9, 0});
        made.SetPalette(palette);
        const std::uint32_t valueMask =
            bits <= 8    ? (1u << bits) - 1
            : bits == 24 ? 0xFFFFFFu
                         : c.format.redMask | c.format.greenMask | c.format.blueMask | c.format.alphaMask;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                made.SetPixelValue(x, y, (std::uint32_t(x * 7 + y * 13 + 1) * 0x9E3779B1u) & valueMask);

        const auto bytes = EncodeBmp(made);
        ASSERT_EQ(bytes.size(), c.size) << bits;
        EXPECT_EQ(LoadU32(&bytes[2]), c.size) << bits;
        EXPECT_EQ(LoadU32(&bytes[10]), c.offset) << bits;
        EXPECT_EQ(LoadU32(&bytes[14]), 40u) << bits;
        EXPECT_EQ(LoadU32(&bytes[22]), 3u) << bits;  // positive height: bottom row first
        EXPECT_EQ(LoadU32(&bytes[30]), c.compression) << bits;
        EXPECT_EQ(std::memcmp(&bytes[c.offset], made.Row(2), made.Stride()), 0) << bits;
        ExpectSamePicture(ReadBmp(bytes), made, "made picture of " + std::to_string(bits) + " bits");
    }
}

TEST(BmpWriterTest, AHeaderThatCannotHoldThePictureBecomesA40ByteHeader) {
    struct Case {
        const char* from;
        int width;
        PixelFormat format;
        std::uint32_t compression;
    };
    const Case cases[] = {
        {"g/pal8os2.bmp", 3, PixelFormat::Rgb565(), 3},     // OS/2 core header: no bit fields
        {"g/pal8os2.bmp", 70000, PixelFormat::Rgb24(), 0},  // nor widths over 65535
        {"q/pal8os2v2.bmp", 3, PixelFormat::Rgb565(), 3},   // OS/2 2.x: compression 3 means Huffman
        {"q/rgb32h52.bmp", 3, PixelFormat::BitFields(32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000), 6},  // no alpha
    };
    for (const Case& c : cases) {
        Bitmap picture(c.width, 2, c.format);
        picture.Origin() = ReadBmp(Suite(c.from)).Origin();
        picture.SetPixelValue(1, 1, 0x1234);
        const auto bytes = EncodeBmp(picture);
        EXPECT_EQ(LoadU32(&bytes[14]), 40u) << c.from;
        EXPECT_EQ(LoadU32(&bytes[30]), c.compression) << c.from;
        ExpectSamePicture(ReadBmp(bytes), picture, c.from);
    }
}

TEST(BmpWriterTest, IndicesBeyondTheTableAreWrittenBlack) {
    Bitmap picture(3, 1, PixelFormat::Indexed(4));
    picture.SetPalette({RgbQuad{0, 0, 255, 0}});
    picture.SetPixelValue(1, 0, 3);
    const auto bytes = EncodeBmp(picture);
    EXPECT_EQ(LoadU32(&bytes[46]), 4u);  // colours used: indices 0 to 3
    const Bitmap back = ReadBmp(bytes);
    EXPECT_EQ(back.PixelColor(0, 0), clRed);
    EXPECT_EQ(back.PixelColor(1, 0), clBlack);
    EXPECT_EQ(back.PixelValue(1, 0), 3u);
}

TEST(BmpWriterTest, RefusesPicturesABmpCannotHold) {
    EXPECT_THROW(EncodeBmp(Bitmap()), std::invalid_argument);
    EXPECT_THROW(EncodeBmp(Bitmap(2, 2, PixelFormat::BitFields(16, 0x7C00, 0x03E0, 0))),
                 std::invalid_argument);
    EXPECT_THROW(EncodeBmp(Bitmap(2, 2, PixelFormat::BitFields(32, 0xFF, 0xFF00, 0xFF0F00))),
                 std::invalid_argument);
}

TEST(BmpWriterTest, WritesFilesAndStreams) {
    const auto dir = std::filesystem::temp_directory_path() / ("curvana-bmp-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "folder");
    const Bitmap first = ReadBmp(Suite("g/pal8v5.bmp"));
    const Bitmap second = ReadBmp(Suite("g/rgb16-565.bmp"));
    const std::string path = (dir / "picture.bmp").string();

    WriteBmpFile(first, path);
    EXPECT_EQ(ReadFileBytes(path), EncodeBmp(first));
    WriteBmpFile(second, path);  // replaces the file
    EXPECT_EQ(ReadFileBytes(path), EncodeBmp(second));

    try {
        WriteBmpFile(first, (dir / "missing" / "picture.bmp").string());
        ADD_FAILURE() << "wrote into a missing folder";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::no_such_file_or_directory);
        EXPECT_NE(std::string(e.what()).find("missing/picture.bmp"), std::string::npos);
    }
    EXPECT_THROW(WriteBmpFile(first, (dir / "folder").string()), std::system_error);
    // Failed writes leave nothing behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
              2);

    // After a project's own fields.
    std::ostringstream stream;
    stream << "FIELDS";
    WriteBmp(first, stream);
    const std::string text = stream.str();
    const std::vector<std::uint8_t> all(text.begin(), text.end());
    EXPECT_EQ(std::vector<std::uint8_t>(all.begin() + 6, all.end()), EncodeBmp(first));
    std::ostringstream failed;
    failed.setstate(std::ios::badbit);
    EXPECT_THROW(WriteBmp(first, failed), std::runtime_error);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace curvana
