#include <gtest/gtest.h>

#include <sys/stat.h>

#include <stdexcept>

#include "platform/AtomicFile.h"
#include "support/FileTestSupport.h"

namespace curvana {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

TEST(AtomicFileTest, FailingWriterLeavesTheFolderAsItWas) {
    TempFolder folder;
    const std::string existing = folder.File("kept.cvn");
    WriteBytes(existing, "old");
    for (const std::string& path : {existing, folder.File("new.cvn")}) {
        EXPECT_THROW(WriteFileAtomically(path,
                                         [](std::ostream& out) {
                                             out << std::string(100000, 'x');  // past the buffer
                                             throw std::logic_error("stop");
                                         }),
                     std::logic_error);
    }
    EXPECT_EQ(ReadBytes(existing), "old");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"kept.cvn"});

    // A stream the writer itself put into a failed state is not a complete file either.
    EXPECT_THROW(WriteFileAtomically(existing,
                                     [](std::ostream& out) {
                                         out << "half";
                                         out.setstate(std::ios::badbit);
                                     }),
                 std::system_error);
    EXPECT_EQ(ReadBytes(existing), "old");
    EXPECT_EQ(folder.Entries().size(), 1u);
}

TEST(AtomicFileTest, WritesEverythingUnderTheFinalName) {
    TempFolder folder;
    std::string big(300000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7 % 251);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},         {"small", "a\r\nb\0c"},     {"big", big},
        {"replaced", "short"}, {"name-at-the-limit", "y"},
    };
    WriteBytes(folder.File("replaced"), std::string(50000, 'r'));
    for (const auto& c : cases) {
        std::string name = c.name;
        if (name == "name-at-the-limit") name = std::string(255, 'n');
        WriteFileAtomically(folder.File(name), [&](std::ostream& out) {
            // In pieces of several sizes: single characters, short and long blocks.
            std::size_t i = 0;
            for (std::size_t step = 1; i < c.bytes.size(); step = step * 3 + 1) {
                std::size_t n = std::min(step, c.bytes.size() - i);
                if (n == 1)
                    out.put(c.bytes[i]);
                else
                    out.write(c.bytes.data() + i, std::streamsize(n));
                i += n;
            }
        });
        EXPECT_EQ(ReadBytes(folder.File(name)), c.bytes) << c.name;
    }
    EXPECT_EQ(folder.Entries().size(), 5u);
}

TEST(AtomicFileTest, PermissionsOfANormalFile) {
    TempFolder folder;
    const struct {
        mode_t umask;
        int existingMode;  // -1: no file there yet
        mode_t expected;
    } cases[] = {
        {022, -1, 0644},   {077, -1, 0600},
        {002, -1, 0664},   {022, 0640, 0640},  // a replaced file keeps its permission bits
        {077, 0604, 0604},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string path = folder.File("file" + std::to_string(n++));
        if (c.existingMode >= 0) {
            WriteBytes(path, "old");
            ::chmod(path.c_str(), mode_t(c.existingMode));
        }
        mode_t previous = ::umask(c.umask);
        WriteFileAtomically(path, [](std::ostream& out) { out << "new"; });
        ::umask(previous);
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.expected) << path;
        EXPECT_TRUE(S_ISREG(st.st_mode));
    }
}

}  // namespace
}  // namespace curvana
