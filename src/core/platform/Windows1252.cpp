#include "platform/Windows1252.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace curvana {

namespace {

// The characters of codes 0x80 to 0x9F; every other code is the character of the same number.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t CharacterOf(std::uint8_t code) {
    return code >= 0x80 && code < 0xA0 ? kHighControls[code - 0x80] : char32_t(code);
}

// The Windows-1252 code of a character, or -1 when the set lacks it.
int CodeOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int(c);
    const auto* found = std::find(std::begin(kHighControls), std::end(kHighControls), c);
    return found == std::end(kHighControls) ? -1 : 0x80 + int(found - std::begin(kHighControls));
}

bool IsContinuation(std::uint8_t b) {
    return (b & 0xC0) == 0x80;
}

// The character that starts at text[i], and i moved past it. A byte that does not begin a valid
// UTF-8 sequence (a stray continuation byte, an overlong form, a surrogate, a value beyond
// U+10FFFF or a sequence cut short) is one character: its Windows-1252 one.
char32_t NextCharacter(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1Fu;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0Fu;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07u;
        least = 0x10000;
    }
    if (length > 0 && text.size() - i >= length) {
        std::size_t k = 1;
        for (; k < length && IsContinuation(byte(i + k)); ++k)
            c = (c << 6) | (byte(i + k) & 0x3Fu);
        if (k == length && c >= least && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF)) {
            i += length;
            return c;
        }
    }
    ++i;
    return CharacterOf(lead);
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string FromWindows1252(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char b : bytes)
        AppendUtf8(text, CharacterOf(static_cast<std::uint8_t>(b)));
    return text;
}

std::string ToWindows1252(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const int code = CodeOf(NextCharacter(text, i));
        bytes += code < 0 ? '?' : char(code);
    }
    return bytes;
}

bool FitsWindows1252(std::string_view text) {
    for (std::size_t i = 0; i < text.size();)
        if (CodeOf(NextCharacter(text, i)) < 0) return false;
    return true;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        AppendUtf8(out, NextCharacter(text, i));
    return out;
}

}  // namespace curvana
