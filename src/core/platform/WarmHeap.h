#pragma once

#include <cstddef>

namespace curvana {

// While it lives, the big blocks that a library asks of malloc come from a heap grown beforehand by
// `bytes` and backed with huge pages, rather than from fresh mappings that the kernel fills in 4 KB
// at a time as they are first written. poppler renders a Letter page at 300 dpi into 58 MB of such
// blocks (the bitmap, its alpha plane and the copy it hands back): on a virtual machine their 15,000
// page faults take longer than the drawing itself.
//
// It leans on glibc's own rule that freeing a mapped block raises the size from which blocks are
// mapped to that block's size (up to 32 MB), so no setting of malloc's is fixed for the rest of the
// process. Nothing is done when the largest block expected would still be mapped, when there is too
// little to gain, when malloc has been given a fixed threshold, or under another allocator (the
// address sanitizer's): the blocks then come as they always did. At most 62 MB are made ready,
// since glibc gives a free heap top back to the system once it reaches twice the threshold. On
// leaving, the free part of the heap goes back to the system; blocks still in use stay where they
// are.
class WarmHeap {
  public:
    WarmHeap(std::size_t bytes, std::size_t largestBlock);
    ~WarmHeap();
    WarmHeap(const WarmHeap&) = delete;
    WarmHeap& operator=(const WarmHeap&) = delete;

    // Whether the heap was made ready.
    bool Active() const { return active_; }

  private:
    bool active_ = false;
};

}  // namespace curvana
