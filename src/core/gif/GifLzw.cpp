#include "gif/GifLzw.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace curvana {

namespace {

constexpr unsigned kTableSize = 4096;  // codes are at most 12 bits wide

// The single-byte strings, with room to read eight bytes from any of them.
constexpr std::array<std::uint8_t, 256 + 8> kLiterals = [] {
    std::array<std::uint8_t, 256 + 8> a{};
    for (unsigned i = 0; i < 256; ++i)
        a[i] = std::uint8_t(i);
    return a;
}();

// Takes codes least-significant bit first.
class CodeReader {
  public:
    explicit CodeReader(std::span<const std::uint8_t> codes)
        : in_(codes.data()), size_(codes.size()), totalBits_(std::uint64_t(codes.size()) * 8) {}

    // False when fewer than width bits are left.
    bool Next(unsigned width, unsigned& code) {
        if (bitPos_ + width > totalBits_) return false;
        const std::size_t byte = std::size_t(bitPos_ >> 3);
        std::uint32_t word;
        if (size_ - byte >= 4) {
            const std::uint8_t* p = in_ + byte;
            word = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                   (std::uint32_t(p[3]) << 24);
        } else {
            word = 0;
            for (std::size_t i = 0; byte + i < size_; ++i)
                word |= std::uint32_t(in_[byte + i]) << (8 * i);
        }
        code = (word >> (bitPos_ & 7)) & ((1u << width) - 1);
        bitPos_ += width;
        return true;
    }

  private:
    const std::uint8_t* in_;
    std::size_t size_;
    std::uint64_t totalBits_;
    std::uint64_t bitPos_ = 0;
};

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
    // previous string followed by one more byte; an entry records where that copy starts, its length
    // and its last byte. Writing a string again is then a copy within out.
    const std::uint8_t* source[kTableSize];
    std::uint16_t length[kTableSize];
    std::uint8_t last[kTableSize];
    for (unsigned c = 0; c < std::min(clear, 256u); ++c) {
        source[c] = kLiterals.data() + c;
        length[c] = 1;
        last[c] = std::uint8_t(c);
    }

    CodeReader reader(codes);
    std::uint8_t* const base = out.data();
    const std::size_t outSize = out.size();
    std::size_t written = 0;

    unsigned width = 0, limit = 0, next = 0;
    bool havePrevious = false;
    unsigned previous = 0;
    const std::uint8_t* previousCopy = nullptr;  // where the previous string was written
    auto reset = [&] {
        width = unsigned(minCodeSize) + 1;
        limit = 2 * clear;
        next = clear + 2;
        havePrevious = false;
    };
    reset();

    unsigned code = 0;
    for (;;) {
        if (!reader.Next(width, code)) {
            result.end = LzwEnd::OutOfData;
            break;
        }
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
        if (written == outSize) {
            // out is full: from here on only the table size is followed, to find the end of the codes.
            if (havePrevious && next < kTableSize) {
                ++next;
                if (next >= limit && limit < kTableSize) {
                    limit <<= 1;
                    ++width;
                }
            }
            previous = code;
            havePrevious = true;
            continue;
        }

        const bool grow = havePrevious && next < kTableSize;
        if (grow) {
            // The previous string followed by the first byte of this one. When this code is the
            // entry being made, its string is the previous one followed by its own first byte; both
            // start where the previous string was written.
            source[next] = previousCopy;
            length[next] = std::uint16_t(length[previous] + 1);
        }
        const std::uint8_t* src = source[code];
        if (grow) {
            last[next] = *src;
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

        std::uint8_t* dst = base + written;
        previousCopy = dst;
        const std::size_t n = length[code];
        if (n <= 8 && outSize - written >= 8) {
            // Eight bytes at once, the string's last byte put right afterwards: the source may run
            // into dst, and for the entry just made its last byte is dst[0] itself. The bytes past
            // the string are written over by the next ones.
            std::uint64_t bytes;
            std::memcpy(&bytes, src, 8);
            std::memcpy(dst, &bytes, 8);
            dst[n - 1] = last[code];
            written += n;
            continue;
        }
        // The source lies before dst, except for the last byte of the entry just made, which is
        // dst[0]: copying forwards gives it its value before it is read. Eight bytes at a time are
        // safe while the source is at least eight bytes behind.
        const std::size_t count = std::min(n, outSize - written);
        std::size_t k = 0;
        if (count >= 8 && dst - src >= 8) {
            for (; k + 8 <= count; k += 8)
                std::memcpy(dst + k, src + k, 8);
        }
        for (; k < count; ++k)
            dst[k] = src[k];
        written += count;
    }
    result.written = written;
    return result;
}

}  // namespace curvana
