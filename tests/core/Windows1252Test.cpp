#include <gtest/gtest.h>

#include <string>

#include "platform/Windows1252.h"

namespace curvana {
namespace {

TEST(Windows1252Test, CharactersAndCodes) {
    const struct {
        std::string text;   // UTF-8, or bytes that are not
        std::string codes;  // Windows-1252
        bool fits;
        std::string valid;  // the text as valid UTF-8
    } cases[] = {
        {"Grün °C",
         "Gr\xFCn \xB0"
         "C",
         true, "Grün °C"},
        {"€ ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ Ž", "\x80 \x82 \x83 \x84 \x85 \x86 \x87 \x88 \x89 \x8A \x8B \x8C \x8E",
         true, "€ ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ Ž"},
        {"‘ ’ “ ” • – — ˜ ™ š › œ ž Ÿ",
         "\x91 \x92 \x93 \x94 \x95 \x96 \x97 \x98 \x99 \x9A \x9B \x9C \x9E \x9F", true,
         "‘ ’ “ ” • – — ˜ ™ š › œ ž Ÿ"},
        {"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D", true, "\u0081\u008D\u008F\u0090\u009D"},
        {"\u00A0ÿ", "\xA0\xFF", true, "\u00A0ÿ"},
        {"π ≈ 3", "? ? 3", false, "π ≈ 3"},
        {"\u0080\u0100", "??", false, "\u0080\u0100"},  // the control character 0x80 is "€"'s code
        {"a😀b", "a?b", false, "a😀b"},                   // four UTF-8 bytes, one character
        // Bytes that are not UTF-8 stand for their Windows-1252 characters.
        {"Gr\xFCn", "Gr\xFCn", true, "Grün"},
        {"\x80\xC3", "\x80\xC3", true, "€Ã"},                         // a sequence cut short
        {"\xC0\xAF", "\xC0\xAF", true, "À¯"},                         // an overlong "/"
        {"\xED\xA0\x80", "\xED\xA0\x80", true, "í\u00A0€"},           // a surrogate
        {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80", true, "ô\u0090€€"},  // beyond U+10FFFF
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToWindows1252(c.text), c.codes) << c.text;
        EXPECT_EQ(FitsWindows1252(c.text), c.fits) << c.text;
        EXPECT_EQ(ValidUtf8(c.text), c.valid) << c.text;
        if (c.fits) {
            EXPECT_EQ(FromWindows1252(c.codes), c.valid) << c.text;
        }
    }

    // Every byte survives a read and a write.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(ToWindows1252(FromWindows1252(all)), all);
    EXPECT_TRUE(FitsWindows1252(FromWindows1252(all)));
}

}  // namespace
}  // namespace curvana
