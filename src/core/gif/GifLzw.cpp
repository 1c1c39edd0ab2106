#include "gif/GifLzw.h"

#include <algorithm>
#include <cstring>

namespace curvana {

namespace {

constexpr unsigned kTableSize = 4096;  // codes are at most 12 bits wide

// The (up to) four bytes at p as a little-endian word; bytes past end count as zero.
inline std::uint32_t LoadWord(const std::uint8_t* p, const std::uint8_t* end) {
    if (end - p >= 4)
        return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
               (std::uint32_t(p[3]) << 24);
    std::uint32_t word = 0;
    for (int i = 0; p + i < end; ++i)
        word |= std::uint32_t(p[i]) << (8 * i);
    return word;
}

}  // namespace

LzwResult DecodeLzw(int minCodeSize, std::span<const std::uint8_t> codes, std::span<std::uint8_t> out) {
    LzwResult result;
    if (minCodeSize < 1 || minCodeSize > 11) {
        result.end = LzwEnd::BadCodeSize;
        return result;
    }
    const unsigned clear = 1u << minCodeSize;
    const unsigned endCode = clear + 1;

    // Every string of the table except the single-byte ones has been written to out before, as the
    // previous string followed by one more byte. An entry therefore only records where that copy
    // starts and how long it is; writing the string again is a copy within out. Entries created
    // after out is full are never written, so their positions need not be valid.
    std::uint32_t start[kTableSize];
    std::uint16_t length[kTableSize];
    std::fill(length, length + clear, std::uint16_t(1));

    const std::uint8_t* const in = codes.data();
    const std::uint8_t* const inEnd = in + codes.size();
    const std::uint64_t totalBits = std::uint64_t(codes.size()) * 8;
    std::uint64_t bitPos = 0;

    std::uint8_t* const base = out.data();
    const std::size_t outSize = out.size();
    std::size_t written = 0;

    unsigned width = 0, limit = 0, next = 0;
    bool havePrevious = false;
    unsigned previous = 0;
    std::size_t previousStart = 0;  // where the previous string was written
    auto reset = [&] {
        width = unsigned(minCodeSize) + 1;
        limit = 2 * clear;
        next = clear + 2;
        havePrevious = false;
    };
    reset();

    for (;;) {
        if (bitPos + width > totalBits) {
            result.end = LzwEnd::OutOfData;
            break;
        }
        const unsigned code = (LoadWord(in + (bitPos >> 3), inEnd) >> (bitPos & 7)) & ((1u << width) - 1);
        bitPos += width;

        if (code == clear) {
            reset();
            continue;
        }
        if (code == endCode) {
            result.end = LzwEnd::EndCode;
            break;
        }
        if (code < clear ? code > 255 : (!havePrevious || code > next)) {
            result.end = LzwEnd::BadCode;
            break;
        }
        if (havePrevious && next < kTableSize) {
            // The previous string followed by the first byte of this one. When this code is the
            // entry being made, its string is the previous one followed by its own first byte; both
            // sit in out right where the previous string was written.
            start[next] = std::uint32_t(previousStart);
            length[next] = std::uint16_t(length[previous] + 1);
            ++next;
            // With a minimum code size of 1 the first free entry already equals the limit, so the
            // first entry made widens the codes.
            if (next >= limit && limit < kTableSize) {
                limit <<= 1;
                ++width;
            }
        }
        previous = code;
        havePrevious = true;
        previousStart = written;
        if (written == outSize) continue;  // out is full: only the table is kept up

        if (code < clear) {
            base[written++] = std::uint8_t(code);
            continue;
        }
        const std::size_t n = std::min<std::size_t>(length[code], outSize - written);
        const std::uint8_t* src = base + start[code];
        std::uint8_t* dst = base + written;
        std::size_t k = 0;
        // The source ends at or before dst, except for the entry just made, whose last byte is
        // dst[0]; copying forwards gives that byte its value before it is read. Eight bytes at a
        // time are safe while the source lies at least eight bytes behind.
        if (dst - src >= 8) {
            for (; k + 8 <= n; k += 8)
                std::memcpy(dst + k, src + k, 8);
        }
        for (; k < n; ++k)
            dst[k] = src[k];
        written += n;
    }
    result.written = written;
    return result;
}

}  // namespace curvana
