#include <gtest/gtest.h>

#include <random>

#include "gif/GifLzw.h"
#include "support/GifTestSupport.h"

namespace curvana {
namespace {

using test::Bytes;
using test::PackCodes;

TEST(GifLzwTest, HandWorkedCodeStreams) {
    // Minimum code size 2: clear 4, end 5, first free entry 6, codes 3 bits wide until entry 7 has
    // been made (the next free entry is then 8), 4 bits after that.
    struct Case {
        const char* what;
        int minCodeSize;
        Bytes codes;
        std::size_t outSize;
        LzwEnd end;
        Bytes indices;
    };
    const Case cases[] = {
        // 1; 6 is the entry being made: "1 1"; 6 again, making 7 = "1 1 1" and widening to 4 bits.
        {"repeat of the entry being made",
         2,
         PackCodes({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {5, 4}}),
         8,
         LzwEnd::EndCode,
         {1, 1, 1, 1, 1}},
        {"no clear code first",
         2,
         PackCodes({{2, 3}, {3, 3}, {6, 3}, {5, 3}}),
         8,
         LzwEnd::EndCode,
         {2, 3, 2, 3}},
        {"clear code resets the width",
         2,
         PackCodes({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {4, 4}, {2, 3}, {6, 3}, {5, 3}}),
         8,
         LzwEnd::EndCode,
         {1, 1, 1, 1, 1, 2, 2, 2}},
        {"indices past the end are dropped",
         2,
         PackCodes({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {5, 4}}),
         2,
         LzwEnd::EndCode,
         {1, 1}},
        {"code above the next free entry",
         2,
         PackCodes({{4, 3}, {1, 3}, {7, 3}, {5, 3}}),
         8,
         LzwEnd::BadCode,
         {1}},
        {"next free entry right after a clear",
         2,
         PackCodes({{4, 3}, {6, 3}, {5, 3}}),
         8,
         LzwEnd::BadCode,
         {}},
        {"codes run out",
         2,
         PackCodes({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {1, 4}}),
         8,
         LzwEnd::OutOfData,
         {1, 1, 1, 1, 1, 1}},
        // 0x0C holds the codes 4 and 1 in its low six bits; two bits make no 3-bit code.
        {"a partial code is no code", 2, Bytes{0x0C}, 8, LzwEnd::OutOfData, {1}},
        // Minimum code size 1: clear 2, end 3, the first entry made widens the codes to 3 bits.
        {"two colours",
         1,
         PackCodes({{2, 2}, {1, 2}, {0, 2}, {4, 3}, {3, 3}}),
         8,
         LzwEnd::EndCode,
         {1, 0, 1, 0}},
        // Minimum code size 9: clear 512; a literal above 255 is no colour index.
        {"literal above 255", 9, PackCodes({{512, 10}, {255, 10}, {300, 10}}), 8, LzwEnd::BadCode, {255}},
        {"code size 0", 0, PackCodes({{1, 1}, {2, 2}}), 8, LzwEnd::BadCodeSize, {}},
        {"code size 12", 12, PackCodes({{4096, 13}, {1, 13}}), 8, LzwEnd::BadCodeSize, {}},
    };
    for (const Case& c : cases) {
        Bytes out(c.outSize);
        const LzwResult r = DecodeLzw(c.minCodeSize, c.codes, out);
        EXPECT_EQ(r.end, c.end) << c.what;
        ASSERT_EQ(r.written, c.indices.size()) << c.what;
        EXPECT_TRUE(std::equal(c.indices.begin(), c.indices.end(), out.begin())) << c.what;
    }
}

// The encoder cannot use a minimum code size of 1: its second code may be the first free entry, 4,
// which the 2 bits of that code cannot hold.
TEST(GifLzwTest, RoundTripsThroughATextbookEncoder) {
    struct Case {
        int minCodeSize;
        int colours;
        std::size_t count;
        int runLength;  // longest run of one colour: long runs make long strings
        bool clearWhenFull;
    };
    const Case cases[] = {
        {2, 2, 5000, 50, true},    {2, 4, 20000, 1, true},       {4, 16, 100000, 8, false},
        {8, 256, 200000, 3, true}, {8, 256, 200000, 300, false}, {8, 7, 300000, 1000, false},
        {11, 256, 50000, 4, true},
    };
    std::mt19937 random(12345);
    for (const Case& c : cases) {
        Bytes indices;
        while (indices.size() < c.count) {
            const std::uint8_t colour = std::uint8_t(random() % unsigned(c.colours));
            const std::size_t run = 1 + random() % unsigned(c.runLength);
            indices.insert(indices.end(), std::min(run, c.count - indices.size()), colour);
        }
        const Bytes codes = test::EncodeLzw(c.minCodeSize, indices, c.clearWhenFull);
        Bytes out(indices.size());
        const LzwResult r = DecodeLzw(c.minCodeSize, codes, out);
        EXPECT_EQ(r.end, LzwEnd::EndCode) << c.minCodeSize << " " << c.colours;
        EXPECT_EQ(r.written, indices.size()) << c.minCodeSize << " " << c.colours;
        const auto mismatch = std::mismatch(out.begin(), out.end(), indices.begin());
        EXPECT_EQ(mismatch.first, out.end()) << c.minCodeSize << " " << c.colours << " " << c.runLength
                                             << ": first difference at " << (mismatch.first - out.begin());
    }
}

}  // namespace
}  // namespace curvana
