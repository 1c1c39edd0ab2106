#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "TestFiles.h"
#include "platform/BmpReader.h"

#ifdef CURVANA_HAVE_QT_GUI
#include <QImage>
#endif

namespace curvana {
namespace {

using test::DataPath;
using test::PutU32;
using test::ReadFileBytes;

std::vector<std::string> SuiteFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath("bmpsuite/" + folder)))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectSamePixels(const Bitmap& a, const Bitmap& b, const std::string& what) {
    ASSERT_EQ(a.Width(), b.Width()) << what;
    ASSERT_EQ(a.Height(), b.Height()) << what;
    int wrong = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            wrong += a.PixelColor(x, y) != b.PixelColor(x, y);
    EXPECT_EQ(wrong, 0) << what;
}

// A BMP with a 40-byte header, a grey colour table and the given pixel data.
std::vector<std::uint8_t> MakeIndexedBmp(int width, int height, int bits, std::uint32_t compression,
                                         int colours, const std::vector<std::uint8_t>& pixels) {
    const std::uint32_t offset = 54 + 4 * colours;
    std::vector<std::uint8_t> b(offset, 0);
    b[0] = 'B';
    b[1] = 'M';
    PutU32(b, 2, std::uint32_t(offset + pixels.size()));
    PutU32(b, 10, offset);
    PutU32(b, 14, 40);
    PutU32(b, 18, std::uint32_t(width));
    PutU32(b, 22, std::uint32_t(height));
    b[26] = 1;
    b[28] = std::uint8_t(bits);
    PutU32(b, 30, compression);
    PutU32(b, 46, std::uint32_t(colours));
    for (int k = 0; k < colours; ++k)
        b[54 + 4 * k] = b[55 + 4 * k] = b[56 + 4 * k] = std::uint8_t(k);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

std::vector<std::vector<std::uint32_t>> Indices(const Bitmap& b) {
    std::vector<std::vector<std::uint32_t>> rows(b.Height());
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            rows[y].push_back(b.PixelValue(x, y));
    return rows;
}

TEST(BmpReaderTest, BadFilesFailOrDecodeSafely) {
    // These two try to overrun a buffer with runs past the end of a row, which are cut at the row's
    // end; they may decode. Every other bad file is refused.
    const std::set<std::string> mayDecode = {"badrle4bis.bmp", "badrlebis.bmp"};
    const auto names = SuiteFiles("b");
    EXPECT_EQ(names.size(), 20u);
    for (const auto& name : names) {
        // The file is read into a buffer of its size: a read past it shows in a sanitizer build.
        const std::string path = DataPath("bmpsuite/b/" + name);
        if (!mayDecode.count(name)) {
            EXPECT_THROW(ReadBmpFile(path), FormatError) << name;
            continue;
        }
        try {
            EXPECT_FALSE(ReadBmpFile(path).Empty()) << name;
        } catch (const FormatError&) {
        }
    }
}

// Files whose reference rendering is an exact match; an empty name: no reference to compare with.
struct Reference {
    const char* file;
    const char* png;
    int tolerance = 0;
};
const Reference kGood[] = {
    {"g/pal1.bmp", "pal1"},           {"g/pal1wb.bmp", "pal1"},
    {"g/pal1bg.bmp", "pal1bg"},       {"g/pal4.bmp", "pal4"},
    {"g/pal4rle.bmp", "pal4"},        {"g/pal4gs.bmp", "pal4gs"},
    {"g/pal8.bmp", "pal8"},           {"g/pal8-0.bmp", "pal8"},
    {"g/pal8rle.bmp", "pal8"},        {"g/pal8topdown.bmp", "pal8"},
    {"g/pal8os2.bmp", "pal8"},        {"g/pal8v4.bmp", "pal8"},
    {"g/pal8v5.bmp", "pal8"},         {"g/pal8gs.bmp", "pal8gs"},
    {"g/pal8w124.bmp", "pal8w124"},   {"g/pal8w125.bmp", "pal8w125"},
    {"g/pal8w126.bmp", "pal8w126"},   {"g/pal8nonsquare.bmp", "pal8nonsquare-e"},
    {"g/rgb16.bmp", "rgb16"},         {"g/rgb16bfdef.bmp", "rgb16"},
    {"g/rgb16-565.bmp", "rgb16-565"}, {"g/rgb16-565pal.bmp", "rgb16-565"},
    {"g/rgb24.bmp", "rgb24"},         {"g/rgb24pal.bmp", "rgb24"},
    {"g/rgb32.bmp", "rgb24"},         {"g/rgb32bf.bmp", "rgb24"},
    {"g/rgb32bfdef.bmp", "rgb24"},
};
// Questionable files the program reads; skipped pixels of RLE files stay colour index 0 ("-0").
const Reference kQuestionable[] = {
    {"q/pal1p1.bmp", "pal1p1"},
    {"q/pal2.bmp", "pal2"},
    {"q/pal2color.bmp", "pal2color"},
    {"q/pal4rletrns.bmp", "pal4rletrns-0"},
    {"q/pal4rlecut.bmp", "pal4rlecut-0"},
    {"q/pal8rletrns.bmp", "pal8rletrns-0"},
    {"q/pal8rlecut.bmp", "pal8rlecut-0"},
    {"q/pal8offs.bmp", "pal8"},
    {"q/pal8oversizepal.bmp", "pal8"},
    {"q/pal8os2-hs.bmp", "pal8"},
    {"q/pal8os2-sz.bmp", "pal8"},
    {"q/pal8os2sp.bmp", "pal8"},
    {"q/pal8os2v2.bmp", "pal8"},
    {"q/pal8os2v2-16.bmp", "pal8"},
    {"q/pal8os2v2-40sz.bmp", "pal8"},
    {"q/pal8os2v2-sz.bmp", "pal8"},
    {"q/rgb16-231.bmp", "rgb16-231"},
    {"q/rgb16-3103.bmp", "rgb16-3103"},
    {"q/rgb16faketrns.bmp", "rgb16"},
    {"q/rgb24largepal.bmp", "rgb24"},
    {"q/rgb24lprof.bmp", "rgb24"},
    {"q/rgb24prof.bmp", "rgb24"},
    {"q/rgb24prof2.bmp", ""},  // red and green swapped, for its profile to swap back
    // The reference shows the colours before they were rounded to 11 bits.
    {"q/rgb32-111110.bmp", "rgb24", 1},
    {"q/rgb32-7187.bmp", "rgb32-7187"},
    {"q/rgb32-xbgr.bmp", "rgb24"},
    {"q/rgb32fakealpha.bmp", "rgb24"},
    {"q/rgb32h52.bmp", "rgb24"},
    {"q/rgba16-1924.bmp", "rgba16-1924"},
    {"q/rgba16-4444.bmp", "rgba16-4444"},
    {"q/rgba16-5551.bmp", "rgba16-5551"},
    {"q/rgba32-1.bmp", "rgba32"},
    {"q/rgba32-2.bmp", "rgba32"},
    {"q/rgba32-1010102.bmp", "rgba32-1010102"},
    {"q/rgba32-61754.bmp", "rgba32-61754"},
    {"q/rgba32-81284.bmp", "rgba32-81284"},
    {"q/rgba32abf.bmp", "rgba32"},
    {"q/rgba32h56.bmp", "rgba32"},
};

TEST(BmpReaderTest, QuestionableFilesDecodeOrFailCleanly) {
    // Huffman, RLE24, embedded JPEG or PNG, and 64 bits per pixel are not read.
    const std::set<std::string> refused = {"pal1huffmsb.bmp", "rgb24jpeg.bmp", "rgb24png.bmp",
                                           "rgb24rle24.bmp", "rgba64.bmp"};
    for (const auto& name : SuiteFiles("q")) {
        const std::string path = DataPath("bmpsuite/q/" + name);
        if (refused.count(name))
            EXPECT_THROW(ReadBmpFile(path), FormatError) << name;
        else
            EXPECT_NO_THROW(ReadBmpFile(path)) << name;
    }
    EXPECT_EQ(std::size(kQuestionable) + refused.size(), SuiteFiles("q").size());
    // An OS/2 bitmap array is a container, not a BMP.
    EXPECT_THROW(ReadBmpFile(DataPath("bmpsuite/x/ba-bm.bmp")), FormatError);
}

#ifdef CURVANA_HAVE_QT_GUI
TEST(BmpReaderTest, PixelsMatchReferenceRenderings) {
    std::vector<Reference> all(std::begin(kGood), std::end(kGood));
    all.insert(all.end(), std::begin(kQuestionable), std::end(kQuestionable));
    for (const Reference& ref : all) {
        if (*ref.png == 0) continue;
        const Bitmap b = ReadBmpFile(DataPath(std::string("bmpsuite/") + ref.file));
        const QImage png =
            QImage(QString::fromStdString(DataPath(std::string("bmpsuite/html/") + ref.png + ".png")))
                .convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(png.width(), b.Width()) << ref.file;
        ASSERT_EQ(png.height(), b.Height()) << ref.file;
        int wrong = 0;
        for (int y = 0; y < b.Height(); ++y) {
            for (int x = 0; x < b.Width(); ++x) {
                const QRgb want = png.pixel(x, y);
                if (qAlpha(want) == 0) continue;  // fully transparent: its colour means nothing
                const TColor got = b.PixelColor(x, y);
                wrong += std::abs(GetRValue(got) - qRed(want)) > ref.tolerance ||
                         std::abs(GetGValue(got) - qGreen(want)) > ref.tolerance ||
                         std::abs(GetBValue(got) - qBlue(want)) > ref.tolerance;
            }
        }
        EXPECT_EQ(wrong, 0) << ref.file;
    }
}
#endif

TEST(BmpReaderTest, HeaderFieldsAreChecked) {
    struct Case {
        const char* file;
        std::size_t at;
        std::uint32_t value;
        bool decodes;
        const char* why;
    };
    const Case cases[] = {
        {"g/pal8.bmp", 2, 54, true, "file size below the real one"},
        {"g/pal8.bmp", 2, 9255, false, "file size beyond the data"},
        {"g/pal8.bmp", 14, 66, false, "unknown header size"},
        {"g/pal8.bmp", 18, 0, false, "zero width"},
        {"g/pal8.bmp", 18, std::uint32_t(-127), false, "negative width"},
        {"g/pal8.bmp", 22, 0, false, "zero height"},
        {"g/pal8.bmp", 18, 0x40000000, false, "2^30 x 64 pixels"},
        {"g/pal8.bmp", 26, 0x00080002, false, "two planes"},
        {"g/pal8.bmp", 26, 0x00030001, false, "3 bits per pixel"},
        {"g/pal8.bmp", 30, 2, false, "RLE4 with 8 bits"},
        {"g/pal8.bmp", 30, 4, false, "JPEG data"},
        {"g/pal8.bmp", 34, 8192, true, "pixel data size equal to what follows the offset"},
        {"g/pal8.bmp", 34, 8193, false, "pixel data size beyond the file"},
        {"g/pal8.bmp", 34, 0, true, "pixel data size not given"},
        {"g/pal8.bmp", 42, 3, true, "density 2835:3"},
        {"g/pal8.bmp", 42, 2, false, "density 2835:2"},
        {"g/pal8.bmp", 42, 0, true, "vertical density not given"},
        {"g/pal8.bmp", 46, 253, false, "colour table overlapping the pixels"},
        {"g/pal8.bmp", 46, 0, true, "table size not given: as much as fits"},
        {"g/pal8.bmp", 46, 100, false, "indices beyond the colour table"},
        {"g/pal8.bmp", 10, 50, false, "pixel offset inside the header"},
        {"g/pal8.bmp", 10, 1063, false, "pixel data one byte short"},
        {"g/rgb16-565.bmp", 62, 0, false, "no blue mask"},
        {"g/rgb16-565.bmp", 58, 0x0FE0, false, "green mask overlapping red"},
        {"g/rgb16-565.bmp", 58, 0x06E0, false, "green mask in two pieces"},
        {"g/rgb16-565.bmp", 54, 0x1F0000, false, "red mask outside 16 bits"},
        {"g/rgb16-565.bmp", 28, 0x00030018, false, "bit fields with 24 bits"},
        {"g/pal8rle.bmp", 22, std::uint32_t(-64), false, "compressed top-down rows"},
    };
    for (const Case& c : cases) {
        const auto original = ReadFileBytes(DataPath(std::string("bmpsuite/") + c.file));
        auto bytes = original;
        PutU32(bytes, c.at, c.value);
        if (c.decodes)
            ExpectSamePixels(ReadBmp(bytes), ReadBmp(original), c.why);
        else
            EXPECT_THROW(ReadBmp(bytes), FormatError) << c.why;
    }
}

TEST(BmpReaderTest, DecodesRunLengthCodes) {
    // RLE8, 4 x 3, bottom row first: run of two 1s, move 1 right and 1 up, one 2, end of row,
    // three literal pixels (padded to even length), end of picture.
    const auto rle8 =
        ReadBmp(MakeIndexedBmp(4, 3, 8, 1, 4, {2, 1, 0, 2, 1, 1, 1, 2, 0, 0, 0, 3, 3, 2, 1, 0, 0, 1}));
    EXPECT_EQ(rle8.Format().bitsPerPixel, 8);
    EXPECT_EQ(Indices(rle8),
              (std::vector<std::vector<std::uint32_t>>{{3, 2, 1, 0}, {0, 0, 0, 2}, {1, 1, 0, 0}}));
    // RLE4, 5 x 2: a run alternating the two nibbles, end of row, three literal nibbles.
    const auto rle4 = ReadBmp(MakeIndexedBmp(5, 2, 4, 2, 16, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1}));
    EXPECT_EQ(rle4.Format().bitsPerPixel, 4);
    EXPECT_EQ(Indices(rle4), (std::vector<std::vector<std::uint32_t>>{{3, 4, 5, 0, 0}, {1, 2, 1, 2, 1}}));

    using Rows = std::vector<std::vector<std::uint32_t>>;
    const Rows zeros(2, {0, 0, 0, 0});
    struct Case {
        std::vector<std::uint8_t> data;  // RLE8 for a 4 x 2 picture with 4 colours
        Rows picture;                    // top row first; none: refused
        const char* why;
    };
    const Case cases[] = {
        {{0, 1}, zeros, "immediate end of picture"},
        {{0, 0, 0, 0}, zeros, "every row ended, no end-of-picture code"},
        {{5, 1, 0, 1}, {{0, 0, 0, 0}, {1, 1, 1, 1}}, "run past the end of the row: the rest is dropped"},
        {{0, 5, 1, 2, 3, 1, 2, 0, 0, 1}, {{0, 0, 0, 0}, {1, 2, 3, 1}}, "literal past the end of the row"},
        {{5, 1, 2, 2, 0, 0, 1, 3, 0, 1},
         {{3, 0, 0, 0}, {1, 1, 1, 1}},
         "pixels after the row's end are dropped"},
        {{0, 6, 1, 1, 1, 1, 7, 7, 0, 1}, {{0, 0, 0, 0}, {1, 1, 1, 1}}, "dropped pixels are not looked at"},
        {{0, 2, 5, 0, 0, 0, 2, 1, 0, 1}, {{1, 1, 0, 0}, zeros[0]}, "move past the end of the row"},
        {{0, 2, 0, 2, 0, 1}, {}, "move past the top row"},
        {{0, 0, 0, 0, 0, 0, 0, 1}, {}, "end of row past the top row"},
        {{0, 0, 0, 0, 1, 1}, {}, "run above the top row"},
        {{2, 1}, {}, "data ends with rows left"},
        {{0, 3, 1, 2}, {}, "literal cut short"},
        {{0, 6, 1, 1, 1, 1}, {}, "literal past the end of the row cut short"},
        {{0, 2, 1}, {}, "move cut short"},
        {{2, 7, 0, 1}, {}, "index beyond the colour table"},
    };
    for (const Case& c : cases) {
        const auto bytes = MakeIndexedBmp(4, 2, 8, 1, 4, c.data);
        if (!c.picture.empty())
            EXPECT_EQ(Indices(ReadBmp(bytes)), c.picture) << c.why;
        else
            EXPECT_THROW(ReadBmp(bytes), FormatError) << c.why;
    }
}

