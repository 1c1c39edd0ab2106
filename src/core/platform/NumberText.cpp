#include "platform/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace curvana {

namespace {

std::string& Separator() {
    static std::string separator = ".";
    return separator;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::int64_t Round(double value) {
    if (std::isnan(value)) return 0;
    // 2^63 is exactly representable; everything from there on saturates.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (value <= -kLimit) return std::numeric_limits<std::int64_t>::min();
    double floor = std::floor(value);
    double fraction = value - floor;  // exact for doubles
    auto result = std::int64_t(floor);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2 != 0))) ++result;
    return result;
}

const std::string& DecimalSeparator() {
    return Separator();
}

void SetDecimalSeparator(std::string separator) {
    Separator() = separator.empty() ? "." : std::move(separator);
}

std::string FloatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";

    // 15 significant digits: d.dddddddddddddde±x, correctly rounded.
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    std::string_view text(buffer, std::size_t(end - buffer));
    std::size_t e = text.find('e');
    std::string digits;
    digits += text[0];
    digits.append(text.substr(2, e - 2));
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string result = value < 0 ? "-" : "";
    const std::string& sep = Separator();
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            result += "0" + sep + std::string(std::size_t(-exponent - 1), '0') + digits;
        } else {
            auto integerDigits = std::size_t(exponent) + 1;
            if (digits.size() <= integerDigits) {
                result += digits + std::string(integerDigits - digits.size(), '0');
            } else {
                result += digits.substr(0, integerDigits) + sep + digits.substr(integerDigits);
            }
        }
    } else {
        result += digits.substr(0, 1);
        if (digits.size() > 1) result += sep + digits.substr(1);
        result += "E" + std::to_string(exponent);
    }
    return result;
}

bool TryStrToFloat(std::string_view text, double& value) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    while (n > i && text[n - 1] == ' ')
        --n;

    // Rebuild the number in the form the conversion routine reads, whatever the separator.
    std::string plain;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::string& sep = Separator();
    int digitCount = 0;
    int magnitude = 0;  // decimal exponent of the first non-zero digit, before the E part
    bool seenNonZero = false;
    int integerDigits = 0;
    while (i < n && IsDigit(text[i])) {
        if (text[i] != '0' || seenNonZero) {
            seenNonZero = true;
            ++integerDigits;
        }
        plain += text[i++];
        ++digitCount;
    }
    if (seenNonZero) magnitude = integerDigits - 1;
    if (i < n && text.substr(i, sep.size()) == sep) {
        i += sep.size();
        plain += '.';
        int position = 0;
        while (i < n && IsDigit(text[i])) {
            ++position;
            if (!seenNonZero && text[i] != '0') {
                seenNonZero = true;
                magnitude = -position;
            }
            plain += text[i++];
            ++digitCount;
        }
    }
    if (digitCount == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        std::size_t start = i;
        while (i < n && IsDigit(text[i]))
            plain += text[i++];
        if (i == start) return false;
    }
    if (i != n) return false;

    double result = 0;
    auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), result);
    if (ptr != plain.data() + plain.size()) return false;
    if (ec == std::errc::result_out_of_range) {
        // Out of range either way: too small reads as zero, too large fails.
        int exponent = 0;
        std::size_t e = plain.find('e');
        if (e != std::string::npos) {
            std::string_view digits(plain.data() + e + 1, plain.size() - e - 1);
            if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
            long long big = 0;
            std::from_chars(digits.data(), digits.data() + digits.size(), big);
            exponent = big > 100000 ? 100000 : (big < -100000 ? -100000 : int(big));
        }
        if (magnitude + exponent >= 0) return false;
        result = 0;
    } else if (ec != std::errc()) {
        return false;
    }
    value = negative ? -result : result;
    return true;
}

double StrToFloatOrZero(std::string_view text) {
    double value = 0;
    return TryStrToFloat(text, value) ? value : 0.0;
}

bool TryStrToInt(std::string_view text, std::int32_t& value) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    std::string_view rest = text.substr(i);
    bool hex = false;
    if (rest.starts_with("0x") || rest.starts_with("0X")) {
        hex = true;
        rest.remove_prefix(2);
    } else if (rest.starts_with("$") || rest.starts_with("x") || rest.starts_with("X")) {
        hex = true;
        rest.remove_prefix(1);
    }
    if (rest.empty()) return false;

    std::uint64_t magnitude = 0;
    if (hex) {
        for (char c : rest) {
            int digit = HexValue(c);
            if (digit < 0) return false;
            magnitude = magnitude * 16 + std::uint64_t(digit);
            if (magnitude > 0xFFFFFFFFu) return false;
        }
        // A hexadecimal number gives the 32 bits as written.
        auto bits = std::int32_t(std::uint32_t(magnitude));
        value = negative ? std::int32_t(0u - std::uint32_t(bits)) : bits;
        return true;
    }
    for (char c : rest) {
        if (!IsDigit(c)) return false;
        magnitude = magnitude * 10 + std::uint64_t(c - '0');
        if (magnitude > 0x80000000u) return false;
    }
    if (!negative && magnitude > 0x7FFFFFFFu) return false;
    value = negative ? std::int32_t(-std::int64_t(magnitude)) : std::int32_t(magnitude);
    return true;
}

std::string IntToStr(std::int64_t value) {
    return std::to_string(value);
}

}  // namespace curvana
