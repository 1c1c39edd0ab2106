#pragma once

#include <stdexcept>

namespace curvana {

// A GIF file that cannot be loaded. what() is the reason, one of the fixed failure texts of the
// decoder ("Premature end of data", "Invalid GIF signature", ...).
struct GifError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace curvana
