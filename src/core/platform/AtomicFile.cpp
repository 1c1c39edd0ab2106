#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <streambuf>
#include <system_error>

#include "platform/Paths.h"

namespace curvana {

namespace {

[[noreturn]] void ThrowSystemError(int error, const std::string& what, const std::string& path) {
    throw std::system_error(error, std::generic_category(), what + " " + path);
}

// A stream buffer over a file descriptor that remembers the first failed write instead of losing
// its reason.
class FdStreamBuf : public std::streambuf {
  public:
    // With `toDisk`, what is written is handed to the disk as it goes (see StartWriteBack).
    FdStreamBuf(int fd, bool toDisk) : fd_(fd), toDisk_(toDisk) { setp(buffer_, buffer_ + sizeof buffer_); }
    int Error() const { return error_; }

  protected:
    int_type overflow(int_type ch) override {
        if (!Drain()) return traits_type::eof();
        if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
        return ch;
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (n >= std::streamsize(sizeof buffer_)) {
            // Large blocks skip the buffer.
            if (!Drain() || !WriteAll(s, std::size_t(n))) return 0;
            return n;
        }
        return std::streambuf::xsputn(s, n);
    }

    int sync() override { return Drain() ? 0 : -1; }

  private:
    bool Drain() {
        std::size_t n = std::size_t(pptr() - pbase());
        bool ok = WriteAll(pbase(), n);
        setp(buffer_, buffer_ + sizeof buffer_);
        return ok;
    }

    bool WriteAll(const char* data, std::size_t n) {
        if (error_ != 0) return false;
        while (n > 0) {
            // Large blocks go in pieces, so that the disk can start on the first while the next is
            // being written.
            ssize_t written = ::write(fd_, data, std::min(n, kPiece));
            if (written < 0) {
                if (errno == EINTR) continue;
                error_ = errno;
                return false;
            }
            data += written;
            n -= std::size_t(written);
            written_ += std::uint64_t(written);
            StartWriteBack();
        }
        return true;
    }

    // Hands what was written so far to the disk every few megabytes, so that the disk works while
    // the rest is still being written and the closing flush has little left to wait for.
    void StartWriteBack() {
#ifdef SYNC_FILE_RANGE_WRITE
        if (!toDisk_ || written_ - started_ < kPiece) return;
        (void)::sync_file_range(fd_, off64_t(started_), off64_t(written_ - started_), SYNC_FILE_RANGE_WRITE);
        started_ = written_;
#endif
    }

    static constexpr std::size_t kPiece = std::size_t(8) << 20;

    int fd_;
    bool toDisk_;
    int error_ = 0;
    std::uint64_t written_ = 0;  // bytes written to the file
    std::uint64_t started_ = 0;  // bytes already handed to the disk
    char buffer_[1 << 16];
};

// The temporary file until it is renamed: closed and removed unless committed. `lock` holds the
// flock that tells other saves that the file is being written.
struct TemporaryFile {
    std::string path;
    int fd = -1;
    int lock = -1;
    bool committed = false;

