#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/GifBitmap.h"
#include "gif/GifDecoder.h"
#include "support/GifTestSupport.h"

namespace curvana {
namespace {

using test::Bytes;
using test::Cat;

const std::string kDir = std::string(CURVANA_TEST_DATA) + "/gif/";

Bytes Indices(const Bitmap& b) {
    Bytes out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            out.push_back(std::uint8_t(b.PixelValue(x, y)));
    return out;
}

Bitmap FromBytes(const Bytes& file) {
    return GifToBitmap(DecodeGif(file));
}

TEST(GifBitmapTest, FirstFrameOnTheLogicalScreen) {
    const Bytes header = {'G', 'I', 'F', '8', '9', 'a'};
    // Screen 3 x 2, background 2, global map of 4 entries: black, red, green, blue.
    const Bytes screen = {3, 0, 2, 0, 0x81, 2, 0, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    // The same screen without a global map; the background index is then not used.
    const Bytes bareScreen = {3, 0, 2, 0, 0x00, 2, 0};
    // Graphic control marking index 1 transparent.
    const Bytes transparent = {0x21, 0xF9, 4, 0x01, 0, 0, 1, 0};
    // A 2 x 1 image: minimum code size 2, codes clear (4), 1, 3, end (5), 3 bits each:
    // 0xCC = 11 001 100, 0x0A = 0000 101 0.
    const Bytes data2x1 = {2, 2, 0xCC, 0x0A, 0};
    auto at = [](int left, int top, int width, int height, std::uint8_t packed = 0) {
        return Bytes{0x2C, std::uint8_t(left),
                     0,    std::uint8_t(top),
                     0,    std::uint8_t(width),
                     0,    std::uint8_t(height),
                     0,    packed};
    };
    // A 3 x 2 image holding 1, 2, 3, 3, 2, 1: after the clear code, literals of 3 bits until entry 7
    // is made, then 4 bits.
    const Bytes data3x2 = Cat(
        {{2},
         test::SubBlocks(test::PackCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}, {2, 4}, {1, 4}, {5, 4}}))});
    const Bytes end = {0x3B};

    const struct {
        const char* what;
        Bytes file;
        Bytes indices;  // 3 x 2, rows top to bottom
    } cases[] = {
        {"screen-sized frame", Cat({header, screen, at(0, 0, 3, 2), data3x2, end}), {1, 2, 3, 3, 2, 1}},
        // A frame of the screen's size is the picture whatever its offset, transparency ignored.
        {"screen-sized frame off the screen",
         Cat({header, screen, at(7, 9, 3, 2), data3x2, end}),
         {1, 2, 3, 3, 2, 1}},
        {"screen-sized transparent frame",
         Cat({header, screen, transparent, at(0, 0, 3, 2), data3x2, end}),
         {1, 2, 3, 3, 2, 1}},
        {"small frame on the background",
         Cat({header, screen, at(1, 1, 2, 1), data2x1, end}),
         {2, 2, 2, 2, 1, 3}},
        {"transparent pixels not drawn",
         Cat({header, screen, transparent, at(1, 1, 2, 1), data2x1, end}),
         {2, 2, 2, 2, 2, 3}},
        {"frame clipped at the edge",
         Cat({header, screen, at(2, 0, 2, 1), data2x1, end}),
         {2, 2, 1, 2, 2, 2}},
        {"frame beside the screen", Cat({header, screen, at(5, 0, 2, 1), data2x1, end}), {2, 2, 2, 2, 2, 2}},
        {"no global map: index 0 around the frame",
         Cat({header, bareScreen, at(1, 1, 2, 1), data2x1, end}),
         {0, 0, 0, 0, 1, 3}},
    };
    for (const auto& c : cases) {
        const Bitmap b = FromBytes(c.file);
        EXPECT_EQ(b.Format(), PixelFormat::Indexed(8)) << c.what;
        ASSERT_EQ(b.Width(), 3) << c.what;
        ASSERT_EQ(b.Height(), 2) << c.what;
        EXPECT_EQ(Indices(b), c.indices) << c.what;
    }

    const Bitmap b = FromBytes(Cat({header, screen, at(1, 1, 2, 1), data2x1, end}));
    ASSERT_EQ(b.Palette().size(), 4u);
    EXPECT_EQ(b.PixelColor(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(b.PixelColor(2, 1), RGB(0, 0, 255));
    EXPECT_EQ(b.PixelColor(0, 0), RGB(0, 255, 0));

    // A local map of 2 entries (packed 0x80) is the palette: white, gray. Index 3 of the frame and
    // the background index 2 lie beyond it and show black.
    const Bitmap local =
        FromBytes(Cat({header, screen, at(0, 0, 2, 1, 0x80), {255, 255, 255, 128, 128, 128}, data2x1, end}));
    ASSERT_EQ(local.Palette().size(), 2u);
    EXPECT_EQ(Indices(local), (Bytes{1, 3, 2, 2, 2, 2}));
    EXPECT_EQ(local.PixelColor(0, 0), RGB(128, 128, 128));
    EXPECT_EQ(local.PixelColor(1, 0), clBlack);
    EXPECT_EQ(local.PixelColor(2, 0), clBlack);

    EXPECT_TRUE(FromBytes(Cat({header, screen, end})).Empty());
    // A screen 0 pixels wide and a frame on it: an empty picture.
    Bytes narrow = screen;
    narrow[0] = 0;
    EXPECT_TRUE(FromBytes(Cat({header, narrow, at(0, 0, 2, 1), data2x1, end})).Empty());
}

TEST(GifBitmapTest, SmallFirstFramesOfTheCorpus) {
    const struct {
        const char* gif;
        int width, height;
        Bytes indices;
    } cases[] = {
        // Screen 4 x 1 with background 3; a 2 x 1 frame of 0, 1 at (0, 0).
        {"wuffs/artificial-gif/background-color.gif", 4, 1, {0, 1, 3, 3}},
        // Screen 2 x 2 with background 0; a 3 x 1 frame of 1, 2, 3 at (1, 0), of which 1 shows.
        {"wuffs/artificial-gif/frame-out-of-bounds.gif", 2, 2, {0, 1, 0, 0}},
        // Screen 5 x 5; a 1 x 1 interlaced frame of index 0 at (3, 2) on background 0.
        {"wuffs/artificial-gif/small-frame-interlaced.gif", 5, 5, Bytes(25, 0)},
    };
    for (const auto& c : cases) {
        const Bitmap b = ReadGifFile(kDir + c.gif);
        ASSERT_EQ(b.Width(), c.width) << c.gif;
        ASSERT_EQ(b.Height(), c.height) << c.gif;
        EXPECT_EQ(Indices(b), c.indices) << c.gif;
    }
    // The first frame of the screen's size lies beside the screen; it is the picture all the same.
    EXPECT_EQ(
        Indices(ReadGifFile(kDir + "gif-test-suite/animated_transparent_loop_frames_out_of_bounds.gif")),
        Indices(ReadGifFile(kDir + "gif-test-suite/static_transparent.gif")));
}

TEST(GifBitmapTest, UnreadableFile) {
    try {
        ReadGifFile(kDir + "no-such-file.gif");
        FAIL();
    } catch (const GifError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot read " + kDir + "no-such-file.gif: No such file or directory");
    }
}

}  // namespace
}  // namespace curvana
