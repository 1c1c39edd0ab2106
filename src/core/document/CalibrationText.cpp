#include "document/CalibrationText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace curvana {

namespace {

constexpr std::array<std::string_view, 4> kCornerNames = {"corner 1", "corner 2", "corner 3", "corner 4"};
constexpr std::array<std::string_view, 4> kScaleNames = {"X minimum", "X maximum", "Y minimum", "Y maximum"};
constexpr std::array<std::string_view, 2> kMethodNames = {"Bilinear", "Perspective"};

std::string Number(double value) {
    std::array<char, 32> buffer;
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The whole text as a number of type T, or nothing.
template <typename T>
std::optional<T> Parse(std::string_view s) {
    s = Trim(s);
    T value{};
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    if constexpr (std::is_floating_point_v<T>)
        if (!std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

std::string CalibrationToText(const Calibration& cal) {
    std::string text = std::string(kCalibrationTitle) + "\n";
    for (std::size_t k = 0; k < 4; ++k)
        text += std::string(kCornerNames[k]) + " = " + std::to_string(cal.corner[k].X) + ", " +
                std::to_string(cal.corner[k].Y) + "\n";
    const double scales[4] = {cal.XMin, cal.XMax, cal.YMin, cal.YMax};
    for (std::size_t k = 0; k < 4; ++k)
        text += std::string(kScaleNames[k]) + " = " + Number(scales[k]) + "\n";
    text += "method = " + std::string(kMethodNames[cal.method == CalibrationMethod::Perspective]) + "\n";
    return text;
}

std::optional<Calibration> CalibrationFromText(std::string_view text) {
    Calibration cal;
    double* scales[4] = {&cal.XMin, &cal.XMax, &cal.YMin, &cal.YMax};
    unsigned found = 0;  // one bit per value: corners 0 to 3, scales 4 to 7, method 8
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (first) {
            if (line != kCalibrationTitle) return std::nullopt;
            first = false;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        unsigned bit = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            if (name == kCornerNames[k]) {
                const std::size_t comma = value.find(',');
                if (comma == std::string_view::npos) return std::nullopt;
                const auto x = Parse<std::int32_t>(value.substr(0, comma));
                const auto y = Parse<std::int32_t>(value.substr(comma + 1));
                if (!x || !y) return std::nullopt;
                cal.corner[k] = {*x, *y};
                bit = 1u << k;
            } else if (name == kScaleNames[k]) {
                const auto number = Parse<double>(value);
                if (!number) return std::nullopt;
                *scales[k] = *number;
                bit = 1u << (4 + k);
            }
        }
        if (name == "method") {
            if (value != kMethodNames[0] && value != kMethodNames[1]) return std::nullopt;
            cal.method =
                value == kMethodNames[1] ? CalibrationMethod::Perspective : CalibrationMethod::Bilinear;
            bit = 1u << 8;
        }
        if (found & bit) return std::nullopt;  // a value given twice
        found |= bit;
    }
    if (found != 0x1FF) return std::nullopt;
    return cal;
}

}  // namespace curvana
