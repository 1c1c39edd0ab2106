#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/GifDecoder.h"
#include "support/GifTestSupport.h"

namespace curvana {
namespace {

using test::Bytes;
using test::Cat;

// A hand-made file: header, screen, image, trailer.
const Bytes kHeader = {'G', 'I', 'F', '8', '9', 'a'};
// Logical screen 2 x 2 with a global map of 2 entries (packed 0x80), background 0, aspect 0; the
// map: black, white.
const Bytes kScreen = {2, 0, 2, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
// Image at (0, 0), 2 x 2, no local map, not interlaced.
const Bytes kDescriptor = {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x00};
// Minimum code size 2 and one sub-block holding the codes clear (4), 1, 0, 0 in 3 bits, then 1 and
// end (5) in 4 bits (entry 7 has been made by then), least-significant bit first:
// 0x0C = 00 001 100, 0x10 = 0001 000 0, 0x05 = 0101.
const Bytes kData = {2, 3, 0x0C, 0x10, 0x05, 0};
const Bytes kTrailer = {0x3B};
const Bytes kPixels = {1, 0, 0, 1};
// The same data cut after its first byte: the codes clear and 1, then too few bits.
const Bytes kShortData = {2, 1, 0x0C, 0};

struct Outcome {
    GifImage image;
    std::vector<std::string> warnings;
    std::string failure;
};

Outcome Decode(const Bytes& file) {
    Outcome o;
    try {
        o.image = DecodeGif(file, [&](const std::string& w) { o.warnings.push_back(w); });
    } catch (const GifError& e) {
        o.failure = e.what();
    }
    return o;
}

TEST(GifDecoderTest, SignatureMayBeLowerCaseOrFollowFourBytes) {
    const struct {
        std::string start;  // replaces the header
        const char* failure;
    } cases[] = {
        {"GIF89a", ""},
        {"gif89a", ""},
        {"GiF87a", ""},
        {"GIFxyz", ""},  // the version is not examined
        {std::string("\0\1\2\3GIF89a", 10), ""},
        {"JUNKgif87a", ""},
        {"ABCGIF89a", "Invalid GIF signature"},  // three bytes before it
        {"ABCDEGIF89a", "Invalid GIF signature"},
        {"GIT89a", "Invalid GIF signature"},
    };
    for (const auto& c : cases) {
        const Outcome o =
            Decode(Cat({Bytes(c.start.begin(), c.start.end()), kScreen, kDescriptor, kData, kTrailer}));
        EXPECT_EQ(o.failure, c.failure) << c.start;
        if (*c.failure) continue;
        EXPECT_EQ(o.image.version, c.start.substr(c.start.size() - 3)) << c.start;
        EXPECT_TRUE(o.warnings.empty()) << c.start;
        ASSERT_EQ(o.image.frames.size(), 1u) << c.start;
        EXPECT_EQ(o.image.frames[0].pixels, kPixels) << c.start;
    }
    EXPECT_EQ(Decode(Bytes{'G', 'I', 'F', '8'}).failure, "Premature end of data");
}

TEST(GifDecoderTest, FailuresAbortTheLoad) {
    const Bytes start = Cat({kHeader, kScreen});
    const Bytes image = Cat({kDescriptor, kData, kTrailer});
    const struct {
        const char* what;
        Bytes file;
        const char* failure;
    } cases[] = {
        {"screen descriptor cut short", Cat({kHeader, {2, 0, 2, 0, 0x80}}), "Premature end of data"},
        {"global map cut short", Cat({kHeader, {2, 0, 2, 0, 0x80, 0, 0, 0, 0, 0}}), "Premature end of data"},
        {"image descriptor cut short", Cat({start, {0x2C, 0, 0, 0, 0}}), "Premature end of data"},
        {"local map cut short", Cat({start, {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x80, 1, 2, 3}}),
         "Premature end of data"},
        {"minimum code size missing", Cat({start, kDescriptor}), "Premature end of data"},
        {"label missing", Cat({start, {0x21}}), "Premature end of data"},
        {"graphic control cut short", Cat({start, {0x21, 0xF9, 4, 1, 0}}), "Premature end of data"},
        {"application identifier cut short", Cat({start, {0x21, 0xFF, 11, 'N', 'E', 'T'}}),
         "Premature end of data"},
        {"unknown extension label", Cat({start, {0x21, 0x2A, 0}, image}), "Unknown extension type"},
        {"application block size 9",
         Cat({start, {0x21, 0xFF, 9, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', '1', '2', '3', 0}, image}),
         "Unsupported Application Extension block size"},
        {"screen of 65535 x 65535", Cat({kHeader, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0}}), "Image too large"},
        // 65535 * 4097 pixels is just over 2^28.
        {"frame of 65535 x 4097",
         Cat({start, {0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0x01, 0x10, 0}, kData, kTrailer}), "Image too large"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.file).failure, c.failure) << c.what;
}

TEST(GifDecoderTest, WarningsLetTheLoadGoOn) {
    const Bytes start = Cat({kHeader, kScreen});
    const Bytes image = Cat({kDescriptor, kData});
    // Graphic control: block size 4, packed 0x01 (transparent), delay 0, transparent index 3.
    const Bytes transparent = {0x21, 0xF9, 4, 0x01, 0, 0, 3, 0};
    const struct {
        const char* what;
        Bytes file;
        std::vector<std::string> warnings;
        std::size_t frames;
        Bytes pixels;  // of the first frame
    } cases[] = {
        {"well-formed", Cat({start, image, kTrailer}), {}, 1, kPixels},
        {"zero bytes between blocks", Cat({start, {0, 0}, image, {0, 0, 0}, kTrailer}), {}, 1, kPixels},
        {"unknown block after the image",
         Cat({start, image, {0x99}, kTrailer}),
         {"Unknown GIF block type", "Invalid Image trailer"},
         1,
         kPixels},
        {"unknown block before the image",
         Cat({start, {0x99}, image, kTrailer}),
         {"Unknown GIF block type", "Invalid Image trailer"},
         0,
         {}},
        // The list of extensions ends at a byte other than "!", which is then read as the first
        // byte of the image descriptor.
        {"bad introducer after an extension",
         Cat({start, {0x21, 0xFE, 1, 'x', 0, 0x2D, 0, 0, 0, 0, 2, 0, 2, 0, 0}, kData, kTrailer}),
         {"Invalid extension introducer"},
         1,
         kPixels},
        {"zero width",
         Cat({start, {0x2C, 0, 0, 0, 0, 0, 0, 2, 0, 0}, kData, kTrailer}),
         {"Image exceeds Logical Screen size"},
         1,
         kPixels},
        {"zero height",
         Cat({start, {0x2C, 0, 0, 0, 0, 7, 0, 0, 0, 0}, kData, kTrailer}),
         {"Image exceeds Logical Screen size"},
         1,
         kPixels},
        {"trailer missing", Cat({start, image}), {"Invalid Image trailer"}, 1, kPixels},
        {"sub-block runs past the end",
         Cat({start, kDescriptor, {2, 3, 0x0C}}),
         {"Premature end of data", "Decoder bit buffer under-run", "Invalid Image trailer"},
         1,
         {1, 0, 0, 0}},
        {"transparent frame cut short",
         Cat({start, transparent, kDescriptor, {2, 3, 0x0C}}),
         {"Premature end of data", "Decoder bit buffer under-run", "Invalid Image trailer"},
         1,
         {1, 3, 3, 3}},
        {"terminator missing",
         Cat({start, kDescriptor, {2, 3, 0x0C, 0x10, 0x05}}),
         {"Premature end of data", "Invalid Image trailer"},
         1,
         kPixels},
        {"end code missing",
         Cat({start, kDescriptor, {2, 2, 0x0C, 0x10, 0}, kTrailer}),
         {"Decoder bit buffer under-run"},
         1,
         kPixels},
        {"comment runs past the end",
         Cat({start, image, {0x21, 0xFE, 10, 'a'}}),
         {"Premature end of data", "Invalid Image trailer"},
         1,
         kPixels},
        // Codes clear (4), 1, then 7, above the next free entry 6: 0xCC = 11 001 100, 0x01.
        {"code naming no string",
         Cat({start, kDescriptor, {2, 2, 0xCC, 0x01, 0}, kTrailer}),
         {},
         1,
         {1, 0, 0, 0}},
        {"minimum code size 12",
         Cat({start, kDescriptor, {12, 3, 0x0C, 0x10, 0x05, 0}, kTrailer}),
         {},
         1,
         {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const Outcome o = Decode(c.file);
        EXPECT_EQ(o.failure, "") << c.what;
        EXPECT_EQ(o.warnings, c.warnings) << c.what;
        ASSERT_EQ(o.image.frames.size(), c.frames) << c.what;
        if (c.frames == 0) continue;
        EXPECT_EQ(o.image.frames[0].width, 2) << c.what;
        EXPECT_EQ(o.image.frames[0].height, 2) << c.what;
        EXPECT_EQ(o.image.frames[0].pixels, c.pixels) << c.what;
    }
}

TEST(GifDecoderTest, ExtensionsAreReadAndKept) {
    const Bytes file = Cat({
        kHeader,
        kScreen,
        // Graphic control: packed 0x09 (disposal 2, transparent), delay 0x0102, transparent index 1.
        {0x21, 0xF9, 4, 0x09, 0x02, 0x01, 1, 0},
        {0x21, 0xFE, 2, 'h', 'i', 0},  // comment
        // Plain text: a 12-byte text-grid header, then the text "ab".
        {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0, 2, 'a', 'b', 0},
        {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0},
        {0x21, 0xFF, 11, 'X', 'M', 'P', ' ', 'D', 'a', 't', 'a', 'X', 'M', 'P', 2, '<', '>', 0},
        kDescriptor,
        kData,
        {0x21, 0xFE, 3, 'e', 'n', 'd', 0},  // a comment no image follows
        kTrailer,
    });
    const Outcome o = Decode(file);
    ASSERT_EQ(o.failure, "");
    EXPECT_TRUE(o.warnings.empty());
    ASSERT_EQ(o.image.frames.size(), 1u);
    const GifFrame& f = o.image.frames[0];
    EXPECT_TRUE(f.transparent);
    EXPECT_EQ(f.transparentIndex, 1);
    EXPECT_EQ(f.pixels, kPixels);  // transparency does not change the decoded indices
    ASSERT_EQ(f.extensions.size(), 5u);
    EXPECT_EQ(f.extensions[0].kind, GifExtensionKind::GraphicControl);
    EXPECT_EQ(f.extensions[0].delay, 0x0102);
    EXPECT_EQ(f.extensions[1].kind, GifExtensionKind::Comment);
    EXPECT_EQ(f.extensions[1].data, (Bytes{'h', 'i'}));
    EXPECT_EQ(f.extensions[2].kind, GifExtensionKind::PlainText);
    EXPECT_EQ(f.extensions[2].data.size(), 14u);
    EXPECT_EQ(f.extensions[3].kind, GifExtensionKind::Netscape);
    EXPECT_EQ(f.extensions[3].data, (Bytes{1, 0, 0}));
    EXPECT_EQ(f.extensions[4].kind, GifExtensionKind::Application);
    EXPECT_EQ(f.extensions[4].identifier, "XMP DataXMP");
    ASSERT_EQ(o.image.looseExtensions.size(), 1u);
    EXPECT_EQ(o.image.looseExtensions[0].data, (Bytes{'e', 'n', 'd'}));
}

TEST(GifDecoderTest, InterlacedRowsArriveInFourPasses) {
    // Screen 1 x 9, no global map; an interlaced 1 x 9 image whose row y holds index y + 1. With
    // minimum code size 4 (clear 16, end 17) all codes are 5 bits wide; the rows come in the order
    // 0, 8 (pass 1), 4 (pass 2), 2, 6 (pass 3), 1, 3, 5, 7 (pass 4).
    const Bytes start = Cat({kHeader, {1, 0, 9, 0, 0, 0, 0}, {0x2C, 0, 0, 0, 0, 1, 0, 9, 0, 0x40}, {4}});
    const Bytes all = test::PackCodes(
        {{16, 5}, {1, 5}, {9, 5}, {5, 5}, {3, 5}, {7, 5}, {2, 5}, {4, 5}, {6, 5}, {8, 5}, {17, 5}});
    const Bytes firstThree = test::PackCodes({{16, 5}, {1, 5}, {9, 5}, {5, 5}});

    Outcome o = Decode(Cat({start, test::SubBlocks(all), kTrailer}));
    EXPECT_TRUE(o.warnings.empty());
    ASSERT_EQ(o.image.frames.size(), 1u);
    EXPECT_EQ(o.image.frames[0].pixels, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));

    o = Decode(Cat({start, test::SubBlocks(firstThree), kTrailer}));
    EXPECT_EQ(o.warnings, std::vector<std::string>{"Decoder bit buffer under-run"});
    ASSERT_EQ(o.image.frames.size(), 1u);
    EXPECT_EQ(o.image.frames[0].pixels, (Bytes{1, 0, 0, 0, 5, 0, 0, 0, 9}));
}

TEST(GifDecoderTest, FramesPastThePixelBudgetAreNotKept) {
    // A 16384 x 16384 image (2^28 pixels, all the budget), then a 1 x 1 image.
    const Bytes file = Cat({kHeader,
                            {0, 0x40, 0, 0x40, 0, 0, 0},
                            {0x2C, 0, 0, 0, 0, 0, 0x40, 0, 0x40, 0},
                            kData,
                            {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0},
                            kData,
                            kTrailer});
    const Outcome o = Decode(file);
    EXPECT_EQ(o.failure, "");
    ASSERT_EQ(o.image.frames.size(), 1u);
    EXPECT_EQ(o.image.droppedFrames, 1);
    EXPECT_EQ(o.image.frames[0].pixels.size(), std::size_t(1) << 28);
}

TEST(GifDecoderTest, LongRunsOfEmptyBlocksEnd) {
    // 100,000 empty comments, and no trailer.
    Bytes file = Cat({kHeader, kScreen});
    for (int i = 0; i < 100000; ++i)
        file.insert(file.end(), {0x21, 0xFE, 0});
    const Outcome o = Decode(file);
    EXPECT_EQ(o.warnings, std::vector<std::string>{"Invalid Image trailer"});
    EXPECT_EQ(o.image.frames.size(), 0u);
    EXPECT_EQ(o.image.looseExtensions.size(), 100000u);
}

}  // namespace
}  // namespace curvana
