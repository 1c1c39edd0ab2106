#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "platform/FormatError.h"
#include "platform/PdfReader.h"
#include "support/FileTestSupport.h"

namespace curvana {
namespace {

using test::DataPath;
using test::ReadFileBytes;

// A binary PPM (P6, 8-bit) as pdftoppm writes it.
struct Ppm {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // red, green, blue, rows top first
};

Ppm ReadPpm(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    std::istringstream header(
        std::string(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 40)));
    std::string magic;
    int maxValue = 0;
    Ppm ppm;
    header >> magic >> ppm.width >> ppm.height >> maxValue;
    EXPECT_EQ(magic, "P6") << path;
    EXPECT_EQ(maxValue, 255) << path;
    const std::size_t start = std::size_t(header.tellg()) + 1;
    ppm.pixels.assign(bytes.begin() + std::ptrdiff_t(std::min(start, bytes.size())), bytes.end());
    EXPECT_EQ(ppm.pixels.size(), std::size_t(ppm.width) * std::size_t(ppm.height) * 3) << path;
    return ppm;
}

// pdftoppm's rendering of one page, at its defaults but for the options given.
Ppm Pdftoppm(const std::string& pdf, int page, int dpi, const std::string& options) {
    test::TempFolder folder;
    const std::string command = "pdftoppm -q -r " + std::to_string(dpi) + " -f " + std::to_string(page) +
                                " -l " + std::to_string(page) + " -singlefile " + options + " '" + pdf +
                                "' '" + folder.File("page") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0)
        << command << " (poppler-utils is one of the Makefile's packages)";
    return ReadPpm(folder.File("page.ppm"));
}

TEST(PdfReaderTest, PagesComeOutAsPdftoppmRendersThem) {
    const struct {
        const char* file;
        int page;
        int dpi;
        const char* options;  // for pdftoppm
    } cases[] = {
        {"chart.pdf", 1, 150, ""},  // shapes and text in embedded fonts
        {"chart.pdf", 1, 50, ""},
        {"chart.pdf", 1, 97, ""},  // 405.08 x 270.06 pixels
        {"chart.pdf", 1, 600, ""},
        {"two-pages.pdf", 1, 150, ""},  // 417.29 x 209.79 pixels; hairlines, a font not embedded
        {"two-pages.pdf", 2, 150, ""},  // turned a quarter, an enlarged picture
        {"two-pages.pdf", 2, 73, ""},
        {"owner-password.pdf", 1, 150, ""},  // encrypted, but opens without a password
        {"crop-box.pdf", 1, 150, "-cropbox"},
    };
    for (const auto& c : cases) {
        const std::string path = DataPath(std::string("pdf/") + c.file);
        const std::string what =
            std::string(c.file) + " page " + std::to_string(c.page) + " at " + std::to_string(c.dpi) + " dpi";
        const Ppm expected = Pdftoppm(path, c.page, c.dpi, c.options);
        const Bitmap picture = ReadPdfFile(path, c.page, c.dpi);
        ASSERT_EQ(picture.Format(), PixelFormat::Rgb24()) << what;
        ASSERT_EQ(picture.Width(), expected.width) << what;
        ASSERT_EQ(picture.Height(), expected.height) << what;
        int wrong = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                for (int c = 0; c < 3; ++c)  // blue, green, red against red, green, blue
                    wrong += picture.Row(y)[x * 3 + c] !=
                             expected.pixels[(std::size_t(y) * expected.width + x) * 3 + 2 - c];
        EXPECT_EQ(wrong, 0) << what;
        EXPECT_FALSE(picture.RowsBottomUp()) << what;  // a made picture
        EXPECT_TRUE(picture.Origin().header.empty()) << what;
    }
}

// The resident memory of this process, in bytes.
std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * std::size_t(::sysconf(_SC_PAGESIZE));
}

TEST(PdfReaderTest, RenderingGivesItsWorkingMemoryBack) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer holds on to freed memory";
#endif
    // 2506 x 1671 pixels: 12.6 MB kept, and about as much again for poppler's bitmap, its alpha plane
    // and the heap made ready for them, which must all be given back.
    const std::string path = DataPath("pdf/chart.pdf");
    for (int round = 0; round < 2; ++round) {
        const std::size_t before = ResidentBytes();
        const Bitmap picture = ReadPdfFile(path, 1, 600);
        const std::size_t kept = picture.Stride() * std::size_t(picture.Height());
        EXPECT_LT(ResidentBytes(), before + kept + (std::size_t(4) << 20)) << "round " << round;
    }
}

TEST(PdfReaderTest, PageCountsAreThoseOfTheFiles) {
    const struct {
        const char* file;
        int pages;
    } cases[] = {{"chart.pdf", 1}, {"two-pages.pdf", 2}, {"owner-password.pdf", 1}, {"huge-page.pdf", 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(PdfFilePageCount(DataPath(std::string("pdf/") + c.file)), c.pages) << c.file;
        EXPECT_EQ(PdfPageCount(ReadFileBytes(DataPath(std::string("pdf/") + c.file))), c.pages) << c.file;
    }
}

TEST(PdfReaderTest, UnreadableFilesAndRequestsFailBeforeRendering) {
    test::TempFolder folder;
    const std::string empty = folder.File("empty.pdf");
    test::WriteBytes(empty, "");
    const std::string text = folder.File("text.pdf");
    test::WriteBytes(text, "hello\n");
    const std::string cut = folder.File("cut.pdf");
    test::WriteBytes(
        cut, test::ReadBytes(DataPath("pdf/chart.pdf")).substr(0, 400));  // the header, part of an object
    const struct {
        std::string path;
        int page;
        int dpi;
        const char* reason;  // part of the message
        bool countFails;     // PdfFilePageCount fails too
    } cases[] = {
        {folder.File("missing.pdf"), 1, 150, "missing.pdf", true},
        {empty, 1, 150, "the file is empty", true},
        {text, 1, 150, "not a PDF file or is damaged", true},
        {cut, 1, 150, "not a PDF file or is damaged", true},
        {DataPath("pdf/locked.pdf"), 1, 150, "locked with a password", true},
        {DataPath("pdf/no-pages.pdf"), 1, 150, "has no pages", true},
        {DataPath("pdf/two-pages.pdf"), 0, 150, "has no page 0 (it has 2 pages)", false},
        {DataPath("pdf/two-pages.pdf"), 3, 150, "has no page 3 (it has 2 pages)", false},
        {DataPath("pdf/chart.pdf"), 2, 150, "has no page 2 (it has 1 page)", false},
        {DataPath("pdf/chart.pdf"), 1, 49, "resolution out of range: 49 dots per inch (50 to 600)", false},
        {DataPath("pdf/chart.pdf"), 1, 601, "resolution out of range: 601 dots per inch (50 to 600)", false},
        // 14400 points at 600 dpi: 120000 pixels a side; at 82 dpi 16400 x 16400, just over 2^28.
        {DataPath("pdf/huge-page.pdf"), 1, 600, "picture too large: 120000 x 120000 pixels", false},
        {DataPath("pdf/huge-page.pdf"), 1, 82, "picture too large: 16400 x 16400 pixels", false},
    };
    for (const auto& c : cases) {
        try {
            ReadPdfFile(c.path, c.page, c.dpi);
            ADD_FAILURE() << c.path << " page " << c.page << " at " << c.dpi << " dpi was read";
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        if (c.countFails) {
            EXPECT_THROW(PdfFilePageCount(c.path), FormatError) << c.path;
        }
    }
}

}  // namespace
}  // namespace curvana
