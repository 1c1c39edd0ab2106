#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "gif/GifBitmap.h"
#include "gif/GifDecoder.h"

#ifdef CURVANA_HAVE_QT_GUI
#include <QImage>
#endif

namespace curvana {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kDir = std::string(CURVANA_TEST_DATA) + "/gif/";

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The picture as raw RGB, rows top to bottom.
Bytes Rgb(const Bitmap& b) {
    Bytes rgb;
    rgb.reserve(std::size_t(b.Width()) * std::size_t(b.Height()) * 3);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const TColor c = b.PixelColor(x, y);
            rgb.insert(rgb.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
        }
    return rgb;
}

std::uint32_t Crc32(const Bytes& data) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : data)
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

TEST(GifCorpusTest, FirstFramesMatchTheReferenceChecksums) {
    // Each line: file, width, height, frames, MD5 and CRC-32 of the first frame as RGB. (The PPM
    // pictures in expected/ hold the same RGB for eight of these files.)
    std::ifstream list(kDir + "expected/first-frame-rgb.tsv");
    std::string line;
    int files = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, md5, crc;
        int width = 0, height = 0;
        std::size_t frames = 0;
        fields >> name >> width >> height >> frames >> md5 >> crc;
        const GifImage image = DecodeGif(ReadBytes(kDir + name));
        EXPECT_EQ(image.frames.size(), frames) << name;
        const Bitmap bitmap = ReadGifFile(kDir + name);
        ASSERT_EQ(bitmap.Width(), width) << name;
        ASSERT_EQ(bitmap.Height(), height) << name;
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", Crc32(Rgb(bitmap)));
        EXPECT_EQ(hex, crc) << name;
        ++files;
    }
    EXPECT_EQ(files, 28);
}

TEST(GifCorpusTest, FirstFramesMatchTheReferenceIndices) {
    const struct {
        const char* gif;
        const char* indexes;  // width * height raw colour indices
    } cases[] = {
        {"wuffs/bricks-dither.gif", "wuffs/bricks-dither.indexes"},
        {"wuffs/muybridge.gif", "wuffs/muybridge-frame-000.indexes"},
    };
    for (const auto& c : cases) {
        const GifImage image = DecodeGif(ReadBytes(kDir + c.gif));
        ASSERT_FALSE(image.frames.empty()) << c.gif;
        EXPECT_TRUE(image.frames[0].pixels == ReadBytes(kDir + c.indexes)) << c.gif;
    }
    // 256 entries of blue, green, red, alpha.
    const Bytes palette = ReadBytes(kDir + "wuffs/bricks-dither.palette");
    const Bitmap bitmap = ReadGifFile(kDir + "wuffs/bricks-dither.gif");
    ASSERT_EQ(bitmap.Palette().size(), 256u);
    for (std::size_t i = 0; i < 256; ++i)
        EXPECT_EQ(bitmap.Palette()[i], (RgbQuad{palette[4 * i], palette[4 * i + 1], palette[4 * i + 2], 0}))
            << i;
}

