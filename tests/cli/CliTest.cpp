#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "document/ProjectFile.h"
#include "platform/BmpReader.h"
#include "platform/BmpWriter.h"

namespace curvana {
namespace {

struct Result {
    int status;
    std::string out;  // standard output and standard error together
};

Result RunCli(const std::string& args) {
    std::string command = std::string(CURVANA_CLI) + " " + args + " 2>&1";
    Result r{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), int(buffer.size()), pipe))
        r.out += buffer.data();
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/curvana-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }
    std::string File(const std::string& name) const { return dir_ + "/" + name; }

    // A project on a 200 by 100 picture, calibrated one data unit per pixel from corner 1, with a
    // series through (36, 82) and (100, 50) and a single marker at (120, 60).
    std::string MakeProject() {
        PlotDocument doc;
        doc.Picture = Bitmap(200, 100, PixelFormat::Rgb24());
        doc.PlaceNewPicture();
        doc.XMax = 160;
        doc.YMax = 80;
        doc.AddSeries({36, 82}, {100, 50});
        doc.AddSingleMarker({120, 60});
        const std::string path = File("plot.cvn");
        SaveToFile(doc, path);
        return path;
    }

    std::string dir_;
};

TEST_F(CliTest, HelpVersionAndUsageErrors) {
    Result help = RunCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: curvana-cli"), std::string::npos);
    // Every type the program opens a picture by.
    EXPECT_NE(help.out.find("Bitmap (.bmp), JPEG (.jpg, .jpeg), Gif (.gif), PNG (.png), TIFF (.tif, .tiff), "
                            "WebP (.webp), PDF (.pdf)"),
              std::string::npos);
    EXPECT_NE(help.out.find("decode PICTURE OUT.bmp [--page N] [--dpi D]"), std::string::npos);
    Result version = RunCli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("curvana-cli ") + CURVANA_VERSION + "\n");
    for (const char* wrong : {"",
                              "--frobnicate",
                              "listing",
                              "listing a.cvn --digits 11",
                              "listing a.cvn --digits",
                              "export a.cvn out --format pdf",
                              "convert a.cvn 1",
                              "convert a.cvn x 2",
                              "decode a.pdf o.bmp --page",
                              "decode a.pdf o.bmp --page 0",
                              "decode a.pdf o.bmp --page two",
                              "new a.pdf o.cvn --dpi 49",
                              "new a.pdf o.cvn --dpi 601",
                              "decode a.pdf o.bmp --dpi 1e2",
                              "decode a.pdf --page 2",
                              "listing a.cvn --page 2",
                              "listing a.cvn --method affine",
                              "convert a.cvn 1 2 --method",
                              "calibrate a.cvn b.cvn --corners 1 2 3 4 5 6 7 --scales 0 1 0 1",
                              "calibrate a.cvn b.cvn --corners 1 2 3 4 5 6 7 8",
                              "calibrate a.cvn b.cvn --scales 0 1 0 1",
                              "calibrate a.cvn b.cvn --corners 1 2 3 4 5 6 7 8.5 --scales 0 1 0 1",
                              "trace a.cvn 1 2",
                              "trace a.cvn 1 2 o.cvn --step 0",
                              "trace a.cvn 1 2 o.cvn --tolerance 442",
                              "trace a.cvn 1 2 o.cvn --gap -1",
                              "trace a.cvn 1 2.5 o.cvn"}) {
        Result r = RunCli(wrong);
        EXPECT_EQ(r.status, 2) << wrong;
        EXPECT_NE(r.out.find("Usage:"), std::string::npos) << wrong;
    }
}

TEST_F(CliTest, ListingConversionAndExport) {
    const std::string project = MakeProject();
    Result listing = RunCli("listing " + project);
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.out, "DataSeries 1\n16 , 8\n80 , 40\n \nSingle Markers\n100 , 30\n");
    EXPECT_EQ(RunCli("listing " + project + " --digits 1").out,
              "DataSeries 1\n1.6E+001 , 8\n8.0E+001 , 4.0E+001\n \nSingle Markers\n1.0E+002 , 3.0E+001\n");

    EXPECT_EQ(RunCli("convert " + project + " 100 50").out, "80 40\n");
    EXPECT_EQ(RunCli("convert " + project + " 21 89").out, "1 1\n");
    EXPECT_EQ(RunCli("deconvert " + project + " 80 40").out, "100 50\n");

    ASSERT_EQ(RunCli("export " + project + " " + File("out.csv") + " --format csv").status, 0);
    EXPECT_EQ(Read(File("out.csv")), "DataSeries 1\r\n16,8\r\n80,40\r\n\r\nSingle Markers\r\n100,30\r\n");
    // The scripting habit: the listing straight to the standard output.
    Result piped = RunCli("export " + project + " /dev/stdout --format csv");
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, Read(File("out.csv")));
}

