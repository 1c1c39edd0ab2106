#include "platform/LargeBlock.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace curvana {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kMappedFrom = std::size_t(4) << 20;

}  // namespace

void BlockDeleter::operator()(std::uint8_t* p) const {
    if (mapped != 0)
        ::munmap(p, mapped);
    else
        std::free(p);
}

BlockPtr AllocateBlock(std::size_t size) {
    if (size < kMappedFrom) {
        auto* p = static_cast<std::uint8_t*>(std::calloc(size == 0 ? 1 : size, 1));
        if (!p) throw std::bad_alloc();
        return BlockPtr(p, BlockDeleter{});
    }
    if (size > SIZE_MAX - 2 * kHugePage) throw std::bad_alloc();
    // Map a huge page more than needed and give back the ends, so that the block starts on a huge
    // page boundary; fresh anonymous pages read as zero.
    const std::size_t length = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* raw =
        ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<std::uint8_t*>(raw);
    auto* aligned = reinterpret_cast<std::uint8_t*>(
        (reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) & ~(std::uintptr_t(kHugePage) - 1));
    if (aligned > start) ::munmap(start, std::size_t(aligned - start));
    const std::size_t tail = kHugePage - std::size_t(aligned - start);
    if (tail > 0) ::munmap(aligned + length, tail);
#ifdef MADV_HUGEPAGE
    (void)::madvise(aligned, length, MADV_HUGEPAGE);
#endif
    return BlockPtr(aligned, BlockDeleter{length});
}

}  // namespace curvana
