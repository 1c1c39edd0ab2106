#pragma once

#include <string>
#include <string_view>

namespace curvana {

// Text in the Windows-1252 character set, one byte per character: the set of series names in project
// files and of worksheet labels. The program keeps text as UTF-8; in text handed to these functions,
// a byte that does not begin a valid UTF-8 sequence stands for the Windows-1252 character of that
// byte, so that 8-bit text that was never converted still comes out as it was meant.

// The UTF-8 text of Windows-1252 bytes. Every byte has a character: the five codes the set leaves
// free (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same number, so that
// ToWindows1252 gives back the very bytes.
std::string FromWindows1252(std::string_view bytes);

// The Windows-1252 bytes of text, one per character, with "?" for each character the set lacks.
std::string ToWindows1252(std::string_view text);

// Whether every character of text has a Windows-1252 code (ToWindows1252 loses nothing).
bool FitsWindows1252(std::string_view text);

// text as valid UTF-8: every valid sequence as it is, every other byte as its Windows-1252 character.
std::string ValidUtf8(std::string_view text);

}  // namespace curvana
