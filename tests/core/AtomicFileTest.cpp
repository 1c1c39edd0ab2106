#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <stdexcept>

#include "platform/AtomicFile.h"
#include "support/FileTestSupport.h"

namespace curvana {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

TEST(AtomicFileTest, OnlyACompleteWriteReachesTheFile) {
    TempFolder folder;
    const std::string path = folder.File("data.cvn");
    WriteBytes(path, "old");
    const std::function<void(std::ostream&)> failing[] = {
        [](std::ostream& out) {
            out << std::string(100000, 'x');  // more than the buffer holds
            throw std::logic_error("stop");
        },
        [](std::ostream& out) {
            out << "half";
            out.setstate(std::ios::badbit);
        },
    };
    for (const auto& write : failing) {
        EXPECT_ANY_THROW(WriteFileAtomically(path, write));
        EXPECT_EQ(ReadBytes(path), "old");
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"data.cvn"});
    }

    // Single characters, short blocks and one block larger than the buffer, in order.
    std::string expected;
    WriteFileAtomically(path, [&](std::ostream& out) {
        for (int i = 0; i < 70000; ++i) {
            out.put(char(i % 251));
            expected += char(i % 251);
        }
        std::string big(200000, '\0');
        for (std::size_t i = 0; i < big.size(); ++i)
            big[i] = char(i * 7 % 253);
        out << "abc" << big << "xyz";
        expected += "abc" + big + "xyz";
    });
    EXPECT_EQ(ReadBytes(path), expected);

    // The temporary name stays within the file system's limit when the final name is at it.
    const std::string longName = folder.File(std::string(255, 'n'));
    WriteFileAtomically(longName, [](std::ostream& out) { out << "y"; });
    EXPECT_EQ(ReadBytes(longName), "y");
}

TEST(AtomicFileTest, PermissionsOfANormalFile) {
    TempFolder folder;
    const struct {
        mode_t umask;
        int existingMode;  // -1: no file there yet
        const char* existing;
        mode_t expected;
    } cases[] = {
        // a new file: what open gives under the umask
        {022, -1, "", 0644},
        {077, -1, "", 0600},
        // a replaced file keeps its permission bits, an empty one too
        {022, 0640, "old", 0640},
        {077, 0604, "old", 0604},
        {022, 0600, "", 0600},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string path = folder.File("file" + std::to_string(n++));
        if (c.existingMode >= 0) {
            WriteBytes(path, c.existing);
            ::chmod(path.c_str(), mode_t(c.existingMode));
        }
        mode_t previous = ::umask(c.umask);
        WriteFileAtomically(path, [](std::ostream& out) { out << "new"; });
        ::umask(previous);
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.expected) << path;
        EXPECT_EQ(ReadBytes(path), "new");
    }
}

}  // namespace
}  // namespace curvana