#ifdef CURVANA_HAVE_QT_GUI
TEST(GifCorpusTest, FirstFramesMatchTheRenderedPictures) {
    // The suite's renders of its transparent files are composited, so only their opaque pixels tell
    // the colour of an index. Not compared: animated_transparent_loop_frames_out_of_bounds-0.png,
    // whose first frame lies beside the screen and is rendered as nothing, while a first frame of
    // the screen's size becomes the picture whatever its offset.
    const struct {
        const char* gif;
        const char* png;
        bool opaqueOnly;
    } cases[] = {
        {"wuffs/bricks-dither.gif", "wuffs/bricks-dither.png", false},
        {"wuffs/bricks-nodither.gif", "wuffs/bricks-nodither.png", false},
        {"wuffs/bricks-gray.gif", "wuffs/bricks-gray.png", false},
        {"wuffs/pjw-thumbnail.gif", "wuffs/pjw-thumbnail.png", false},
        {"gif-test-suite/static_nontransparent.gif", "gif-test-suite/static_nontransparent.png", false},
        {"gif-test-suite/animated_loop_interlaced.gif", "gif-test-suite/animated_loop_interlaced-0.png",
         false},
        {"gif-test-suite/static_transparent.gif", "gif-test-suite/static_transparent.png", true},
        {"gif-test-suite/animated_transparent_frame_restorebackground_loop.gif",
         "gif-test-suite/animated_transparent_frame_restorebackground_loop-0.png", true},
    };
    for (const auto& c : cases) {
        const Bitmap bitmap = ReadGifFile(kDir + c.gif);
        const QImage png =
            QImage(QString::fromStdString(kDir + c.png)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(png.isNull()) << c.png;
        ASSERT_EQ(bitmap.Width(), png.width()) << c.gif;
        ASSERT_EQ(bitmap.Height(), png.height()) << c.gif;
        int compared = 0, differing = 0;
        for (int y = 0; y < png.height(); ++y)
            for (int x = 0; x < png.width(); ++x) {
                const QRgb p = png.pixel(x, y);
                if (c.opaqueOnly && qAlpha(p) != 255) continue;
                ++compared;
                if (bitmap.PixelColor(x, y) != RGB(qRed(p), qGreen(p), qBlue(p))) ++differing;
            }
        EXPECT_EQ(differing, 0) << c.gif;
        EXPECT_GT(compared, png.width() * png.height() / 2) << c.gif;
    }
}
#endif

TEST(GifCorpusTest, InterlacedAndTruncatedHippopotamus) {
    const GifImage regular = DecodeGif(ReadBytes(kDir + "wuffs/hippopotamus.regular.gif"));
    const GifImage interlaced = DecodeGif(ReadBytes(kDir + "wuffs/hippopotamus.interlaced.gif"));
    ASSERT_EQ(regular.frames.size(), 1u);
    ASSERT_EQ(interlaced.frames.size(), 1u);
    EXPECT_TRUE(interlaced.frames[0].Interlaced());
    EXPECT_FALSE(regular.frames[0].Interlaced());
    EXPECT_TRUE(interlaced.frames[0].pixels == regular.frames[0].pixels);

    // The interlaced file cut after 1024 of its 1800 bytes: the rows arrive in pass order, so in
    // that order the pixels agree with the whole picture up to some point and are 0 after it.
    std::vector<std::string> warnings;
    const GifImage truncated = DecodeGif(ReadBytes(kDir + "wuffs/hippopotamus.interlaced.truncated.gif"),
                                         [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_EQ(warnings, (std::vector<std::string>{"Premature end of data", "Decoder bit buffer under-run",
                                                  "Invalid Image trailer"}));
    ASSERT_EQ(truncated.frames.size(), 1u);
    const GifFrame& whole = regular.frames[0];
    const GifFrame& cut = truncated.frames[0];
    ASSERT_EQ(cut.width, whole.width);
    ASSERT_EQ(cut.height, whole.height);
    std::vector<int> passOrder;
    for (int start : {0, 4, 2, 1})
        for (int y = start; y < whole.height; y += (start == 0 ? 8 : start * 2))
            passOrder.push_back(y);
    std::size_t agreeing = 0, zeros = 0, total = 0;
    bool stillAgreeing = true;
    for (int y : passOrder)
        for (int x = 0; x < whole.width; ++x, ++total) {
            const std::size_t i = std::size_t(y) * std::size_t(whole.width) + std::size_t(x);
            stillAgreeing = stillAgreeing && cut.pixels[i] == whole.pixels[i];
            if (stillAgreeing)
                ++agreeing;
            else if (cut.pixels[i] == 0)
                ++zeros;
        }
    EXPECT_GT(agreeing, 100u);  // some 220 of the 1000 bytes of image data are left
    EXPECT_LT(agreeing, total);
    EXPECT_EQ(agreeing + zeros, total);
}

TEST(GifCorpusTest, MalformedFilesFailOrLoadAsFarAsTheyGo) {
    const struct {
        const char* gif;
        const char* failure;
        int frames;  // when it loads
    } cases[] = {
        {"image-gif/regression/issue-209-extension-block-type.gif", "Unknown extension type", 0},
        // A logical screen of 6727 x 65351.
        {"image-gif/stall/issue-101-infinite-empty-loop.gif", "Image too large", 0},
        {"libnsgif/afl/afl-000001.gif", "Premature end of data", 0},
        {"libnsgif/afl/afl-000028.gif", "Invalid GIF signature", 0},
        // A global map of 4 entries announced, 1 byte left.
        {"libnsgif/afl/afl-000128.gif", "Premature end of data", 0},
        {"wuffs/artificial-gif/no-frames.gif", "", 0},
        {"wuffs/artificial-gif/pixel-data-none.gif", "", 1},
        {"wuffs/artificial-gif/pixel-data-not-enough.gif", "", 1},
        {"wuffs/artificial-gif/pixel-data-too-much-good-lzw.gif", "", 1},
        {"wuffs/artificial-gif/pixel-data-too-much-bad-lzw.gif", "", 1},
        {"wuffs/artificial-gif/zero-width-frame.gif", "", 1},
        {"libnsgif/data/lzwoob.gif", "", 1},  // minimum code size 12
    };
    for (const auto& c : cases) {
        std::string failure;
        GifImage image;
        try {
            image = DecodeGif(ReadBytes(kDir + c.gif));
        } catch (const GifError& e) {
            failure = e.what();
        }
        EXPECT_EQ(failure, c.failure) << c.gif;
        if (*c.failure) continue;
        EXPECT_EQ(image.frames.size(), std::size_t(c.frames)) << c.gif;
        EXPECT_EQ(GifToBitmap(image).Empty(), c.frames == 0) << c.gif;
    }
    // The 2 x 2 files whose data give 0, 1, 5, or 4 pixels and a bad code: each given pixel is 0, and
    // so is the fill; the zero-size frame takes the screen's size.
    for (const char* name : {"pixel-data-none", "pixel-data-not-enough", "pixel-data-too-much-good-lzw",
                             "pixel-data-too-much-bad-lzw", "zero-width-frame"}) {
        const GifImage image = DecodeGif(ReadBytes(kDir + "wuffs/artificial-gif/" + name + ".gif"));
        EXPECT_EQ(image.frames.at(0).pixels, (Bytes{0, 0, 0, 0})) << name;
    }
}

TEST(GifCorpusTest, EveryFileLoadsOrFailsWithAReason) {
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kDir)) {
        if (entry.path().extension() != ".gif") continue;
        ++files;
        try {
            const Bitmap bitmap =
                GifToBitmap(DecodeGif(ReadBytes(entry.path().string()), [](const std::string&) {}));
            (void)bitmap;
        } catch (const GifError&) {
        }
    }
    EXPECT_EQ(files, 57);
}

}  // namespace
}  // namespace curvana
