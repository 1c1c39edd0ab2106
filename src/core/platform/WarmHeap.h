#pragma once

#include <cstddef>

namespace curvana {

// While it lives, the blocks that a library asks of malloc come from a heap grown by `bytes`
// beforehand and backed with huge pages, rather than from fresh mappings that the kernel fills in
// 4 KB at a time as they are first written. poppler renders a Letter page at 300 dpi into 58 MB of
// such blocks (the bitmap, its alpha plane and the copy it hands back): on a virtual machine their
// 15,000 page faults take longer than the drawing itself.
//
// Nothing is done when the largest block expected is too big for the heap (over 31 MB: glibc maps
// those whatever it is told), when there is too little to gain, or without glibc's malloc; the
// blocks then come as they always did. On leaving, big blocks come from mappings again (from
// 128 KB, glibc's starting threshold, now kept fixed) and the free part of the heap is given back
// to the system; blocks still in use stay where they are.
class WarmHeap {
  public:
    WarmHeap(std::size_t bytes, std::size_t largestBlock);
    ~WarmHeap();
    WarmHeap(const WarmHeap&) = delete;
    WarmHeap& operator=(const WarmHeap&) = delete;

    // Whether the heap was grown.
    bool Active() const { return active_; }

    static constexpr std::size_t kLargestBlock = std::size_t(31) << 20;

  private:
    bool active_ = false;
};

}  // namespace curvana
