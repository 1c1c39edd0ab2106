#include "output/PreferenceRules.h"

#include <algorithm>

#include "platform/NumberText.h"
#include "trace/Trace.h"

namespace curvana {

namespace {

struct Range {
    std::int32_t minimum, maximum, standard;
};

Range RangeOf(PreferenceField field) {
    switch (field) {
        case PreferenceField::Digits:
            return {1, 10, 3};
        case PreferenceField::MarkerSize:
            return {2, 20, 4};
        case PreferenceField::TraceStep:
            return {TraceSettings::kMinStep, TraceSettings::kMaxStep, TraceSettings().Step};
        case PreferenceField::TraceTolerance:
            return {TraceSettings::kMinTolerance, TraceSettings::kMaxTolerance, TraceSettings().Tolerance};
        case PreferenceField::TraceGap:
            return {TraceSettings::kMinGap, TraceSettings::kMaxGap, TraceSettings().Gap};
    }
    return {0, 0, 0};
}

}  // namespace

std::int32_t PreferenceMinimum(PreferenceField field) {
    return RangeOf(field).minimum;
}
std::int32_t PreferenceMaximum(PreferenceField field) {
    return RangeOf(field).maximum;
}
std::int32_t PreferenceDefault(PreferenceField field) {
    return RangeOf(field).standard;
}

std::int32_t PreferenceFieldValue(PreferenceField field, std::string_view text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value)) value = PreferenceDefault(field);
    value = std::max(value, PreferenceMinimum(field));
    return std::min(value, PreferenceMaximum(field));
}

}  // namespace curvana