    ~TemporaryFile() {
        // Removed while still locked, so that no other save takes it for stale meanwhile.
        if (!committed && !path.empty()) ::unlink(path.c_str());
        if (fd >= 0) ::close(fd);
        if (lock >= 0) ::close(lock);
    }
};

// Closes a descriptor on the way out.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

constexpr std::size_t kNameBytes = 200;
constexpr std::size_t kRandomChars = 6;
constexpr char kMarker[] = ".curvana-";
constexpr char kSuffix[] = ".tmp";

// The part of the temporary name that stands for the target's name: the name itself, or when it is
// too long to leave room for the rest, its start (whole UTF-8 characters) and a hash of the whole.
std::string NameInTemporary(const std::string& name) {
    if (name.size() <= kNameBytes) return name;
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    std::size_t cut = kNameBytes - 10;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    char tail[16];
    std::snprintf(tail, sizeof tail, "~%08x", unsigned(hash));
    return name.substr(0, cut) + tail;
}

std::string TemporaryPrefix(const std::string& path) {
    return "." + NameInTemporary(ExtractFileName(path)) + kMarker;
}

bool IsTemporaryName(const std::string& entry, const std::string& prefix) {
    const std::size_t suffix = sizeof kSuffix - 1;
    if (entry.size() != prefix.size() + kRandomChars + suffix) return false;
    if (entry.compare(0, prefix.size(), prefix) != 0) return false;
    if (entry.compare(entry.size() - suffix, suffix, kSuffix) != 0) return false;
    return std::all_of(entry.begin() + long(prefix.size()), entry.end() - long(suffix),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

std::string TemporaryName(const std::string& path) {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::string name = ExtractFilePath(path) + TemporaryPrefix(path);
    for (std::size_t i = 0; i < kRandomChars; ++i)
        name += kChars[generator() % (sizeof kChars - 1)];
    return name + kSuffix;
}

// Whether `fd` is still the file called `path`.
bool IsFileAt(int fd, const std::string& path) {
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

// Removes the temporary files of `path` that no save holds any more.
void RemoveStaleTemporaries(const std::string& path) {
    const std::string folder = ExtractFilePath(path);
    const std::string prefix = TemporaryPrefix(path);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsTemporaryName(name, prefix)) continue;
        const std::string stale = folder + name;
        Descriptor file{::open(stale.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
        struct stat st;
        if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) continue;
        // A save in progress holds the lock; while this one holds it, no save can take the file.
        if (::flock(file.fd, LOCK_EX | LOCK_NB) != 0) continue;
        if (IsFileAt(file.fd, stale)) ::unlink(stale.c_str());
    }
    ::closedir(dir);
}

// Makes and locks a fresh temporary file beside `path`; returns false with errno set when the
// folder does not allow it.
bool CreateTemporary(const std::string& path, TemporaryFile& temp) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryName(path);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        // A file system without locks still saves; its stale files then stay.
        bool locked = ::flock(fd, LOCK_EX) == 0;
        // Between the creation and the lock another save may have taken the file for stale.
        if (locked && !IsFileAt(fd, name)) {
            ::close(fd);
            continue;
        }
        temp.path = std::move(name);
        temp.fd = fd;
        return true;
    }
    errno = EEXIST;
    return false;
}

// Where a save to `requested` goes: symbolic links followed, also to a file that does not exist
// yet. `stream` is set when the path names an open descriptor (/dev/stdout, /proc/self/fd/N), whose
// link does not lead to a name that could be replaced.
struct Target {
    std::string path;
    bool stream = false;
};

bool InProc(const std::string& folder) {
    struct statfs fs;
    return ::statfs(folder.empty() ? "." : folder.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

Target ResolveTarget(const std::string& requested) {
    Target target{requested};
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(target.path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
        if (hops >= 40) ThrowSystemError(ELOOP, "Cannot create file", requested);
        const std::string folder = ExtractFilePath(target.path);
        if (InProc(folder)) {
            target.stream = true;
            return target;
        }
        std::string link(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        ssize_t n = ::readlink(target.path.c_str(), link.data(), link.size());
        if (n < 0 || std::size_t(n) >= link.size()) return target;  // the system will say why
        link.resize(std::size_t(n));
        target.path = link.front() == '/' ? link : folder + link;
    }
}

// Refuses a file that the saver may not write, or that has no write permission at all.
void CheckWritable(const std::string& requested, const std::string& path, const struct stat& st) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        ThrowSystemError(errno, "Cannot create file", requested);
    if ((st.st_mode & 0222) == 0) ThrowSystemError(EACCES, "Cannot create file", requested);
}

// Whether a file in the folder of `path` may be made and `st` replaced by it.
bool CanReplace(const std::string& path, const struct stat& st) {
    const std::string folder = ExtractFilePath(path);
    const char* dir = folder.empty() ? "." : folder.c_str();
    struct stat info;
    if (::faccessat(AT_FDCWD, dir, W_OK | X_OK, AT_EACCESS) != 0 || ::stat(dir, &info) != 0) return false;
    // In a sticky folder only the owners of the file or the folder may take the file's name.
    const uid_t me = ::geteuid();
    return !(info.st_mode & S_ISVTX) || me == 0 || me == st.st_uid || me == info.st_uid;
}

// The new file takes the old one's owner, group and permissions as far as the saver may.
void KeepOwnerAndMode(int fd, const struct stat& old) {
    mode_t mode = old.st_mode & 0777;
    struct stat now;
    if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0 &&
        now.st_gid != old.st_gid)
        mode = (mode & ~mode_t(070)) | ((mode & 07) << 3);
    (void)::fchmod(fd, mode);
}

// Writes through `write` into `fd`; a failed write of the descriptor is reported with its reason.
void WriteThrough(int fd, bool toDisk, const std::string& requested,
                  const std::function<void(std::ostream&)>& write) {
    FdStreamBuf buffer(fd, toDisk);
    std::ostream stream(&buffer);
    try {
        write(stream);
        stream.flush();
    } catch (...) {
        // The writer gave up because the file did: that is the failure to report.
        if (buffer.Error() != 0) ThrowSystemError(buffer.Error(), "Cannot write", requested);
        throw;
    }
    if (buffer.Error() != 0) ThrowSystemError(buffer.Error(), "Cannot write", requested);
    if (!stream) ThrowSystemError(EIO, "Cannot write", requested);
}

// Something that is not a file to replace: a device, a pipe, a socket or an open descriptor. A
// socket's name is connected to; a descriptor is opened again through its name.
void WriteStream(const std::string& requested, const Target& target, const struct stat& st,
                 const std::function<void(std::ostream&)>& write) {
    const std::string& path = target.path;
    Descriptor out;
    if (S_ISSOCK(st.st_mode) && !target.stream) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path)
            ThrowSystemError(ENAMETOOLONG, "Cannot create file", requested);
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        out.fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (out.fd >= 0 &&
            ::connect(out.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            int error = errno;
            ::close(out.fd);
            out.fd = -1;
            errno = error;
        }
    } else {
        out.fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    }
    if (out.fd < 0) ThrowSystemError(errno, "Cannot create file", requested);
    WriteThrough(out.fd, false, requested, write);
    int fd = out.fd;
    out.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) ThrowSystemError(errno, "Cannot write", requested);
}

int WriteAllAt(int fd, const std::string& data) {
    for (std::size_t done = 0; done < data.size();) {
        ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, off_t(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += std::size_t(n);
    }
    return 0;
}

// Rewrites a regular file in place, writing its old content back when the new one does not fit.
void WriteInPlace(const std::string& requested, const std::string& path,
                  const std::function<void(std::ostream&)>& write) {
    std::ostringstream made;
    write(made);  // nothing is touched when this fails
    if (!made) ThrowSystemError(EIO, "Cannot write", requested);
    const std::string data = std::move(made).str();

    Descriptor file{::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0) ThrowSystemError(errno, "Cannot create file", requested);
    std::string old;
    char chunk[1 << 16];
    for (;;) {
        ssize_t n = ::read(file.fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ThrowSystemError(errno, "Cannot create file", requested);
        if (n == 0) break;
        old.append(chunk, std::size_t(n));
    }

    int error = 0;
    // Room for the longer content first, where the file system can promise it.
    if (data.size() > old.size() && ::fallocate(file.fd, FALLOC_FL_KEEP_SIZE, 0, off_t(data.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        error = errno;
    if (error == 0) error = WriteAllAt(file.fd, data);
    if (error == 0 && data.size() < old.size() && ::ftruncate(file.fd, off_t(data.size())) != 0)
        error = errno;
    if (error == 0 && !old.empty() && ::fsync(file.fd) != 0) error = errno;
    if (error != 0) {
        (void)WriteAllAt(file.fd, old);
        (void)!::ftruncate(file.fd, off_t(old.size()));
        (void)::fsync(file.fd);
        ThrowSystemError(error, "Cannot write", requested);
    }
    int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) ThrowSystemError(errno, "Cannot write", requested);
}

}  // namespace

void WriteFileAtomically(const std::string& requested, const std::function<void(std::ostream&)>& write) {
    const Target target = ResolveTarget(requested);
    const std::string& path = target.path;
    struct stat existing;
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode)) ThrowSystemError(EISDIR, "Cannot create file", requested);
        // A descriptor's own opening decides whether it may be written.
        if (target.stream) return WriteStream(requested, target, existing, write);
        CheckWritable(requested, path, existing);
        if (!S_ISREG(existing.st_mode)) return WriteStream(requested, target, existing, write);
        if (existing.st_nlink > 1 || !CanReplace(path, existing)) {
            WriteInPlace(requested, path, write);
            return RemoveStaleTemporaries(path);
        }
    }

    TemporaryFile temp;
    if (!CreateTemporary(path, temp)) {
        // The folder may forbid new files although the file itself may be written.
        if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(requested, path, write);
        ThrowSystemError(errno, "Cannot create file", requested);
    }

    // Only a file with something in it is worth waiting for the disk for: see the header.
    const bool replacing = exists && existing.st_size > 0;
    if (exists) KeepOwnerAndMode(temp.fd, existing);

    WriteThrough(temp.fd, replacing, requested, write);
    if (replacing && ::fsync(temp.fd) != 0) ThrowSystemError(errno, "Cannot write", requested);
    // The lock stays with a second descriptor until the file has its name.
    temp.lock = ::dup(temp.fd);
    int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) ThrowSystemError(errno, "Cannot write", requested);

    if (::rename(temp.path.c_str(), path.c_str()) != 0) ThrowSystemError(errno, "Cannot replace", requested);
    temp.committed = true;
    RemoveStaleTemporaries(path);

    // Make the new name itself last; a failure here loses nothing already written.
    if (!replacing) return;
    std::string folder = ExtractFilePath(path);
    int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}

}  // namespace curvana