// A frame seen at an angle: the top edge half as long as the bottom. Halfway up the picture is a
// third of the way up the plane with the perspective method; (100, 50) is the single marker.
TEST_F(CliTest, CalibrateAndChooseTheMethod) {
    const std::string project = MakeProject();
    const std::string angled = File("angled.cvn");
    ASSERT_EQ(RunCli("calibrate " + project + " " + angled +
                     " --corners 20 90 180 90 60 10 140 10 --scales 0 160 0 80 --method perspective")
                  .status,
              0);
    auto doc = LoadProjectFile(angled);
    EXPECT_EQ(doc->Method, CalibrationMethod::Perspective);
    EXPECT_EQ(doc->Box.Marker(3).Position(), (TPoint{60, 10}));
    EXPECT_EQ(doc->DataSeries.size(), 1u);  // the markers stay
    // The plane's map is x = (20 + 160u + 100v) / (1 + v), y = (90 - 70v) / (1 + v): (36, 82) is
    // v = 1/19, u = 0.0789 (X 12.63, Y 4.21); (120, 60) is v = 3/13, u = 0.654 (X 104.6, Y 18.46).
    EXPECT_EQ(RunCli("listing " + angled).out,
              "DataSeries 1\n12.6 , 4.21\n80 , 26.6\n \nSingle Markers\n104 , 18.4\n");
    EXPECT_NE(RunCli("listing " + angled + " --method bilinear").out.find("\n80 , 40\n"), std::string::npos);
    double x = 0, y = 0;
    ASSERT_EQ(std::sscanf(RunCli("convert " + angled + " 100 50").out.c_str(), "%lf %lf", &x, &y), 2);
    EXPECT_NEAR(x, 80, 1e-12);
    EXPECT_NEAR(y, 80.0 / 3, 1e-12);
    EXPECT_EQ(RunCli("convert " + angled + " 100 50 --method bilinear").out, "80 40\n");
    EXPECT_EQ(RunCli("deconvert " + angled + " 80 40").out, "100 37\n");
    EXPECT_EQ(RunCli("deconvert " + angled + " --method bilinear 80 40").out, "100 50\n");
    ASSERT_EQ(RunCli("export " + angled + " " + File("b.csv") + " --format csv --method bilinear").status, 0);
    EXPECT_NE(Read(File("b.csv")).find("\n80,40\r\n"), std::string::npos);

    // Without --method the project keeps its own; corners beyond the picture come onto it.
    ASSERT_EQ(RunCli("calibrate " + angled + " " + File("again.cvn") +
                     " --corners -5 120 300 90 0 0 199 0 "
                     "--scales 1 10 1e-3 1e3")
                  .status,
              0);
    doc = LoadProjectFile(File("again.cvn"));
    EXPECT_EQ(doc->Method, CalibrationMethod::Perspective);
    EXPECT_EQ(doc->Box.Marker(1).Position(), (TPoint{0, 99}));
    EXPECT_EQ(doc->Box.Marker(2).Position(), (TPoint{199, 90}));
    EXPECT_EQ(doc->YMin, 1e-3);
}

TEST_F(CliTest, TraceAddsTheCurveOrSaysThatThereIsNone) {
    // A black line three pixels wide along y = 50 across the box (x 20 to 180) on white.
    PlotDocument doc;
    doc.Picture = Bitmap(200, 100, PixelFormat::Rgb24());
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            doc.Picture.SetPixelValue(x, y, y >= 49 && y <= 51 && x >= 10 && x < 190 ? 0 : 0xFFFFFF);
    doc.PlaceNewPicture();
    SaveToFile(doc, File("line.cvn"));
    const Result traced =
        RunCli("trace " + File("line.cvn") + " 100 52 " + File("traced.cvn") + " --step 20");
    ASSERT_EQ(traced.status, 0) << traced.out;
    auto result = LoadProjectFile(File("traced.cvn"));
    ASSERT_EQ(result->DataSeries.size(), 1u);
    const TMarkerLine& series = *result->DataSeries[0];
    EXPECT_EQ(series.Name, "DataSeries 1");
    EXPECT_EQ(traced.out, std::to_string(series.Count()) + "\n");
    EXPECT_EQ(series.Count(), 9);  // 20 to 180 in 8 steps of 20, the stroke's ends left out
    for (int k = 0; k < series.Count(); ++k)
        EXPECT_EQ(series.Marker(k).Y, 50) << k;
    EXPECT_LE(series.Marker(0).X, 24);
    EXPECT_GE(series.Marker(series.Count() - 1).X, 176);

    const Result none = RunCli("trace " + File("line.cvn") + " 100 30 " + File("none.cvn"));
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "No curve was found at that point.\n");
    EXPECT_FALSE(std::ifstream(File("none.cvn")).good());
    EXPECT_EQ(RunCli("trace " + File("line.cvn") + " 100 30 " + File("none.cvn") + " --symbols").out,
              "Fewer than two symbols like that one were found.\n");
}

