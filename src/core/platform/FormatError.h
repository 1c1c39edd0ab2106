#pragma once

#include <stdexcept>
#include <string>

namespace curvana {

// A file the program cannot read: a picture or project file that is damaged, truncated or of a
// kind the program does not support. what() is a short English reason that can be shown to the user.
struct FormatError : std::runtime_error {
    explicit FormatError(const std::string& reason) : std::runtime_error(reason) {}
};

}  // namespace curvana
