#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <regex>
#include <stdexcept>
#include <thread>

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

// The user that saves in the cases "by an unprivileged user": nobody when the tests run as root,
// otherwise the user running them.
uid_t SavingUser() {
    if (::geteuid() != 0) return ::geteuid();
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

// Saves `content` to `path` in a child process with the given umask, as SavingUser() when `byUser`,
// and with files limited to `sizeLimit` bytes when that is not 0. Returns the failure's text, empty
// when the save succeeded.
std::string SaveInChild(const std::string& path, const std::string& content, mode_t umask, bool byUser,
                        rlim_t sizeLimit = 0) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        ::umask(umask);
        const uid_t user = SavingUser();
        if (byUser && ::geteuid() != user &&
            (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0))
            ::_exit(3);
        if (sizeLimit > 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{sizeLimit, sizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::string failure;
        try {
            WriteFileAtomically(path, [&](std::ostream& out) { out << content; });
        } catch (const std::exception& e) {
            failure = std::string("failed: ") + e.what();
        }
        (void)!::write(pipeFds[1], failure.data(), failure.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string failure;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;)
        failure.append(chunk, std::size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the saving process did not finish";
    return failure;
}

// Starts a save of `path` in a child process and kills it (SIGKILL) half-way through.
void KillSaveHalfway(const std::string& path) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        WriteFileAtomically(path, [](std::ostream& out) {
            out << std::string(100000, 'x') << std::flush;
            ::kill(::getpid(), SIGKILL);
        });
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
}

TEST(AtomicFileTest, TheNextSaveRemovesWhatAKilledSaveLeft) {
    TempFolder folder;
    const std::string path = folder.File("plot.cvn");
    WriteBytes(path, "old");
    KillSaveHalfway(path);
    EXPECT_EQ(ReadBytes(path), "old");
    std::vector<std::string> left = folder.Entries();
    std::erase(left, "plot.cvn");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(std::regex_match(left[0], std::regex(R"(\.plot\.cvn\.curvana-[A-Za-z0-9]{6}\.tmp)")))
        << left[0];

    // Names near the pattern, another file's temporary files, and things that are not files.
    std::vector<std::string> kept = {
        ".plot.cvn.curvana-Ab12C.tmp",
        ".plot.cvn.curvana-Ab12Cde.tmp",
        ".plot.cvn.curvana-Ab-2Cd.tmp",
        ".plot.cvn.curvana-Ab12Cd.tmp~",
        ".plot.cvn.curvana-Ab12Cd.TMP",
        "plot.cvn.curvana-Ab12Cd.tmp",
        ".Plot.cvn.curvana-Ab12Cd.tmp",
        "..plot.cvn.curvana-Ab12Cd.tmp",
        ".lot.cvn.curvana-Ab12Cd.tmp",
        ".plot.cvn.x.curvana-Ab12Cd.tmp",
        ".plot.cvn.curvana-Ab12Cd.tmp.curvana-Ab12Cd.tmp",
    };
    for (const std::string& name : kept)
        WriteBytes(folder.File(name), "keep");
    kept.push_back(".plot.cvn.curvana-Link01.tmp");
    ::symlink("plot.cvn", folder.File(kept.back()).c_str());
    kept.push_back(".plot.cvn.curvana-Dir001.tmp");
    ::mkdir(folder.File(kept.back()).c_str(), 0755);
    // One that a save in progress holds.
    kept.push_back(".plot.cvn.curvana-Busy01.tmp");
    WriteBytes(folder.File(kept.back()), "partial");
    const int busy = ::open(folder.File(kept.back()).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);

    WriteFileAtomically(path, [](std::ostream& out) { out << "new"; });
    kept.push_back("plot.cvn");
    std::vector<std::string> entries = folder.Entries();
    std::sort(entries.begin(), entries.end());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(entries, kept);
    EXPECT_EQ(ReadBytes(path), "new");
    ::close(busy);  // that save is gone now
    WriteFileAtomically(path, [](std::ostream& out) { out << "again"; });
    EXPECT_EQ(folder.Entries().size(), kept.size() - 1);

    // Long names are cut in the pattern, yet a name that shares the cut part keeps its file.
    const std::string longName = folder.File(std::string(254, 'n') + "1");
    const std::string otherName = folder.File(std::string(254, 'n') + "2");
    KillSaveHalfway(longName);
    KillSaveHalfway(otherName);
    const std::size_t before = folder.Entries().size();
    WriteFileAtomically(longName, [](std::ostream& out) { out << "y"; });
    EXPECT_EQ(ReadBytes(longName), "y");
    EXPECT_EQ(folder.Entries().size(), before) << "one temporary file gone, the long name's file made";
}

// Reads `size` bytes in a thread from what `open` gives (retried while it gives -1), giving up after
// a few seconds so that a writer that never comes fails the test instead of hanging it.
struct Reader {
    std::string text;
    std::thread thread;
    Reader(std::function<int()> open, std::size_t size)
        : thread([this, open, size] {
              const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
              int fd = -1;
              while (fd < 0 && std::chrono::steady_clock::now() < deadline)
                  if ((fd = open()) < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
              ::fcntl(fd, F_SETFL, O_NONBLOCK);
              char chunk[4096];
              while (fd >= 0 && text.size() < size && std::chrono::steady_clock::now() < deadline) {
                  const ssize_t n = ::read(fd, chunk, sizeof chunk);
                  if (n > 0)
                      text.append(chunk, std::size_t(n));
                  else
                      std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
              if (fd >= 0) ::close(fd);
          }) {}
    std::string Join() {
        thread.join();
        return text;
    }
};

TEST(AtomicFileTest, TargetsThatAreNotPlainFilesAreWrittenWhereTheyLead) {
    TempFolder folder;
    const std::string content(100000, 'c');
    const auto save = [&](const std::string& path) {
        std::string failure;
        try {
            WriteFileAtomically(path, [&](std::ostream& out) {
                out << content;
                if (!out) throw std::runtime_error("the writer's own words");  // as the file writers do
            });
        } catch (const std::exception& e) {
            failure = e.what();
        }
        return failure;
    };
    // A device node of our own where the system lets us make one.
    const auto device = [&](const std::string& name, unsigned minor, const char* system) {
        const std::string path = folder.File(name);
        if (::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, minor)) == 0) return path;
        return ::geteuid() == 0 ? std::string() : std::string(system);  // a user cannot replace those
    };

    // A named pipe gets the content; it stays a pipe.
    const std::string fifo = folder.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    Reader fromFifo([&] { return ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK); }, content.size());
    EXPECT_EQ(save(fifo), "");
    EXPECT_EQ(fromFifo.Join(), content);

    // A listening socket is connected to.
    const std::string socketPath = folder.File("socket");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    Reader fromSocket([&] { return ::accept(listener, nullptr, nullptr); }, content.size());
    EXPECT_EQ(save(socketPath), "");
    EXPECT_EQ(fromSocket.Join(), content);
    ::close(listener);

    // An open descriptor by its name, as /dev/stdout is.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    Reader fromPipe([&] { return pipeFds[0]; }, content.size());
    const std::string descriptor = "/proc/self/fd/" + std::to_string(pipeFds[1]);
    EXPECT_EQ(save(descriptor), "");
    ::close(pipeFds[1]);
    EXPECT_EQ(fromPipe.Join(), content);

    // Devices: one that takes everything, and a full disk, whose failure names the path and reason.
    const std::string null = device("null", 3, "/dev/null"), full = device("full", 7, "/dev/full");
    if (null.empty()) std::cout << "[ SKIPPED  ] devices: mknod is not permitted here\n";
    if (!null.empty()) {
        EXPECT_EQ(save(null), "");
    }
    if (!full.empty()) {
        EXPECT_EQ(save(full), "Cannot write " + full + ": No space left on device");
    }

    // A folder is refused as it is.
    EXPECT_EQ(save(folder.File("")), "Cannot create file " + folder.File("") + ": Is a directory");

    // Symbolic links stay; the file they lead to is written, and made when it does not exist.
    ::mkdir(folder.File("sub").c_str(), 0755);
    const struct {
        const char* link;
        std::string target;  // as the link holds it
        const char* written;
    } links[] = {
        {"dangling", "sub/new.cvn", "sub/new.cvn"},
        {"absolute", folder.File("sub/abs.cvn"), "sub/abs.cvn"},
        {"chain", "dangling", "sub/new.cvn"},
        {"sub/up", "../top.cvn", "top.cvn"},
    };
    for (const auto& l : links) {
        ASSERT_EQ(::symlink(l.target.c_str(), folder.File(l.link).c_str()), 0);
        EXPECT_EQ(save(folder.File(l.link)), "") << l.link;
        EXPECT_EQ(ReadBytes(folder.File(l.written)), content) << l.link;
    }
    for (const auto& l : links) {
        struct stat st;
        EXPECT_TRUE(::lstat(folder.File(l.link).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << l.link;
    }
    // Every special entry is still what it was.
    for (const auto& [name, type] : {std::pair{"pipe", mode_t(S_IFIFO)}, {"socket", mode_t(S_IFSOCK)}}) {
        struct stat st;
        EXPECT_TRUE(::lstat(folder.File(name).c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type) << name;
    }
    for (const std::string& node : {null, full}) {
        struct stat st;
        if (!node.empty()) {
            EXPECT_TRUE(::lstat(node.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) << node;
        }
    }
}

TEST(AtomicFileTest, PermissionsOfANormalFile) {
    TempFolder folder;
    ::chmod(folder.File("").c_str(), 0755);  // open to the unprivileged saver
    const bool root = ::geteuid() == 0;
    const uid_t user = SavingUser();
    enum Folder : mode_t { Open = 0777, Closed = 0555, Sticky = 01777 };
    enum Result { Replaced, ReplacedBySaver, InPlace };
    const struct Case {
        mode_t umask;
        int existingMode;  // -1: no file there yet
        const char* existing;
        mode_t expected;
        struct {
            bool byUser = false;      // saved by an unprivileged user instead of the tests' user
            bool otherOwner = false;  // the file belongs to another user than the saver (root or nobody)
            Folder folder = Open;
            bool linked = false;   // the file has a second name
            rlim_t sizeLimit = 0;  // the saver may not make files larger than this
            Result result = Replaced;
            const char* failure = nullptr;  // the failure's reason; the file then stays as it was
        } also = {};
    } cases[] = {
        // a new file: what open gives under the umask
        {022, -1, "", 0644},
        {077, -1, "", 0600},
        // a replaced file keeps its permission bits, an empty one too
        {022, 0640, "old", 0640},
        {077, 0604, "old", 0604},
        {022, 0600, "", 0600},
        // a read-only file is refused, even to root, and so is another user's file to a user
        {022, 0444, "old", 0444, {.failure = "Permission denied"}},
        {022, 0400, "old", 0400, {.byUser = true, .failure = "Permission denied"}},
        {022, 0644, "old", 0644, {.byUser = true, .otherOwner = true, .failure = "Permission denied"}},
        // root keeps another owner; a user cannot, and the group's bits become those of others
        {022, 0640, "old", 0640, {.otherOwner = true}},
        {022, 0662, "old", 0622, {.byUser = true, .otherOwner = true, .result = ReplacedBySaver}},
        // in place: a second name, a folder the user may not write, someone else's file in a sticky
        // folder; and the old content back when the new one does not fit
        {022, 0644, "old", 0644, {.linked = true, .result = InPlace}},
        {022, 0666, "old", 0666, {.byUser = true, .folder = Closed, .result = InPlace}},
        {022, 0666, "old", 0666, {.byUser = true, .otherOwner = true, .folder = Sticky, .result = InPlace}},
        {022, 0644, "old", 0644, {.linked = true, .sizeLimit = 4096, .failure = "File too large"}},
        {022,
         0666,
         "old",
         0666,
         {.byUser = true, .folder = Closed, .sizeLimit = 4096, .failure = "File too large"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string dir = folder.File("case" + std::to_string(n++));
        const std::string path = dir + "/file", link = dir + "/link";
        if (c.also.otherOwner && !root) {
            std::cout << "[ SKIPPED  ] " << dir << ": another owner needs the tests to run as root\n";
            continue;
        }
        ::mkdir(dir.c_str(), 0777);
        const uid_t saver = c.also.byUser ? user : ::geteuid();
        const uid_t owner = c.also.otherOwner ? (saver == 0 ? user : 0) : saver;
        if (c.existingMode >= 0) {
            WriteBytes(path, c.existing);
            ::chmod(path.c_str(), mode_t(c.existingMode));
            if (root) (void)!::chown(path.c_str(), owner, owner);
            if (c.also.linked) ::link(path.c_str(), link.c_str());
        }
        ::chmod(dir.c_str(), c.also.folder);
        struct stat before {};
        ::stat(path.c_str(), &before);
        const std::string content = c.also.sizeLimit > 0 ? std::string(c.also.sizeLimit * 4, 'n') : "new";
        const std::string failure = SaveInChild(path, content, c.umask, c.also.byUser, c.also.sizeLimit);
        ::chmod(dir.c_str(), 0755);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.expected) << dir;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names.size(), c.also.linked ? 2u : 1u) << dir << ": nothing is left beside the file";
        if (c.also.failure) {
            EXPECT_NE(failure.find(path), std::string::npos) << dir << ": " << failure;
            EXPECT_NE(failure.find(c.also.failure), std::string::npos) << dir << ": " << failure;
            EXPECT_EQ(ReadBytes(path), c.existing) << dir;
            if (c.also.linked) {
                EXPECT_EQ(ReadBytes(link), c.existing) << dir;
            }
            continue;
        }
        EXPECT_EQ(failure, "") << dir;
        EXPECT_EQ(ReadBytes(path), content) << dir;
        if (c.also.linked) {
            EXPECT_EQ(ReadBytes(link), content) << dir << ": every name sees the new content";
        }
        if (c.existingMode < 0) continue;
        EXPECT_EQ(st.st_ino == before.st_ino, c.also.result == InPlace) << dir;
        if (root) {
            EXPECT_EQ(st.st_uid, c.also.result == ReplacedBySaver ? saver : owner) << dir;
        }
    }
}

}  // namespace
}  // namespace curvana
