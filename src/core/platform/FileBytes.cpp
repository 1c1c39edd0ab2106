#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <system_error>

#include "platform/FormatError.h"

namespace curvana {

FileBytes ReadFileBytes(const std::string& path) {
    auto fail = [&path](int error) {
        return std::system_error(error, std::generic_category(), "Cannot read " + path);
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw fail(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) throw fail(errno);
    if (!S_ISREG(st.st_mode)) throw fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    FileBytes file;
    const auto size = std::size_t(st.st_size);
    try {
        file.data = std::shared_ptr<std::uint8_t[]>(AllocateBlock(size));
    } catch (const std::bad_alloc&) {
        throw fail(ENOMEM);
    }
    while (file.size < size) {
        const ssize_t n = ::read(fd, file.data.get() + file.size, size - file.size);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw fail(errno);
        }
        if (n == 0) break;  // the file shrank while being read
        file.size += std::size_t(n);
    }
    return file;
}

FileBytes ReadPictureBytes(const std::string& path) {
    try {
        return ReadFileBytes(path);
    } catch (const std::system_error& e) {
        throw FormatError(e.what());
    } catch (const std::bad_alloc&) {
        throw FormatError("not enough memory to read " + path);
    }
}

}  // namespace curvana
