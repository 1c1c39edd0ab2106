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
        {"/d/PLOT.JPEG", FileKind::Jpeg},     {"/d/Graph.CVN", FileKind::Project},
        {"/d/notes.txt", FileKind::Unknown},  {"/d/scan.Bmp", FileKind::Bitmap},
        {"/d/a.gif", FileKind::Gif},          {"/d/a.jpg", FileKind::Jpeg},
        {"/d/a.jpe", FileKind::Unknown},      {"gif", FileKind::Unknown},
        {"/d/PLOT.PNG", FileKind::Png},       {"/d/x.TIFF", FileKind::Tiff},
        {"/d/x.tif", FileKind::Tiff},         {"/d/a.webp", FileKind::Webp},
        {"/d/b.Pdf", FileKind::Pdf},          {"/d/a.pn", FileKind::Unknown},
        {"/d/a.tiff.bak", FileKind::Unknown}, {"/d/scanwebp", FileKind::Webp},  // four characters decide
        {"/d/a.webm", FileKind::Unknown},     {"/d/a.tf", FileKind::Unknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KindOfFile(c.path), c.kind) << c.path;
        const PictureFormat* format = PictureFormatOf(c.path);
        EXPECT_EQ(format ? format->kind : FileKind::Unknown,
                  c.kind == FileKind::Project ? FileKind::Unknown : c.kind)
            << c.path;
    }
}

TEST(OpenDocumentTest, OpenDialogListsEveryPictureFormatBeforeAllFiles) {
    EXPECT_EQ(
        OpenDialogFilter(),
        "Curvana Files (*.cvn)|*.cvn|Bitmap Files (*.bmp)|*.bmp|JPEG Files (*.jpg; *.jpeg)|*.jpg;*.jpeg|"
        "Gif Files (*.gif)|*.gif|PNG Files (*.png)|*.png|TIFF Files (*.tif; *.tiff)|*.tif;*.tiff|"
        "WebP Files (*.webp)|*.webp|PDF Files (*.pdf)|*.pdf|"
        "All Pictures|*.bmp;*.jpg;*.jpeg;*.gif;*.png;*.tif;*.tiff;*.webp;*.pdf|All Files (*.*)|*.*");
    // Pages and resolution belong to TIFF and PDF, the resolution to PDF alone.
    for (const PictureFormat& f : PictureFormats()) {
        EXPECT_EQ(f.hasPages, f.kind == FileKind::Tiff || f.kind == FileKind::Pdf) << f.name;
        EXPECT_EQ(f.pageCount != nullptr, f.hasPages) << f.name;
        EXPECT_EQ(f.takesResolution, f.kind == FileKind::Pdf) << f.name;
    }
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
        {"chart.png", false, "/plots/chart.cvn"},
        {"chart.tiff", false, "/plots/chart.tiff.cvn"},
        {"chart.webp", false, "/plots/chart.webp.cvn"},
        {"paper.pdf", false, "/plots/paper.cvn"},
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
    EXPECT_EQ(doc->MarkerList().size(), 4u);

    test::TempFolder folder;
    test::WriteBytes(folder.File("empty.gif"), "GIF89a\x01\x00\x01\x00\x00\x00\x00;");  // no frames
    test::WriteBytes(folder.File("short.gif"), "GIF89a");
    test::WriteBytes(folder.File("bad.jpeg"), "not a JPEG");
    for (const char* name : {"bad.png", "bad.tif", "bad.webp", "bad.pdf"})
        test::WriteBytes(folder.File(name), "not a picture");
    // The fixed message, and the decoder's reason: it holds the text given where that is known.
    const struct {
        std::string path;
        const char* message;
        std::string reason;
        PageChoice choice = {};
    } failures[] = {
        {folder.File("missing.bmp"), "Invalid Bitmap Format.",
         "Cannot read " + folder.File("missing.bmp") + ": No such file or directory"},
        {test::DataPath("bmpsuite/b/badrle.bmp"), "Invalid Bitmap Format.", ""},
        {test::DataPath("bmpsuite/g/pal8.bmp"), "Invalid Bitmap Format.", "", {2, 150}},  // one page only
        {folder.File("empty.gif"), "Invalid Gif Format.", ""},
        {folder.File("short.gif"), "Invalid Gif Format.", "Premature end of data"},
        {folder.File("bad.jpeg"), "Invalid JPEG Format.", "Not a JPEG file: starts with 0x6e 0x6f"},
        {folder.File("bad.png"), "Invalid PNG Format.", ""},
        {folder.File("bad.tif"), "Invalid TIFF Format.", ""},
        {folder.File("bad.webp"), "Invalid WebP Format.", ""},
        {folder.File("bad.pdf"), "Invalid PDF Format.", ""},
    };
    for (const auto& f : failures) {
        try {
            OpenPictureDocument(f.path, f.choice);
            ADD_FAILURE() << f.path;
        } catch (const OpenError& e) {
            EXPECT_STREQ(e.what(), f.message) << f.path;
            EXPECT_FALSE(e.Reason().empty()) << f.path;
            EXPECT_NE(e.Reason().find(f.reason), std::string::npos) << e.Reason() << " " << f.path;
        }
    }
    // Counting pages fails as decoding does; a format without pages has one.
    EXPECT_EQ(PicturePageCount(test::DataPath("bmpsuite/g/pal8.bmp"), FileKind::Bitmap), 1);
    for (const auto& [name, kind] :
         {std::pair{"bad.tif", FileKind::Tiff}, std::pair{"bad.pdf", FileKind::Pdf}})
        EXPECT_THROW(PicturePageCount(folder.File(name), kind), OpenError) << name;
}

TEST(OpenDocumentTest, PictureDataMakesAnUnsavedDocumentWithTheDefaultBox) {
    // 25 by 15 pixels: 2.5 and 22.5 round to the even neighbours 2 and 22, 1.5 and 13.5 to 2 and 14.
    auto doc = NewPictureDocument(Bitmap(25, 15, PixelFormat::Rgb24()), "Pasted Picture 1", "/home/u/");
    EXPECT_EQ(doc->Caption, "Pasted Picture 1");
    EXPECT_EQ(ProposedProjectPath(*doc), "/home/u/Pasted Picture 1.cvn");
    EXPECT_TRUE(doc->Modified) << "never saved";
    EXPECT_EQ(doc->Box.Marker(1).Position(), (TPoint{2, 14}));
    EXPECT_EQ(doc->Box.Marker(4).Position(), (TPoint{22, 2}));
    EXPECT_EQ(doc->MarkerList().size(), 4u);
    EXPECT_EQ(doc->ZoomedPicture.Width(), 25);
    EXPECT_THROW(NewPictureDocument(Bitmap(), "Pasted Picture 2", "/"), std::invalid_argument);
}

}  // namespace
}  // namespace curvana
