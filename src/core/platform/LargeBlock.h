#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace curvana {

// Frees a block from AllocateBlock.
struct BlockDeleter {
    std::size_t mapped = 0;  // bytes mapped from the system; 0 for a block from the heap
    void operator()(std::uint8_t* p) const;
};

using BlockPtr = std::unique_ptr<std::uint8_t[], BlockDeleter>;

// A zero-filled block of `size` bytes for a picture or a whole file. Blocks of some megabytes come
// straight from the system, aligned so that the kernel can back them with huge pages: a 72 MB
// picture then takes a few dozen page faults instead of eighteen thousand when it is first written.
// Smaller blocks come from the heap. Throws std::bad_alloc when memory runs out.
BlockPtr AllocateBlock(std::size_t size);

}  // namespace curvana
