#pragma once

#include <cstdint>

namespace curvana {

// A picture or window position in whole pixels: x to the right, y downwards.
struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    bool operator==(const TPoint&) const = default;
};

}  // namespace curvana
