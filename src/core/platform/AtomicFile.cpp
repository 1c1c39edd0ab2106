#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// The temporary file until it is renamed: closed and removed unless committed.
struct TemporaryFile {
    std::string path;
    int fd = -1;
    bool committed = false;

    ~TemporaryFile() {
        if (fd >= 0) ::close(fd);
        if (!committed && !path.empty()) ::unlink(path.c_str());
    }
};

// A name for the temporary file beside `path`: hidden, and short enough for the file system even
// when the final name is at the length limit.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    constexpr std::size_t kNameBytes = 200;
    std::string name = ExtractFileName(path);
    if (name.size() > kNameBytes) name.resize(kNameBytes);
    auto ticks = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".tmp%ld-%x-%x", long(::getpid()), counter.fetch_add(1),
                  unsigned(ticks ^ (ticks >> 32)));
    return ExtractFilePath(path) + "." + name + suffix;
}

}  // namespace

void WriteFileAtomically(const std::string& requested, const std::function<void(std::ostream&)>& write) {
    // Through a symbolic link the file it names is replaced, not the link.
    std::string path = requested;
    struct stat link;
    if (::lstat(requested.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* real = ::realpath(requested.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    TemporaryFile temp;
    for (unsigned attempt = 0;; ++attempt) {
        std::string name = TemporaryName(path);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temp.path = std::move(name);
            temp.fd = fd;
            break;
        }
        if (errno != EEXIST || attempt >= 100) ThrowSystemError(errno, "Cannot create file", path);
    }

    // A replaced file keeps its permission bits; a new one has what open gave it under the umask.
    // Only a file with something in it is worth waiting for the disk for: see the header.
    struct stat existing;
    bool replacing = false;
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        (void)::fchmod(temp.fd, existing.st_mode & 0777);
        replacing = existing.st_size > 0;
    }

    {
        FdStreamBuf buffer(temp.fd, replacing);
        std::ostream stream(&buffer);
        write(stream);
        stream.flush();
        if (buffer.Error() != 0) ThrowSystemError(buffer.Error(), "Cannot write", path);
        if (!stream) ThrowSystemError(EIO, "Cannot write", path);
    }
    if (replacing && ::fsync(temp.fd) != 0) ThrowSystemError(errno, "Cannot write", path);
    int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) ThrowSystemError(errno, "Cannot write", path);

    if (::rename(temp.path.c_str(), path.c_str()) != 0) ThrowSystemError(errno, "Cannot replace", path);
    temp.committed = true;

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
