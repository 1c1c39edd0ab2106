#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <tiffio.h>

#include "TestFiles.h"
#include "platform/FormatError.h"
#include "platform/TiffReader.h"

namespace curvana {
namespace {

using ByteVector = std::vector<std::uint8_t>;

std::string TiffFile(const std::string& name) {
    return test::DataPath("tiff/" + name);
}

// The page as libtiff's own RGBA reading gives it, composited over white. libtiff premultiplies
// every alpha but that of grey pictures, whose alpha it passes on as it is.
std::vector<TColor> LibtiffPixels(const std::string& path, int page, bool premultiplied, int& width,
                                  int& height) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    EXPECT_TRUE(tif) << path;
    if (!tif) return {};
    EXPECT_TRUE(TIFFSetDirectory(tif, tdir_t(page - 1))) << path;
    std::uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    std::vector<std::uint32_t> raster(std::size_t(w) * h);
    EXPECT_TRUE(TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 1)) << path;
    TIFFClose(tif);
    auto over = [premultiplied](unsigned c, unsigned a) {
        return std::uint8_t(premultiplied ? std::min(255u, c + 255 - a)
                                          : (c * a + 255 * (255 - a) + 127) / 255);
    };
    std::vector<TColor> pixels;
    for (std::uint32_t p : raster) {
        const unsigned a = TIFFGetA(p);
        pixels.push_back(RGB(over(TIFFGetR(p), a), over(TIFFGetG(p), a), over(TIFFGetB(p), a)));
    }
    width = int(w);
    height = int(h);
    return pixels;
}

// Classic little-endian TIFF: sets the first page's entry for `tag` to one LONG `value`.
ByteVector WithTag(ByteVector b, std::uint16_t tag, std::uint32_t value) {
    const std::uint32_t ifd = b[4] | b[5] << 8 | b[6] << 16 | std::uint32_t(b[7]) << 24;
    const unsigned count = b[ifd] | b[ifd + 1] << 8;
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t e = ifd + 2 + 12 * i;
        if ((b[e] | b[e + 1] << 8) != tag) continue;
        b[e + 2] = TIFF_LONG, b[e + 3] = 0;
        b[e + 4] = 1, b[e + 5] = b[e + 6] = b[e + 7] = 0;
        test::PutU32(b, e + 8, value);
        return b;
    }
    ADD_FAILURE() << "no tag " << tag;
    return b;
}

ByteVector Cut(const ByteVector& b, std::size_t size) {
    return ByteVector(b.begin(), b.begin() + std::ptrdiff_t(size));
}

