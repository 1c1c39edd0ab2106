#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace curvana {

// Rounds to the nearest integer, ties to the even integer (0.5 gives 0, 1.5 gives 2, 2.5 gives 2).
// Used for every pixel computation. NaN gives 0; values beyond the 64-bit range saturate.
std::int64_t Round(double value);

// The decimal separator of number text, "." unless the program sets the user's own at start-up.
const std::string& DecimalSeparator();
void SetDecimalSeparator(std::string separator);

// The general number-to-text conversion: the value rounded to 15 significant digits, in fixed
// notation when it is 0 or at least 0.0001 in magnitude with at most 15 integer digits, otherwise as
// mantissa, "E" and exponent ("1E-5", "-2.5E20"). No trailing zeros, no trailing separator.
// NaN and infinities give "NAN", "INF" and "-INF".
std::string FloatToStr(double value);

// Text to number: optional blanks around the number, an optional sign, digits with the decimal
// separator, an optional exponent after E or e. Any other text (and a value too large for a
// double) fails; a value too small for a double reads as 0.
bool TryStrToFloat(std::string_view text, double& value);
// As TryStrToFloat, giving 0.0 for text that is not a number.
double StrToFloatOrZero(std::string_view text);

// Text to a 32-bit integer: optional leading blanks, an optional sign, then decimal digits, or a
// hexadecimal number after "$", "x", "X", "0x" or "0X" (up to 32 bits, so "$FFFFFFFF" is -1).
// Nothing may follow; empty text, other text and values outside 32 bits fail.
bool TryStrToInt(std::string_view text, std::int32_t& value);

std::string IntToStr(std::int64_t value);

}  // namespace curvana
