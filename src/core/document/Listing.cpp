#include "document/Listing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/NumberText.h"

namespace curvana {

std::int32_t SigDigits = 3;

namespace {

// Exponent form with `digits` significant digits: "1.23E+003", "-9.99E-003". Built from to_chars so
// the text does not depend on the C locale, which the desktop program sets from the user's.
std::string ScientificText(double value, int digits) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific, digits - 1);
    std::string_view text(buffer, std::size_t(end - buffer));  // "1.23e+03", or "1e+03" for one digit
    std::size_t e = text.find('e');
    std::string result = value < 0 ? "-" : "";
    result += text[0];
    if (e > 1) result += DecimalSeparator() + std::string(text.substr(2, e - 2));
    result += 'E';
    result += text[e + 1];
    std::string_view exponent = text.substr(e + 2);
    if (exponent.size() < 3) result.append(3 - exponent.size(), '0');
    result += exponent;
    return result;
}

// The first `count` characters of `text`, counting the decimal separator as one character however
// many bytes it takes, so a separator such as U+066B is never split. A separator left at the end is
// dropped with it ("12." → "12").
std::string CutText(const std::string& text, int count) {
    const std::string& separator = DecimalSeparator();
    std::size_t pos = 0;
    bool lastWasSeparator = false;
    for (int taken = 0; taken < count && pos < text.size(); ++taken) {
        lastWasSeparator = text.compare(pos, separator.size(), separator) == 0;
        pos += lastWasSeparator ? separator.size() : 1;
    }
    return text.substr(0, lastWasSeparator ? pos - separator.size() : pos);
}

}  // namespace

std::string FloatToSigStr(double value) {
    std::string text = FloatToStr(value);
    if (value == 0 || !std::isfinite(value)) return text;

    // Digits outside 1..10 would ask for negative lengths or for hundreds of digits; a settings store
    // may hold anything, so they are held to that range here.
    int digits = std::clamp<int>(SigDigits, 1, 10);
    double limit = 1;
    for (int i = 0; i < digits; ++i)
        limit *= 10;

    double magnitude = std::fabs(value);
    if (magnitude >= limit || magnitude < 0.01) return ScientificText(value, std::max(digits, 2));
    // In this range FloatToStr writes plain digits, so cutting keeps the leading digits.
    return CutText(text, value < 0 ? digits + 2 : digits + 1);
}

std::string ListingLine(const TDataPoint& p) {
    return FloatToSigStr(p.X) + " , " + FloatToSigStr(p.Y);
}

LineSink::~LineSink() = default;

int VectorLineSink::Count() const {
    return int(lines.size());
}

std::string VectorLineSink::Line(int i) const {
    return lines[std::size_t(i)];
}

void VectorLineSink::Replace(int i, const std::string& text) {
    lines[std::size_t(i)] = text;
    ++replaced;
}

void VectorLineSink::InsertBefore(int i, const std::string& text) {
    lines.insert(lines.begin() + i, text);
    ++inserted;
}

void VectorLineSink::Append(const std::string& text) {
    lines.push_back(text);
    ++appended;
}

void VectorLineSink::Delete(int i) {
    lines.erase(lines.begin() + i);
    ++deleted;
}

void VectorLineSink::Clear() {
    lines.clear();
    ++cleared;
}

void VectorLineSink::ResetCounts() {
    replaced = inserted = appended = deleted = cleared = 0;
}

void MergeListing(LineSink& memo, const std::vector<std::string>& lines, int mode) {
    int count = int(lines.size());
    for (int i = 0; i < count; ++i) {
        const std::string& line = lines[std::size_t(i)];
        if (i >= memo.Count()) {
            memo.Append(line);
        } else if (memo.Line(i) != line) {
            if (mode == LinePlace || mode == LineReplace) {
                memo.Replace(i, line);
            } else if (mode == LineInsert) {
                memo.InsertBefore(i, line);
            }
        }
    }
    while (memo.Count() > count)
        memo.Delete(count);
}

}  // namespace curvana
