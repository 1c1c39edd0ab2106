#include <gtest/gtest.h>

#include "TestFiles.h"
#include "document/OpenDocument.h"
#include "support/FileTestSupport.h"

namespace curvana {
namespace {

TEST(OpenDocumentTest, TypeKeyDecidesHowAFileOpens) {
    const struct {
        const char* path;
        FileKind kind;
    } cases[] = {
        {"/d/PLOT.JPEG", FileKind::Jpeg},    {"/d/Graph.CVN", FileKind::Project},
        {"/d/notes.txt", FileKind::Unknown}, {"/d/scan.Bmp", FileKind::Bitmap},
        {"/d/a.gif", FileKind::Gif},         {"/d/a.jpg", FileKind::Jpeg},
        {"/d/a.jpe", FileKind::Unknown},     {"gif", FileKind::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KindOfFile(c.path), c.kind) << c.path;
}

TEST(OpenDocumentTest, SaveRules) {
    PlotDocument doc;
    doc.DocumentFolder = "/plots/";
    const struct {
        const char* name;
        bool project;
        const char* proposal;
    } cases[] = {
        {"Graph.cvn", true, "/plots/Graph.cvn"},
        {"Graph.CVN", false, "/plots/Graph.cvn"},  // the name check is case-sensitive
        {"scan.jpeg", false, "/plots/scan.jpeg.cvn"},
        {"scan.jpg", false, "/plots/scan.cvn"},
    };
    for (const auto& c : cases) {
        doc.Caption = c.name;
        EXPECT_EQ(IsProjectName(c.name), c.project) << c.name;
        EXPECT_EQ(ProposedProjectPath(doc), c.proposal) << c.name;
    }
    EXPECT_EQ(WithProjectExtension("/x/result.txt"), "/x/result.txt.cvn");
    EXPECT_EQ(WithProjectExtension("/x/result.cvn"), "/x/result.cvn");
    EXPECT_EQ(WithProjectExtension("/x/result.CVN"), "/x/result.CVN.cvn");
}

TEST(OpenDocumentTest, PicturesOpenWithTheDefaultBoxOrFailWithTheirMessage) {
    auto doc = OpenPictureDocument(test::DataPath("bmpsuite/g/pal8.bmp"));
    EXPECT_EQ(doc->Caption, "pal8.bmp");
    EXPECT_EQ(doc->DocumentFolder, test::DataPath("bmpsuite/g/"));
    EXPECT_EQ(doc->Box.Marker(4).Position(), (TPoint{114, 6}));  // 90 % of 127, 10 % of 64
    EXPECT_FALSE(doc->Modified);
    EXPECT_EQ(doc->MarkerList.size(), 4u);

    test::TempFolder folder;
    test::WriteBytes(folder.File("empty.gif"), "GIF89a\x01\x00\x01\x00\x00\x00\x00;");  // no frames
    test::WriteBytes(folder.File("bad.jpeg"), "not a JPEG");
    const struct {
        std::string path;
        const char* message;
    } failures[] = {
        {folder.File("missing.bmp"), "Invalid Bitmap Format."},
        {test::DataPath("bmpsuite/b/badrle.bmp"), "Invalid Bitmap Format."},
        {folder.File("empty.gif"), "Invalid Gif Format."},
        {folder.File("bad.jpeg"), "Invalid JPEG Format."},
    };
    for (const auto& f : failures) {
        try {
            OpenPictureDocument(f.path);
            ADD_FAILURE() << f.path;
        } catch (const OpenError& e) {
            EXPECT_STREQ(e.what(), f.message) << f.path;
        }
    }
}

TEST(OpenDocumentTest, PictureDataMakesAnUnsavedDocumentWithTheDefaultBox) {
    // 25 by 15 pixels: 2.5 and 22.5 round to the even neighbours 2 and 22, 1.5 and 13.5 to 2 and 14.
    auto doc = NewPictureDocument(Bitmap(25, 15, PixelFormat::Rgb24()), "Pasted Picture 1", "/home/u/");
    EXPECT_EQ(doc->Caption, "Pasted Picture 1");
    EXPECT_EQ(ProposedProjectPath(*doc), "/home/u/Pasted Picture 1.cvn");
    EXPECT_TRUE(doc->Modified) << "never saved";
    EXPECT_EQ(doc->Box.Marker(1).Position(), (TPoint{2, 14}));
    EXPECT_EQ(doc->Box.Marker(4).Position(), (TPoint{22, 2}));
    EXPECT_EQ(doc->MarkerList.size(), 4u);
    EXPECT_EQ(doc->ZoomedPicture.Width(), 25);
    EXPECT_THROW(NewPictureDocument(Bitmap(), "Pasted Picture 2", "/"), std::invalid_argument);
}

}  // namespace
}  // namespace curvana
