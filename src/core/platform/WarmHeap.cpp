#include "platform/WarmHeap.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && defined(MADV_HUGEPAGE)
#if __GLIBC_PREREQ(2, 33)
#define CURVANA_WARM_HEAP 1
#endif
#endif

namespace curvana {

#if defined(CURVANA_WARM_HEAP)

namespace {

constexpr std::size_t kMegabyte = std::size_t(1) << 20;
constexpr std::uintptr_t kHugePage = 2 * kMegabyte;
// A block glibc maps, and whose freeing raises its threshold as far as it goes (32 MB, less the
// mapped block's header page).
constexpr std::size_t kRaiser = 32 * kMegabyte - 2 * 4096;
constexpr std::size_t kThreshold = 32 * kMegabyte - 4096;
// The heap grows by pieces that come from it once the threshold is raised.
constexpr std::size_t kPiece = 31 * kMegabyte;
constexpr std::size_t kMostWarmed = 2 * kPiece;

// Marks the whole huge pages inside [begin, end) for huge pages.
void AdviseHugePages(std::uintptr_t begin, std::uintptr_t end) {
    begin = (begin + kHugePage - 1) & ~(kHugePage - 1);
    end &= ~(kHugePage - 1);
    if (end > begin) (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

WarmHeap::WarmHeap(std::size_t bytes, std::size_t largestBlock) {
    if (bytes < 8 * kMegabyte || largestBlock + 4096 >= kThreshold) return;
    bytes = std::min(bytes, kMostWarmed);
    void* volatile raiser = std::malloc(kRaiser);  // volatile: kept, though nothing is written in it
    std::free(raiser);

    struct Piece {
        std::uint8_t* at;
        std::size_t size;
        std::uintptr_t Begin() const { return reinterpret_cast<std::uintptr_t>(at); }
        std::uintptr_t End() const { return Begin() + size; }
    };
    std::vector<Piece> pieces;
    const std::size_t mapped = mallinfo2().hblkhd;
    for (std::size_t grown = 0; grown < bytes; grown += kPiece) {
        const std::size_t size = std::min(kPiece, bytes - grown);
        auto* at = static_cast<std::uint8_t*>(std::malloc(size));
        if (!at) break;
        pieces.push_back({at, size});
    }
    const auto release = [&] {
        for (auto it = pieces.rbegin(); it != pieces.rend(); ++it)
            std::free(it->at);
    };
    if (pieces.empty() || mallinfo2().hblkhd != mapped) {  // mapped after all: a fixed threshold
        release();
        return;
    }
    // Pieces that follow each other (a chunk header apart) are marked as one stretch, so that no
    // huge page is lost at their joins; then they are written once, so that the pages are there
    // before the library's blocks are cut from them, and go back to the heap's free top.
    std::uintptr_t begin = pieces.front().Begin();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        const std::uintptr_t next = last ? 0 : pieces[i + 1].Begin();
        if (last || next < pieces[i].End() || next - pieces[i].End() > 64) {
            AdviseHugePages(begin, pieces[i].End());
            begin = next;
        }
    }
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const std::size_t step = pageSize > 0 ? std::size_t(pageSize) : 4096;
    for (const Piece& piece : pieces) {
        volatile std::uint8_t* bytesOf = piece.at;
        for (std::size_t at = 0; at < piece.size; at += step)
            bytesOf[at] = 0;
    }
    release();
    active_ = true;
}

WarmHeap::~WarmHeap() {
    if (active_) malloc_trim(0);
}

#else

WarmHeap::WarmHeap(std::size_t, std::size_t) {}
WarmHeap::~WarmHeap() = default;

#endif

}  // namespace curvana