TEST_F(CliTest, PicturesAndProjects) {
    const std::string bmp = std::string(CURVANA_TEST_DATA) + "/bmpsuite/g/pal8v5.bmp";
    ASSERT_EQ(RunCli("decode " + bmp + " " + File("copy.bmp")).status, 0);
    EXPECT_EQ(Read(File("copy.bmp")), Read(bmp));  // the picture as a project would hold it

    ASSERT_EQ(RunCli("new " + bmp + " " + File("new.cvn")).status, 0);
    auto doc = LoadProjectFile(File("new.cvn"));
    EXPECT_EQ(doc->Box.Marker(1).Position(), (TPoint{13, 58}));  // 10 % and 90 % of 127 by 64
    EXPECT_EQ(RunCli("listing " + File("new.cvn")).out, "");

    const std::string project = MakeProject();
    ASSERT_EQ(RunCli("resave " + project + " " + File("again.cvn")).status, 0);
    EXPECT_EQ(Read(File("again.cvn")), Read(project));

    Result missing = RunCli("listing " + File("missing.cvn"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "File missing.cvn is corrupted.\n");
    std::ofstream(File("bad.gif")) << "GIF89a";
    Result bad = RunCli("decode " + File("bad.gif") + " " + File("x.bmp"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "Invalid Gif Format. (Premature end of data)\n");  // the message, then why
    // A page or resolution within its range is accepted; a picture without pages has page 1 alone.
    ASSERT_EQ(RunCli("decode " + bmp + " " + File("page1.bmp") + " --page 1 --dpi 600").status, 0);
    EXPECT_EQ(Read(File("page1.bmp")), Read(bmp));
    Result page2 = RunCli("new --page 2 " + bmp + " " + File("page2.cvn"));
    EXPECT_EQ(page2.status, 1);
    EXPECT_EQ(page2.out.rfind("Invalid Bitmap Format. (", 0), 0u) << page2.out;
    std::ofstream(File("bad.png")) << "not a PNG";
    Result png = RunCli("decode " + File("bad.png") + " " + File("x.bmp"));
    EXPECT_EQ(png.status, 1);
    EXPECT_EQ(png.out.rfind("Invalid PNG Format. (", 0), 0u) << png.out;
    Result unwritable = RunCli("resave " + project + " " + File("nofolder/x.cvn"));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.out,
              "Cannot create file " + File("nofolder/x.cvn") + ": No such file or directory\n");

    // A full disk: the path and the system's reason, for a project (with its picture) and an export.
    std::string full = File("full");
    if (::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0) {
        if (::geteuid() == 0) GTEST_SKIP() << "mknod is not permitted here";
        full = "/dev/full";  // which a user cannot replace
    }
    for (const std::string& command : {"resave " + project, "export " + project + " --format xls"}) {
        Result r = RunCli(command + " " + full);
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.out, "Cannot write " + full + ": No space left on device\n") << command;
    }
}

// The page and resolution asked for (this needs the TIFF and PDF readers).
TEST_F(CliTest, PagesAndResolution) {
    const std::string opening = std::string(CURVANA_TEST_DATA) + "/opening/";
    const struct {
        std::string args;
        int width, height;  // 0: fails with the format's message
    } pages[] = {
        {"two-pages.tif --page 2", 5, 2}, {"two-pages.tif", 4, 3},
        {"two-pages.tif --page 3", 0, 0}, {"two-pages.pdf --dpi 72 --page 2", 144, 72},
        {"two-pages.pdf", 150, 75},       {"two-pages.pdf --page 3", 0, 0},
    };
    for (const auto& p : pages) {
        std::remove(File("page.bmp").c_str());
        const Result r = RunCli("decode " + opening + p.args + " " + File("page.bmp"));
        if (p.width == 0) {
            EXPECT_EQ(r.status, 1) << p.args;
            const bool pdf = p.args.find(".pdf") != std::string::npos;
            EXPECT_EQ(r.out.rfind(pdf ? "Invalid PDF Format. (" : "Invalid TIFF Format. (", 0), 0u) << r.out;
            continue;
        }
        ASSERT_EQ(r.status, 0) << p.args << r.out;
        const Bitmap page = ReadBmpFile(File("page.bmp"));
        EXPECT_EQ(page.Width(), p.width) << p.args;
        EXPECT_EQ(page.Height(), p.height) << p.args;
    }
}

}  // namespace
}  // namespace curvana
