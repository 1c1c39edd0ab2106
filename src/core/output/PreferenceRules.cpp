#include "output/PreferenceRules.h"

#include <algorithm>

#include "platform/NumberText.h"

namespace curvana {

std::int32_t PreferenceMinimum(PreferenceField field) {
    return field == PreferenceField::Digits ? 1 : 2;
}
std::int32_t PreferenceMaximum(PreferenceField field) {
    return field == PreferenceField::Digits ? 10 : 20;
}
std::int32_t PreferenceDefault(PreferenceField field) {
    return field == PreferenceField::Digits ? 3 : 4;
}

std::int32_t PreferenceFieldValue(PreferenceField field, std::string_view text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value)) value = PreferenceDefault(field);
    value = std::max(value, PreferenceMinimum(field));
    return std::min(value, PreferenceMaximum(field));
}

}  // namespace curvana
