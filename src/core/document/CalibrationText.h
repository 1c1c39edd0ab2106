#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "document/Conversion.h"

namespace curvana {

// A calibration as text, for the clipboard: readable by people and pasteable into a text editor.
// The first line is the title below; then one line per value, "name = value": "corner 1" to
// "corner 4" with the corner's picture pixel "x, y", "X minimum", "X maximum", "Y minimum",
// "Y maximum" with a number each (with "." and as many digits as it takes to come back exactly),
// and "method" with "Bilinear" or "Perspective". The plot type is not part of it.
inline constexpr std::string_view kCalibrationTitle = "Curvana calibration";

std::string CalibrationToText(const Calibration& cal);

// Reads such a text: the title line first, every value once, each well formed (lines may end in
// "\r\n", blanks around names and values do not count, lines of other names are passed over).
// Nothing when the text is no calibration.
std::optional<Calibration> CalibrationFromText(std::string_view text);

}  // namespace curvana
