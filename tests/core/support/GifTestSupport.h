#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

namespace curvana::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Packs codes least-significant bit first; each pair is a code and its width in bits.
inline Bytes PackCodes(std::initializer_list<std::pair<unsigned, int>> codes) {
    Bytes out;
    std::uint32_t bits = 0;
    int count = 0;
    for (auto [code, width] : codes) {
        bits |= code << count;
        count += width;
        for (; count >= 8; count -= 8, bits >>= 8)
            out.push_back(std::uint8_t(bits));
    }
    if (count > 0) out.push_back(std::uint8_t(bits));
    return out;
}

// A plain GIF-style LZW encoder, written from the textbook algorithm, for round trips. It starts
// with a clear code and ends with the end code. With clearWhenFull it sends a clear code once the
// 4096-entry table is full; without, it goes on with 12-bit codes and a full table. The minimum
// code size must be 2 or more.
inline Bytes EncodeLzw(int minCodeSize, const Bytes& indices, bool clearWhenFull) {
    const unsigned clear = 1u << minCodeSize, end = clear + 1;
    Bytes out;
    std::uint64_t bits = 0;
    int count = 0;
    // The reader's next free entry and code width when it meets the code being written: it makes
    // no entry for the first code after a clear, one for every code after that, and none once it has
    // 4096; it widens its codes when the next free entry needs more bits, up to 12.
    unsigned readerNext = clear + 2;
    int width = minCodeSize + 1;
    int codesSinceClear = 0;
    auto put = [&](unsigned code) {
        bits |= std::uint64_t(code) << count;
        count += width;
        for (; count >= 8; count -= 8, bits >>= 8)
            out.push_back(std::uint8_t(bits));
        if (code == clear) {
            readerNext = clear + 2;
            width = minCodeSize + 1;
            codesSinceClear = 0;
        } else if (codesSinceClear++ > 0 && readerNext < 4096) {
            ++readerNext;
            width = std::max(width, std::min(12, int(std::bit_width(readerNext))));
        }
    };

    std::map<std::pair<unsigned, std::uint8_t>, unsigned> table;
    unsigned next = clear + 2;
    put(clear);
    if (!indices.empty()) {
        unsigned current = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            auto it = table.find({current, indices[i]});
            if (it != table.end()) {
                current = it->second;
                continue;
            }
            put(current);
            if (next < 4096) table[{current, indices[i]}] = next++;
            if (next == 4096 && clearWhenFull) {
                put(clear);
                table.clear();
                next = clear + 2;
            }
            current = indices[i];
        }
        put(current);
    }
    put(end);
    if (count > 0) out.push_back(std::uint8_t(bits));
    return out;
}

// Data sub-blocks of at most 255 bytes and the terminator.
inline Bytes SubBlocks(const Bytes& data) {
    Bytes out;
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), data.begin() + std::ptrdiff_t(i), data.begin() + std::ptrdiff_t(i + n));
    }
    out.push_back(0);
    return out;
}

}  // namespace curvana::test