TEST(TiffReaderTest, PagesDecodeAsLibtiffsRgbaReadingDoesInTheirOwnFormat) {
    const PixelFormat rgb = PixelFormat::Rgb24();
    const struct {
        const char* file;
        int page;
        PixelFormat format;
        bool premultiplied = true;  // libtiff's output
    } cases[] = {
        {"rgb.tif", 1, rgb},
        {"rgb-lzw.tif", 1, rgb},
        {"rgb-packbits.tif", 1, rgb},
        {"rgb-zip.tif", 1, rgb},
        {"rgb-jpeg.tif", 1, rgb},  // YCbCr, subsampled
        {"rgb-lzw-tiles.tif", 1, rgb},
        {"rgb-jpeg-tiles.tif", 1, rgb},
        {"rgb-lzw-strips.tif", 1, rgb},  // 2 rows a strip, predictor
        {"rgb-jpeg-strips.tif", 1, rgb},
        {"rgb-separate.tif", 1, rgb},
        {"rgb-botleft.tif", 1, rgb},
        {"rgb16.tif", 1, rgb},
        {"rgba.tif", 1, rgb},
        {"rgba-assoc.tif", 1, rgb},
        {"rgba16.tif", 1, rgb},
        {"rgba16-strips.tif", 1, rgb},
        {"cmyk.tif", 1, rgb},
        {"cmyk-lzw.tif", 1, rgb},
        {"greya.tif", 1, rgb, false},
        {"grey8.tif", 1, PixelFormat::Indexed(8)},
        {"grey8-jpeg.tif", 1, PixelFormat::Indexed(8)},
        {"grey16.tif", 1, PixelFormat::Indexed(8)},
        {"grey4.tif", 1, PixelFormat::Indexed(4)},
        {"grey2.tif", 1, PixelFormat::Indexed(4)},
        {"grey1.tif", 1, PixelFormat::Indexed(1)},
        {"grey1-white.tif", 1, PixelFormat::Indexed(1)},
        {"grey1-g4.tif", 1, PixelFormat::Indexed(1)},
        {"grey1-tiles.tif", 1, PixelFormat::Indexed(1)},
        {"grey1-strips.tif", 1, PixelFormat::Indexed(1)},
        {"pal8.tif", 1, PixelFormat::Indexed(8)},
        {"pal4.tif", 1, PixelFormat::Indexed(4)},
        {"pal4-tiles.tif", 1, PixelFormat::Indexed(4)},
        {"pal4-strips.tif", 1, PixelFormat::Indexed(4)},
        {"pages.tif", 1, PixelFormat::Indexed(8)},
        {"pages.tif", 2, rgb},
        {"pages.tif", 3, PixelFormat::Indexed(4)},
    };
    // Each also by three threads, where it has the strips or rows of tiles for them.
    for (const auto& c : cases)
        for (const int threads : {1, 3}) {
            const std::string what = std::string(c.file) + " page " + std::to_string(c.page) + ", threads " +
                                     std::to_string(threads);
            int width = 0, height = 0;
            const std::vector<TColor> expected =
                LibtiffPixels(TiffFile(c.file), c.page, c.premultiplied, width, height);
            const Bitmap picture = DecodeTiff(test::ReadFileBytes(TiffFile(c.file)), c.page, threads);
            ASSERT_EQ(picture.Width(), width) << what;
            ASSERT_EQ(picture.Height(), height) << what;
            EXPECT_EQ(picture.Format(), c.format) << what;
            EXPECT_FALSE(picture.RowsBottomUp()) << what;
            EXPECT_TRUE(picture.Origin().header.empty()) << what;
            int wrong = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    wrong += picture.PixelColor(x, y) !=
                             expected[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            EXPECT_EQ(wrong, 0) << what;
        }
}

TEST(TiffReaderTest, SixteenBitGreyRoundsToTheNearestLevel) {
    // 0, 200, 65400, 65535: libtiff's RGBA reading keeps the high byte (0, 0, 255, 255).
    const Bitmap picture = ReadTiffFile(TiffFile("grey16-rounding.tif"));
    ASSERT_EQ(picture.Format(), PixelFormat::Indexed(8));
    const std::uint32_t expected[] = {0, 1, 254, 255};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(picture.PixelValue(x, 0), expected[x]) << x;
        EXPECT_EQ(picture.PixelColor(x, 0), RGB(expected[x], expected[x], expected[x])) << x;
    }
}

