#include <gtest/gtest.h>

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

}  // namespace
}  // namespace curvana
