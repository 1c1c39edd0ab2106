#include <gtest/gtest.h>

#include <stdexcept>

#include "output/PreferenceRules.h"
#include "output/Printing.h"
#include "platform/RasterCanvas.h"
#include "support/RasterTestSupport.h"

namespace curvana {
namespace {

// A print job on a raster page that records its text and pages; every text line is 10 pixels high.
class RecordingSurface : public PrintSurface {
  public:
    RecordingSurface(int width, int height) : page(test::MakeRaster(width, height)), canvas(page) {}
    std::int64_t PageWidth() const override { return page.Width(); }
    std::int64_t PageHeight() const override { return page.Height(); }
    Canvas& PageCanvas() override { return canvas; }
    void TextOut(std::int64_t x, std::int64_t y, const std::string& text) override {
        texts.push_back({pages, x, y, text});
    }
    std::int64_t TextHeight(const std::string&) override { return 10; }
    void NewPage() override {
        if (failOnNewPage) throw std::runtime_error("printer out of paper");
        ++pages;
    }

    struct Text {
        int page;
        std::int64_t x, y;
        std::string text;
        bool operator==(const Text&) const = default;
    };
    Bitmap page;
    RasterCanvas canvas;
    std::vector<Text> texts;
    int pages = 1;
    bool failOnNewPage = false;
};

TEST(PrintingTest, ScaleFitsThePictureIntoThePage) {
    EXPECT_EQ(PrintScale(800, 400, 4800, 6600), 6.0);
    EXPECT_EQ(PrintScale(400, 800, 6600, 4800), 6.0);  // taller than wide on a landscape page: full height
    EXPECT_EQ(PrintScale(200, 100, 250, 1000), 1.25);
}

TEST(PrintingTest, PicturePageScalesPictureAndMarkersAndRestoresTheMarkerSize) {
    std::int32_t saved = MSize;
    MSize = 4;
    PlotDocument doc;
    doc.Picture = test::MakeRaster(80, 40, clSilver);
    doc.PlaceNewPicture();               // corner 1 at (8, 36)
    RecordingSurface surface(480, 660);  // scale 6: the picture fills 480 x 240
    PrintDocument(doc, {}, surface);
    EXPECT_EQ(MSize, 4);
    EXPECT_EQ(surface.page.PixelColor(479, 239), clSilver);
    EXPECT_EQ(surface.page.PixelColor(479, 241), clWhite);
    // Corner 1 prints at (48, 216) with marker size 24: its square's left side is column 24.
    EXPECT_EQ(surface.page.PixelColor(24, 200), clRed);
    EXPECT_EQ(surface.page.PixelColor(23, 200), clSilver);
    EXPECT_EQ(surface.pages, 2);  // the listing page exists even for an empty listing
    EXPECT_EQ(surface.texts, (std::vector<RecordingSurface::Text>{{2, 50, 40, kPrintCaption}}));

    surface.failOnNewPage = true;
    MSize = 5;
    EXPECT_THROW(PrintDocument(doc, {}, surface), std::runtime_error);
    EXPECT_EQ(MSize, 5);
    MSize = saved;
}

TEST(PrintingTest, ListingLinesRunOnToFurtherPages) {
    PlotDocument doc;
    doc.Picture = test::MakeRaster(10, 10);
    doc.PlaceNewPicture();
    std::vector<std::string> listing;
    for (int i = 0; i < 65; ++i)
        listing.push_back("line " + std::to_string(i));
    RecordingSurface surface(100, 660);
    PrintDocument(doc, listing, surface);
    ASSERT_EQ(surface.texts.size(), 66u);
    // Caption at y = 40, the first line two text heights below, then one height each: lines 0 to 59
    // reach y = 650 on page 2, line 60 starts page 3 at y = 40.
    EXPECT_EQ(surface.texts[1], (RecordingSurface::Text{2, 50, 60, "line 0"}));
    EXPECT_EQ(surface.texts[60], (RecordingSurface::Text{2, 50, 650, "line 59"}));
    EXPECT_EQ(surface.texts[61], (RecordingSurface::Text{3, 50, 40, "line 60"}));
    EXPECT_EQ(surface.pages, 3);
}

TEST(PrintingTest, PreferenceFieldsHoldWholeNumbersInTheirRange) {
    const struct {
        PreferenceField field;
        const char* text;
        std::int32_t value;
    } cases[] = {
        {PreferenceField::MarkerSize, "25", 20}, {PreferenceField::Digits, "0", 1},
        {PreferenceField::MarkerSize, "1", 2},   {PreferenceField::Digits, "", 3},
        {PreferenceField::MarkerSize, "", 4},    {PreferenceField::Digits, "7 ", 3},
        {PreferenceField::Digits, "15", 10},     {PreferenceField::MarkerSize, "$10", 16},
        {PreferenceField::Digits, "-4", 1},      {PreferenceField::MarkerSize, "abc", 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreferenceFieldValue(c.field, c.text), c.value) << c.text;
}

}  // namespace
}  // namespace curvana