TEST(TiffReaderTest, PageCounts) {
    const struct {
        const char* file;
        int pages;
    } cases[] = {{"pages.tif", 3}, {"rgb.tif", 1}, {"rgb-jpeg-tiles.tif", 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(TiffFilePageCount(TiffFile(c.file)), c.pages) << c.file;
        EXPECT_EQ(TiffPageCount(test::ReadFileBytes(TiffFile(c.file))), c.pages) << c.file;
    }
}

TEST(TiffReaderTest, DamagedOrUnreasonableFilesFailCleanly) {
    const ByteVector rgb = test::ReadFileBytes(TiffFile("rgb.tif"));
    const ByteVector lzw = test::ReadFileBytes(TiffFile("rgb-lzw.tif"));
    const ByteVector jpeg = test::ReadFileBytes(TiffFile("rgb-jpeg.tif"));
    const ByteVector pages = test::ReadFileBytes(TiffFile("pages.tif"));
    ByteVector strips = test::ReadFileBytes(TiffFile("rgb-lzw-strips.tif"));
    std::fill(strips.begin() + 600, strips.begin() + 700, std::uint8_t(0xFF));  // strips 5 to 7 of 12
    const struct {
        const char* what;
        ByteVector bytes;
        int page;
        const char* reason;  // part of the message
    } cases[] = {
        {"empty", {}, 1, "not a readable TIFF file"},
        {"a BMP picture", {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0}, 1, "not a readable TIFF file"},
        {"header only", Cut(rgb, 8), 1, "not a readable TIFF file"},
        // The picture's description comes after its pixels in these files.
        {"cut in its pixels", Cut(lzw, lzw.size() / 2), 1, "not a readable TIFF file"},
        // Their one strip starts 100 bytes before the end.
        {"uncompressed, ends inside its strip",
         WithTag(rgb, TIFFTAG_STRIPOFFSETS, std::uint32_t(rgb.size() - 100)), 1,
         "cannot decode the TIFF picture"},
        {"LZW, ends inside its strip", WithTag(lzw, TIFFTAG_STRIPOFFSETS, std::uint32_t(lzw.size() - 100)), 1,
         "cannot decode the TIFF picture"},
        {"JPEG, ends inside its strip", WithTag(jpeg, TIFFTAG_STRIPOFFSETS, std::uint32_t(jpeg.size() - 100)),
         1, "cannot decode the TIFF picture"},
        {"LZW, garbage in three of its twelve strips", strips, 1, "cannot decode the TIFF picture"},
        {"page 0", pages, 0, "has no page 0 (it has 3)"},
        {"page 4 of 3", pages, 4, "has no page 4 (it has 3)"},
        {"70,000 x 70,000 pixels",
         WithTag(WithTag(rgb, TIFFTAG_IMAGEWIDTH, 70000), TIFFTAG_IMAGELENGTH, 70000), 1,
         "too large: 70000 x 70000 pixels"},
        {"2^28 + 16,384 pixels", WithTag(WithTag(rgb, TIFFTAG_IMAGEWIDTH, 16385), TIFFTAG_IMAGELENGTH, 16384),
         1, "too large: 16385 x 16384 pixels"},
        // A few kilobytes cannot hold 10,000 x 10,000 pixels: refused before their memory is taken.
        {"uncompressed, 10,000 x 10,000 pixels in 2.5 KB",
         WithTag(WithTag(rgb, TIFFTAG_IMAGEWIDTH, 10000), TIFFTAG_IMAGELENGTH, 10000), 1,
         "ends inside the image data"},
        {"LZW, 10,000 x 10,000 pixels in 1 KB",
         WithTag(WithTag(lzw, TIFFTAG_IMAGEWIDTH, 10000), TIFFTAG_IMAGELENGTH, 10000), 1,
         "ends inside the image data"},
        {"unknown compression", WithTag(rgb, TIFFTAG_COMPRESSION, 9999), 1,
         "compression scheme 9999 is not supported"},
        {"no pixels", WithTag(rgb, TIFFTAG_IMAGEWIDTH, 0), 1, "TIFF"},
    };
    // libtiff's messages become the reasons; none of them reaches the terminal.
    testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        std::string first;  // the message when one thread decodes; three must give the same
        for (const int threads : {1, 3}) {
            try {
                DecodeTiff(c.bytes, c.page, threads);
                ADD_FAILURE() << c.what << " decoded";
            } catch (const FormatError& e) {
                EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos)
                    << c.what << ": " << e.what();
                if (threads == 1) first = e.what();
                EXPECT_EQ(e.what(), first) << c.what;
            }
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // The Deflate stream of the fourth tile ends after two bytes, which libtiff does not report:
    // the rest of the tile is index 0, with one thread or three, not what an earlier tile left.
    const ByteVector shortTile = test::ReadFileBytes(TiffFile("pal4-tiles-short.tif"));
    for (const int threads : {1, 3}) {
        const Bitmap picture = DecodeTiff(shortTile, 1, threads);
        int nonzero = 0;
        for (int y = 16; y < 23; ++y)
            for (int x = y == 16 ? 4 : 0; x < 16; ++x)
                nonzero += picture.PixelValue(x, y) != 0;
        EXPECT_EQ(nonzero, 0) << threads << " threads";
    }
    EXPECT_THROW(TiffPageCount(ByteVector{'I', 'I', 42, 0}), FormatError);
    EXPECT_THROW(ReadTiffFile(TiffFile("no-such-file.tif")), FormatError);
    EXPECT_THROW(TiffFilePageCount(TiffFile("no-such-file.tif")), FormatError);
}

}  // namespace
}  // namespace curvana
