#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/RecentFiles.h"

namespace curvana {
namespace {

std::vector<std::string> Entries(const RecentFiles& r) {
    return {r.Entry(1), r.Entry(2), r.Entry(3), r.Entry(4)};
}

RecentFiles Listing(std::vector<std::string> entries) {
    RecentFiles r;
    for (int k = 1; k <= 4; ++k)
        r.SetEntry(k, entries[std::size_t(k - 1)]);
    return r;
}

TEST(RecentFilesTest, EnteringPathsAfterClosingDocuments) {
    const std::string f1 = "/d/f1.bmp", f2 = "/d/f2.bmp", f3 = "/d/f3.bmp", f4 = "/d/f4.bmp",
                      f5 = "/d/f5.bmp";
    struct Case {
        const char* what;
        std::vector<std::string> before;
        std::string entered;
        std::vector<std::string> after;
    };
    const std::vector<Case> cases = {
        {"first file", {"", "", "", ""}, f1, {f1, "", "", ""}},
        {"new path pushes the others down", {f4, f3, f2, f1}, f5, {f5, f4, f3, f2}},
        {"entry 3 swaps with entry 1", {f5, f4, f3, f2}, f3, {f3, f4, f5, f2}},
        {"entry 4 swaps with entry 1", {f5, f4, f3, f2}, f2, {f2, f4, f3, f5}},
        {"entry 2 swaps with entry 1", {f5, f4, f3, f2}, f4, {f4, f5, f3, f2}},
        {"entry 1 stays", {f5, f4, f3, f2}, f5, {f5, f4, f3, f2}},
        {"letter case makes a different path",
         {"/d/A.bmp", "", "", ""},
         "/d/a.bmp",
         {"/d/a.bmp", "/d/A.bmp", "", ""}},
        {"a listed path behind an empty entry still swaps", {"", f2, "", ""}, f2, {f2, "", "", ""}},
    };
    for (const Case& c : cases) {
        RecentFiles r = Listing(c.before);
        r.Enter(c.entered);
        EXPECT_EQ(Entries(r), c.after) << c.what;
    }
}

TEST(RecentFilesTest, MenuShowsFileNamesUpToTheFirstEmptyEntry) {
    struct Case {
        std::vector<std::string> entries;
        std::vector<bool> visible;
        bool separator;
    };
    const std::vector<Case> cases = {
        {{"", "", "", ""}, {false, false, false, false}, false},
        {{"/x/a.cvn", "", "", ""}, {true, false, false, false}, true},
        {{"/x/a.cvn", "/y/b.bmp", "/z/c.gif", "/w/d.jpg"}, {true, true, true, true}, true},
        // An empty entry hides every entry after it.
        {{"/x/a.cvn", "", "/z/c.gif", "/w/d.jpg"}, {true, false, false, false}, true},
        {{"", "/y/b.bmp", "", ""}, {false, false, false, false}, false},
    };
    for (const Case& c : cases) {
        RecentFiles r = Listing(c.entries);
        for (int k = 1; k <= 4; ++k)
            EXPECT_EQ(r.ItemVisible(k), c.visible[std::size_t(k - 1)]) << c.entries[0] << " item " << k;
        EXPECT_EQ(r.SeparatorVisible(), c.separator);
    }

    RecentFiles r = Listing({"/home/u/plots/graph.cvn", "/other/graph.cvn", "/x/R&D.bmp", ""});
    EXPECT_EQ(r.Caption(1), "&1. graph.cvn");
    EXPECT_EQ(r.Caption(2), "&2. graph.cvn");  // same name in another folder reads the same
    EXPECT_EQ(r.Caption(3), "&3. R&&D.bmp");
    EXPECT_EQ(r.Caption(4), "&4. ");
}

}  // namespace
}  // namespace curvana
