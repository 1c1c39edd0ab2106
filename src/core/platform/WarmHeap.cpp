#include "platform/WarmHeap.h"

#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace curvana {

namespace {

[[maybe_unused]] constexpr std::size_t kGlibcStartingThreshold = std::size_t(128) << 10;
// The highest threshold glibc takes (half its largest arena heap on 64-bit systems); a block of
// the threshold or more, with its header, is mapped.
[[maybe_unused]] constexpr std::size_t kHighestThreshold = std::size_t(32) << 20;
[[maybe_unused]] constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;

// Marks the whole huge pages inside [begin, end) for huge pages.
[[maybe_unused]] void AdviseHugePages(std::uintptr_t begin, std::uintptr_t end) {
#if defined(MADV_HUGEPAGE)
    begin = (begin + kHugePage - 1) & ~(kHugePage - 1);
    end &= ~(kHugePage - 1);
    if (end > begin) (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

}  // namespace

WarmHeap::WarmHeap([[maybe_unused]] std::size_t bytes, [[maybe_unused]] std::size_t largestBlock) {
#if defined(__GLIBC__)
    if (bytes < 4 * kHugePage || bytes > std::size_t(1) << 30 || largestBlock > kLargestBlock) return;
    // Blocks up to the piece size from the heap, and the heap's free top kept, until the end.
    if (mallopt(M_MMAP_THRESHOLD, int(kHighestThreshold)) != 1) return;
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    active_ = true;

    // The heap grows a piece at a time; pieces that follow each other are marked as one stretch,
    // so that no huge page is lost at their joins.
    std::vector<std::uint8_t*> pieces;
    for (std::size_t grown = 0; grown < bytes; grown += kLargestBlock) {
        auto* piece = static_cast<std::uint8_t*>(std::malloc(kLargestBlock));
        if (!piece) break;
        pieces.push_back(piece);
    }
    if (pieces.empty()) return;
    auto begin = reinterpret_cast<std::uintptr_t>(pieces.front());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto at = reinterpret_cast<std::uintptr_t>(pieces[i]);
        const bool last = i + 1 == pieces.size();
        const auto next = last ? 0 : reinterpret_cast<std::uintptr_t>(pieces[i + 1]);
        const bool joined = !last && next > at + kLargestBlock && next - (at + kLargestBlock) <= 64;
        if (!joined) {
            AdviseHugePages(begin, at + kLargestBlock);
            begin = next;
        }
    }
    // Written once, so that the pages are there before the library's blocks are cut from them.
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const std::size_t step = pageSize > 0 ? std::size_t(pageSize) : 4096;
    for (std::uint8_t* piece : pieces) {
        volatile std::uint8_t* bytesOf = piece;
        for (std::size_t at = 0; at < kLargestBlock; at += step)
            bytesOf[at] = 0;
    }
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it)
        std::free(*it);
#endif
}

WarmHeap::~WarmHeap() {
#if defined(__GLIBC__)
    if (!active_) return;
    mallopt(M_MMAP_THRESHOLD, int(kGlibcStartingThreshold));
    mallopt(M_TRIM_THRESHOLD, int(kGlibcStartingThreshold));
    malloc_trim(0);
#endif
}

}  // namespace curvana
