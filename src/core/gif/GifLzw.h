#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace curvana {

// How the decoding of one image's code stream ended.
enum class LzwEnd {
    EndCode,      // the end-of-information code was read
    OutOfData,    // the codes ran out before an end code (the caller warns of a bit buffer under-run)
    BadCode,      // a code that names no string yet; decoding stops there
    BadCodeSize,  // a minimum code size outside 1..11; nothing was decoded
};

struct LzwResult {
    LzwEnd end = LzwEnd::EndCode;
    std::size_t written = 0;  // colour indices stored in out
};

// Variable-length-code LZW as GIF uses it. codes holds the image's data sub-blocks joined together;
// codes are taken least-significant bit first. minCodeSize m gives the clear code 1 << m, the end
// code 1 << m + 1 and a first code width of m + 1 bits, growing to at most 12 bits over a table of
// 4096 strings.
//
// The decoded colour indices are stored in out in turn. Indices beyond out.size() are dropped, but
// the codes are still read to their end, so that a missing end code shows as OutOfData. The bytes of
// out past the last index written are left undefined: strings are copied eight bytes at a time.
//
// A code that names no string ends decoding with BadCode: a code above the next free table entry,
// the next free entry itself right after a clear code (it has no previous string to repeat), any
// non-literal right after a clear code, and a literal above 255 (possible only for m > 8, as colour
// indices are bytes). The string table can therefore never refer to itself: every entry's prefix
// is an earlier entry.
LzwResult DecodeLzw(int minCodeSize, std::span<const std::uint8_t> codes, std::span<std::uint8_t> out);

}  // namespace curvana
