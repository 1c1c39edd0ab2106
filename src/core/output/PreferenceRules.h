#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace curvana {

// The fields of the preferences dialog: significant digits (1 to 10, default 3), marker size (2 to
// 20, default 4), and tracing's step, colour tolerance and largest gap (as TraceSettings allows).
enum class PreferenceField { Digits = 0, MarkerSize = 1, TraceStep = 2, TraceTolerance = 3, TraceGap = 4 };

std::int32_t PreferenceMinimum(PreferenceField field);
std::int32_t PreferenceMaximum(PreferenceField field);
std::int32_t PreferenceDefault(PreferenceField field);

// What a field holds after its text changed: the whole number in the text (its default when the
// text is no whole number), raised to the minimum and lowered to the maximum.
std::int32_t PreferenceFieldValue(PreferenceField field, std::string_view text);

}  // namespace curvana