TEST(BmpReaderTest, RowsWhoseRunsCoverThePadding) {
    // 97 pixels wide: 8-bit rows are padded to 100 pixels, 4-bit ones to 104. Runs and literal blocks
    // that end there draw their pixels inside the row.
    using Row = std::vector<std::uint32_t>;
    auto row = [](std::initializer_list<std::pair<int, std::uint32_t>> runs) {
        Row r;
        for (auto [count, index] : runs)
            r.insert(r.end(), std::size_t(count), index);
        return r;
    };
    Row alternating;
    for (int x = 0; x < 97; ++x)
        alternating.push_back(1 + std::uint32_t(x % 2));
    const struct {
        int bits;
        std::vector<std::uint8_t> data;
        Row top, bottom;
    } cases[] = {
        // Bottom: literal 1 2 3, a run of 97 twos; top: 95 threes, literal 1 2 3 1 2.
        {8,
         {0, 3, 1, 2, 3, 0, 97, 2, 0, 0, 95, 3, 0, 5, 1, 2, 3, 1, 2, 0, 0, 0, 0, 1},
         row({{95, 3}, {1, 1}, {1, 2}}),
         row({{1, 1}, {1, 2}, {1, 3}, {94, 2}})},
        // Bottom: a run of 104 alternating 1 and 2; top: 96 threes, literal 2 1 3 3 3.
        {4,
         {104, 0x12, 0, 0, 96, 0x33, 0, 5, 0x21, 0x33, 0x30, 0, 0, 0, 0, 1},
         row({{96, 3}, {1, 2}}),
         alternating},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Indices(ReadBmp(MakeIndexedBmp(97, 2, c.bits, c.bits == 8 ? 1 : 2, 4, c.data))),
                  (std::vector<Row>{c.top, c.bottom}))
            << c.bits << " bits";

    // ImageMagick's RLE8 file ends every row's last run at pixel 100; it shows the picture of the
    // same program's uncompressed file.
    const Bitmap rle8 = ReadBmpFile(DataPath("bmp-imagemagick/radial97-rle8.bmp"));
    EXPECT_EQ(rle8.Origin().compression, 1u);
    ExpectSamePixels(rle8, ReadBmpFile(DataPath("bmp-imagemagick/radial97.bmp")), "ImageMagick RLE8");
}

