#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <webp/decode.h>

#include "TestFiles.h"
#include "platform/FormatError.h"
#include "platform/WebpReader.h"

namespace curvana {
namespace {

using ByteVector = std::vector<std::uint8_t>;

std::string WebpFile(const std::string& name) {
    return test::DataPath("webp/" + name);
}

ByteVector Cut(const ByteVector& b, std::size_t size) {
    return ByteVector(b.begin(), b.begin() + std::ptrdiff_t(size));
}

// The file with its extended header (VP8X) declaring another canvas size.
ByteVector WithCanvas(ByteVector b, std::uint32_t width, std::uint32_t height) {
    EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "VP8X");
    for (int k = 0; k < 3; ++k) {
        b[24 + k] = std::uint8_t((width - 1) >> (8 * k));
        b[27 + k] = std::uint8_t((height - 1) >> (8 * k));
    }
    return b;
}

TEST(WebpReaderTest, FilesDecodeAsLibwebpDecodesThemOverWhite) {
    const char* files[] = {"lossy.webp", "lossless.webp", "lossy-alpha.webp", "lossless-alpha.webp"};
    for (const char* file : files) {
        const ByteVector bytes = test::ReadFileBytes(WebpFile(file));
        int width = 0, height = 0;
        std::uint8_t* rgba = WebPDecodeRGBA(bytes.data(), bytes.size(), &width, &height);
        ASSERT_TRUE(rgba) << file;
        const Bitmap picture = ReadWebpFile(WebpFile(file));
        ASSERT_EQ(picture.Width(), width) << file;
        ASSERT_EQ(picture.Height(), height) << file;
        EXPECT_EQ(picture.Format(), PixelFormat::Rgb24()) << file;
        EXPECT_FALSE(picture.RowsBottomUp()) << file;
        int wrong = 0, translucent = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = rgba + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
                const unsigned a = p[3];
                auto over = [a](unsigned c) { return std::uint8_t((c * a + 255 * (255 - a) + 127) / 255); };
                translucent += a < 255;
                wrong += picture.PixelColor(x, y) != RGB(over(p[0]), over(p[1]), over(p[2]));
            }
        WebPFree(rgba);
        EXPECT_EQ(wrong, 0) << file;
        EXPECT_EQ(translucent > 0, std::string(file).find("alpha") != std::string::npos) << file;
    }
}

TEST(WebpReaderTest, DamagedOrUnsupportedFilesFailCleanly) {
    const ByteVector lossy = test::ReadFileBytes(WebpFile("lossy.webp"));
    const ByteVector lossless = test::ReadFileBytes(WebpFile("lossless.webp"));
    const ByteVector extended = test::ReadFileBytes(WebpFile("lossy-alpha.webp"));
    const struct {
        const char* what;
        ByteVector bytes;
        const char* reason;  // part of the message
    } cases[] = {
        {"empty", {}, "not a WebP file"},
        {"a BMP picture", {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0}, "not a WebP file"},
        {"lossy, cut in its pixels", Cut(lossy, lossy.size() / 2),
         "the WebP file ends inside the image data"},
        {"lossless, cut in its pixels", Cut(lossless, lossless.size() / 2),
         "the WebP file ends inside the image data"},
        {"header only", Cut(lossy, 30), "the WebP file ends inside the image data"},
        {"animated", test::ReadFileBytes(WebpFile("animated.webp")), "animated WebP files are not supported"},
        {"a canvas of 2^28 + 16,384 pixels", WithCanvas(extended, 16385, 16384), "the WebP file is damaged"},
        {"a canvas of 16,383 x 16,383 pixels", WithCanvas(extended, 16383, 16383),
         "the WebP file is damaged"},
    };
    for (const auto& c : cases) {
        try {
            DecodeWebp(c.bytes);
            ADD_FAILURE() << c.what << " decoded";
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.what << ": " << e.what();
        }
    }
    EXPECT_THROW(ReadWebpFile(WebpFile("no-such-file.webp")), FormatError);
}

}  // namespace
}  // namespace curvana
