#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/Bitmap.h"

namespace curvana {
namespace {

TEST(BitmapTest, PixelValuesRoundTripInEveryFormat) {
    struct Case {
        PixelFormat format;
        std::uint32_t value;
        std::size_t stride;  // for a 5-pixel row: padded to 4 bytes
    };
    const Case cases[] = {
        {PixelFormat::Indexed(1), 1, 4},         {PixelFormat::Indexed(2), 3, 4},
        {PixelFormat::Indexed(4), 9, 4},         {PixelFormat::Indexed(8), 200, 8},
        {PixelFormat::Rgb565(), 0xF81F, 12},     {PixelFormat::Rgb24(), 0x123456, 16},
        {PixelFormat::Bgrx32(), 0x00ABCDEF, 20},
    };
    for (const Case& c : cases) {
        Bitmap b(5, 2, c.format);
        EXPECT_EQ(b.Stride(), c.stride) << c.format.bitsPerPixel;
        b.SetPixelValue(3, 1, c.value);
        EXPECT_EQ(b.PixelValue(3, 1), c.value) << c.format.bitsPerPixel;
        EXPECT_EQ(b.PixelValue(2, 1), 0u) << c.format.bitsPerPixel;
        EXPECT_EQ(b.PixelValue(4, 1), 0u) << c.format.bitsPerPixel;
        EXPECT_EQ(b.PixelValue(3, 0), 0u) << c.format.bitsPerPixel;
    }
}

TEST(BitmapTest, ColoursOfPixels) {
    Bitmap pal(4, 1, PixelFormat::Indexed(4));
    pal.SetPalette({RgbQuad{10, 20, 30, 0}, RgbQuad{0, 0, 255, 0}});
    pal.SetPixelValue(0, 0, 1);
    pal.SetPixelValue(1, 0, 0);
    pal.SetPixelValue(2, 0, 7);  // beyond the colour table
    EXPECT_EQ(pal.PixelColor(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(pal.PixelColor(1, 0), RGB(30, 20, 10));
    EXPECT_EQ(pal.PixelColor(2, 0), clBlack);

    Bitmap rgb(1, 1, PixelFormat::Rgb24());
    rgb.SetPixelValue(0, 0, 0x0000FF);  // bytes blue, green, red
    EXPECT_EQ(rgb.PixelColor(0, 0), RGB(0, 0, 255));

    // The largest value of a channel is full intensity whatever its width.
    Bitmap w565(1, 1, PixelFormat::Rgb565());
    w565.SetPixelValue(0, 0, 0xFFFF);
    EXPECT_EQ(w565.PixelColor(0, 0), clWhite);
    Bitmap r555(1, 1, PixelFormat::Rgb555());
    r555.SetPixelValue(0, 0, 0x7C00);
    EXPECT_EQ(r555.PixelColor(0, 0), RGB(255, 0, 0));

    Bitmap raster(2, 1, PixelFormat::Raster32());
    raster.SetPixelValue(1, 0, ToRasterPixel(RGB(1, 2, 3)));
    RasterPixel out[2];
    raster.ConvertRow(0, 0, 2, out);
    EXPECT_EQ(out[0], ToRasterPixel(clBlack));
    EXPECT_EQ(out[1], ToRasterPixel(RGB(1, 2, 3)));
}

TEST(BitmapTest, RefusesSizesOverTheLimit) {
    EXPECT_THROW(Bitmap(-1, 1, PixelFormat::Rgb24()), std::length_error);
    EXPECT_THROW(Bitmap(1 << 15, (1 << 13) + 1, PixelFormat::Rgb24()), std::length_error);
    EXPECT_NO_THROW(Bitmap(0, 10, PixelFormat::Rgb24()));
}

TEST(BitmapTest, CopiesAreIndependent) {
    Bitmap a(3, 3, PixelFormat::Indexed(8));
    a.SetPixelValue(1, 1, 5);
    Bitmap b = a;
    b.SetPixelValue(1, 1, 6);
    EXPECT_EQ(a.PixelValue(1, 1), 5u);
    EXPECT_EQ(b.PixelValue(1, 1), 6u);
}

TEST(BitmapTest, RowsHeldBottomUpInASharedBlock) {
    // Rows of a 2x3 8-bit picture as a BMP file holds them: bottom row first, padded to 4 bytes,
    // after two bytes of something else in the same block.
    const std::uint8_t file[] = {99, 99, 5, 6, 0, 0, 3, 4, 0, 0, 1, 2, 0, 0};
    std::shared_ptr<std::uint8_t[]> block(new std::uint8_t[sizeof file]);
    std::memcpy(block.get(), file, sizeof file);
    const std::shared_ptr<std::uint8_t[]> rows(block, block.get() + 2);

    Bitmap picture(2, 3, PixelFormat::Indexed(8), rows, true);
    const std::uint32_t want[3][2] = {{1, 2}, {3, 4}, {5, 6}};  // top row first
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(picture.PixelValue(x, y), want[y][x]) << x << "," << y;

    // Written to while the block is shared: the picture takes a copy and the block stays.
    picture.SetPixelValue(0, 0, 9);
    EXPECT_EQ(picture.PixelValue(0, 0), 9u);
    EXPECT_EQ(block[10], 1);

    // Made top-down for drawing, it shows the same picture.
    Bitmap copy = picture;
    copy.MakeRowsTopDown();
    EXPECT_FALSE(copy.RowsBottomUp());
    EXPECT_EQ(copy.Rows()[0], 9);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(copy.PixelValue(x, y), picture.PixelValue(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace curvana