TEST(BmpReaderTest, CutFilesFail) {
    // Every shorter piece of a file, with the file size in its header made to fit, is refused, but
    // for the padding after the last row; a compressed file may lose its final end code and still
    // give the same picture.
    for (const char* name : {"g/pal8.bmp", "g/pal8os2.bmp", "g/pal8v5.bmp", "g/rgb16-565pal.bmp",
                             "g/pal4rle.bmp", "g/pal8rle.bmp"}) {
        const auto original = ReadFileBytes(DataPath(std::string("bmpsuite/") + name));
        const Bitmap full = ReadBmp(original);
        const bool rle = full.Origin().compression != 0;
        auto bytes = ReadFileBytes(DataPath(std::string("bmpsuite/") + name));
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            if (length >= 6) PutU32(bytes, 2, std::uint32_t(length));
            const std::span<const std::uint8_t> piece(bytes.data(), length);
            if (!rle) {
                // Only the padding after the last row may be missing.
                const std::size_t rowBytes = (std::size_t(full.Width()) * full.Format().bitsPerPixel + 7) / 8;
                const std::size_t padding = full.Stride() - rowBytes;
                if (length + padding < original.size()) {
                    EXPECT_THROW(ReadBmp(piece), FormatError) << name << " cut to " << length;
                } else {
                    try {
                        ExpectSamePixels(ReadBmp(piece), full, name);
                    } catch (const FormatError&) {  // the header's image size may still refuse it
                    }
                }
                continue;
            }
            try {
                ExpectSamePixels(ReadBmp(piece), full, name);
            } catch (const FormatError&) {
            }
        }
    }
}

