#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/LargeBlock.h"

namespace curvana {

// The whole content of a file, read with one buffer and no copying. The buffer may be shared: a
// picture read from it can keep its rows in it.
struct FileBytes {
    std::shared_ptr<std::uint8_t[]> data;
    std::size_t size = 0;

    std::span<const std::uint8_t> Span() const { return {data.get(), size}; }
};

// Reads a regular file whole. Throws std::system_error naming the path with the system's text when
// it cannot be opened or read, and for something that is not a regular file.
FileBytes ReadFileBytes(const std::string& path);

// The same for a picture reader: what stops the reading (the system's text naming the path, or no
// memory for the file) is a FormatError.
FileBytes ReadPictureBytes(const std::string& path);

}  // namespace curvana
