#include <gtest/gtest.h>

#include "platform/Paths.h"

namespace curvana {
namespace {

TEST(PathsTest, FileNameFolderAndExtension) {
    const struct {
        const char* path;
        const char* name;
        const char* folder;
        const char* ext;
    } cases[] = {
        {"/home/u/graph.bmp", "graph.bmp", "/home/u/", ".bmp"},
        {"graph", "graph", "", ""},
        {"/plots.v2/graph", "graph", "/plots.v2/", ""},  // the dot belongs to a folder
        {"/x/", "", "/x/", ""},
        {"/x/a.b.c", "a.b.c", "/x/", ".c"},
        {"/x/trailing.", "trailing.", "/x/", "."},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
        EXPECT_EQ(ExtractFilePath(c.path) + ExtractFileName(c.path), c.path);
        EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    }
}

TEST(PathsTest, OpenTypeKeyIsTheLastFourCharactersLowerCased) {
    const struct {
        const char* path;
        const char* key;
    } cases[] = {
        {"/data/PLOT.JPEG", "jpeg"},
        {"Graph.CVN", ".cvn"},
        {"notes.txt", ".txt"},
        {"a.b", "a.b"},
        {"/x/Scan.Gif", ".gif"},
        {"/x/\xC3\x89T\xC3\x89.BMP", ".bmp"},
        {"/x/ab\xC3\x89", "/ab\xC3\x89"},  // four characters, five bytes; only A to Z are lowered
    };
    for (const auto& c : cases)
        EXPECT_EQ(OpenTypeKey(c.path), c.key) << c.path;
}

TEST(PathsTest, StripExtRemovesOnlyShortExtensions) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"graph.bmp", "graph"}, {"scan.jpeg", "scan.jpeg"},   {"scan.jpg", "scan"},
        {"Graph.CVN", "Graph"}, {"graph.data", "graph.data"}, {"noext", "noext"},
        {"a.b.c", "a.b"},       {"trailing.", "trailing"},    {".abc", ""},
        {".hidden", ".hidden"}, {"x.\xC3\xA9t\xC3\xA9", "x"},  // three characters after the dot, five bytes
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripExt(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace curvana