TEST(BmpReaderTest, ReadsAPictureInsideLargerData) {
    const auto file = ReadFileBytes(DataPath("bmpsuite/g/pal8v5.bmp"));
    std::vector<std::uint8_t> container(7, 0xAA);
    container.insert(container.end(), file.begin(), file.end());
    container.insert(container.end(), 100, 0x55);
    const Bitmap inside = ReadBmp(std::span<const std::uint8_t>(container).subspan(7));
    ExpectSamePixels(inside, ReadBmp(file), "picture inside a container");
}

TEST(BmpReaderTest, KeepsTheColourProfile) {
    // The profile lies 24720 bytes after the info header's start and is 3048 bytes long.
    const auto file = ReadFileBytes(DataPath("bmpsuite/q/rgb24prof.bmp"));
    const Bitmap picture = ReadBmp(file);
    const auto& profile = picture.Origin().profile;
    ASSERT_EQ(profile.size(), 3048u);
    EXPECT_TRUE(std::equal(profile.begin(), profile.end(), file.begin() + 14 + 24720));
    EXPECT_EQ(std::string(profile.begin() + 36, profile.begin() + 40), "acsp");  // an ICC profile's signature
}

TEST(BmpReaderTest, UnreadableFileFails) {
    EXPECT_THROW(ReadBmpFile(DataPath("bmpsuite/no-such-file.bmp")), FormatError);
    EXPECT_THROW(ReadBmpFile(DataPath("bmpsuite")), FormatError);
}

}  // namespace
}  // namespace curvana
