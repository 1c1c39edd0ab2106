#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/WarmHeap.h"

namespace curvana {
namespace {

// The share of the pages of [p, p + size) that are in memory.
double ResidentShare(void* p, std::size_t size) {
    const auto pageSize = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(p) / pageSize * pageSize;
    const std::size_t pages = (reinterpret_cast<std::uintptr_t>(p) + size - begin + pageSize - 1) / pageSize;
    std::vector<unsigned char> resident(pages);
    if (::mincore(reinterpret_cast<void*>(begin), pages * pageSize, resident.data()) != 0) return -1;
    std::size_t in = 0;
    for (const unsigned char page : resident)
        in += page & 1;
    return double(in) / double(pages);
}

TEST(WarmHeapTest, BigBlocksAskedForWhileItLivesAreAlreadyInMemory) {
#if !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "made ready only with glibc's malloc";
#endif
    constexpr std::size_t kBlock = std::size_t(25) << 20;  // a Letter page at 300 dpi
    {
        const WarmHeap heap(2 * kBlock + (std::size_t(9) << 20), kBlock);
        ASSERT_TRUE(heap.Active());
        void* first = std::malloc(kBlock);
        void* second = std::malloc(kBlock);
        ASSERT_TRUE(first && second);
        EXPECT_GT(ResidentShare(first, kBlock), 0.95);
        EXPECT_GT(ResidentShare(second, kBlock), 0.95);
        std::free(second);
        std::free(first);
    }
    // Too big a block for the heap, or too little to gain: nothing is made ready.
    EXPECT_FALSE(WarmHeap(std::size_t(200) << 20, std::size_t(100) << 20).Active());
    EXPECT_FALSE(WarmHeap(std::size_t(4) << 20, std::size_t(1) << 20).Active());
}

}  // namespace
}  // namespace curvana
