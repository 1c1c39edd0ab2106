#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/JpegReader.h"

namespace curvana {
namespace {

using ByteVector = std::vector<std::uint8_t>;

const std::string kJpegFolder = std::string(CURVANA_TEST_DATA) + "/jpeg/";

ByteVector FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return ByteVector(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Checks a picture against a reference written by libjpeg-turbo's djpeg (binary PPM, or PGM for
// grey), allowing ±2 in every channel.
void ExpectLikeReference(const Bitmap& picture, const std::string& reference, const std::string& what) {
    ByteVector bytes = FileBytes(kJpegFolder + "reference/" + reference);
    std::istringstream header(std::string(bytes.begin(), bytes.begin() + 20));
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    header >> magic >> width >> height >> maxValue;
    const std::size_t channels = magic == "P6" ? 3 : 1;
    const std::uint8_t* pixels = bytes.data() + std::size_t(header.tellg()) + 1;
    ASSERT_EQ(picture.Width(), width) << what;
    ASSERT_EQ(picture.Height(), height) << what;
    ASSERT_EQ(picture.Format(), PixelFormat::Rgb24()) << what;
    int worst = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (std::size_t c = 0; c < 3; ++c) {
                int expected = pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * channels +
                                      (channels == 3 ? c : 0)];
                int actual = picture.Row(y)[std::size_t(x) * 3 + 2 - c];  // blue, green, red
                worst = std::max(worst, std::abs(actual - expected));
            }
    EXPECT_LE(worst, 2) << what;
}

// Offset of the header segment with the given marker (FF xx), walking the segments from the start.
std::size_t FindSegment(const ByteVector& b, std::uint8_t marker) {
    std::size_t i = 2;
    while (i + 4 <= b.size() && b[i] == 0xFF) {
        if (b[i + 1] == marker) return i;
        if (b[i + 1] == 0xDA) break;
        i += 2 + (std::size_t(b[i + 2]) << 8 | b[i + 3]);
    }
    ADD_FAILURE() << "no segment FF " << std::hex << int(marker);
    return 0;
}

// The file with the frame header saying another size.
ByteVector WithSize(ByteVector b, std::uint8_t frameMarker, std::uint16_t width, std::uint16_t height) {
    std::size_t sof = FindSegment(b, frameMarker);
    b[sof + 5] = std::uint8_t(height >> 8);
    b[sof + 6] = std::uint8_t(height);
    b[sof + 7] = std::uint8_t(width >> 8);
    b[sof + 8] = std::uint8_t(width);
    return b;
}

// The file with its last scan (from its SOS marker up to the end marker) there `copies` times in all.
// Entropy-coded data never holds FF DA, so the last one in the file is the last scan's marker.
ByteVector WithLastScanRepeated(const ByteVector& b, int copies) {
    std::size_t sos = b.size() - 2;
    while (sos > 0 && !(b[sos] == 0xFF && b[sos + 1] == 0xDA))
        --sos;
    ByteVector scan(b.begin() + std::ptrdiff_t(sos), b.end() - 2);
    ByteVector out(b.begin(), b.begin() + std::ptrdiff_t(sos));
    for (int i = 0; i < copies; ++i)
        out.insert(out.end(), scan.begin(), scan.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

ByteVector Cut(const ByteVector& b, std::size_t size) {
    return ByteVector(b.begin(), b.begin() + std::ptrdiff_t(size));
}

ByteVector Inserted(ByteVector b, std::size_t at, ByteVector bytes) {
    b.insert(b.begin() + std::ptrdiff_t(at), bytes.begin(), bytes.end());
    return b;
}

TEST(JpegReaderTest, FilesDecodeAsLibjpegTurbosDjpegDecodesThem) {
    const struct {
        const char* file;
        const char* reference;
    } cases[] = {
        {"testorig-baseline-420.jpg", "testorig-baseline-420.ppm"},
        {"testimgari-arithmetic-420.jpg", "testimgari-arithmetic-420.ppm"},
        {"testorig-restart1row-420.jpg", "testimgari-arithmetic-420.ppm"},  // the same pixels
        {"testorig-cmyk-adobe-inverted.jpg", "testorig-cmyk-adobe-inverted.ppm"},
        {"testorig-ycck-adobe.jpg", "testorig-ycck-adobe.ppm"},
        {"peacock.grayscale.jpeg", "peacock.grayscale.ppm"},
        {"peacock.progressive.jpeg", "peacock.progressive.ppm"},
        {"peacock.s1x1-444.jpeg", "peacock.s1x1-444.ppm"},
        {"peacock.s2x1-422.jpeg", "peacock.s2x1-422.ppm"},
        {"made/grey-two-scans-8x8.jpg", "grey-two-scans-8x8.ppm"},
        {"made/progressive-444-16x16.jpg", "progressive-444-16x16.ppm"},
        {"made/rgb-16x16.jpg", "rgb-16x16.ppm"},  // stored as RGB (Adobe transform 0)
    };
    for (const auto& c : cases)
        ExpectLikeReference(ReadJpegFile(kJpegFolder + c.file), c.reference, c.file);
}

TEST(JpegReaderTest, SoundVariantsOfTheTestFiles) {
    const ByteVector baseline = FileBytes(kJpegFolder + "testorig-baseline-420.jpg");
    const ByteVector twoScans = FileBytes(kJpegFolder + "made/grey-two-scans-8x8.jpg");
    const struct {
        const char* what;
        ByteVector bytes;
        const char* reference;
    } cases[] = {
        // One Huffman scan whose data is complete: only the end marker is missing.
        {"baseline without its end marker", Cut(baseline, baseline.size() - 2), "testorig-baseline-420.ppm"},
        // Repeating a full-precision scan changes nothing and breaks no rule of the progression.
        {"400 scans", WithLastScanRepeated(twoScans, 399), "grey-two-scans-8x8.ppm"},
        {"500 scans", WithLastScanRepeated(twoScans, 499), "grey-two-scans-8x8.ppm"},
    };
    for (const auto& c : cases)
        ExpectLikeReference(DecodeJpeg(c.bytes), c.reference, c.what);
}

TEST(JpegReaderTest, DamagedOrUnreasonableFilesFailCleanly) {
    const ByteVector baseline = FileBytes(kJpegFolder + "testorig-baseline-420.jpg");
    const ByteVector arithmetic = FileBytes(kJpegFolder + "testimgari-arithmetic-420.jpg");
    const ByteVector restart = FileBytes(kJpegFolder + "testorig-restart1row-420.jpg");
    const ByteVector progressive = FileBytes(kJpegFolder + "peacock.progressive.jpeg");
    const ByteVector progressive444 = FileBytes(kJpegFolder + "made/progressive-444-16x16.jpg");
    const ByteVector twoScans = FileBytes(kJpegFolder + "made/grey-two-scans-8x8.jpg");
    const std::size_t scanStart = FindSegment(baseline, 0xDA);
    const struct {
        const char* what;
        ByteVector bytes;
        const char* reason;  // part of the message
    } cases[] = {
        {"the truncated test file", FileBytes(kJpegFolder + "peacock.progressive.truncated.jpeg"),
         "Premature end of JPEG file"},
        {"baseline cut in its pixel data", Cut(baseline, baseline.size() / 2),
         "premature end of data segment"},
        {"arithmetic-coded file cut in its pixel data", Cut(arithmetic, arithmetic.size() / 2),
         "Premature end of JPEG file"},
        {"restart intervals cut in the pixel data", Cut(restart, restart.size() / 2), "Corrupt JPEG data"},
        // A progressive file might lack whole scans, so its end must be there.
        {"progressive file without its end marker", Cut(progressive, progressive.size() - 2),
         "Premature end of JPEG file"},
        {"header only", Cut(baseline, scanStart), "Premature end of JPEG file"},
        {"a marker inside the pixel data",
         Inserted(baseline, (scanStart + baseline.size()) / 2, {0xFF, 0xD0}), "Corrupt JPEG data"},
        // The decoder reads a few bytes ahead, so only a longer run of stray bytes shows.
        {"stray bytes before the end marker", Inserted(baseline, baseline.size() - 2, ByteVector(64, 0x12)),
         "extraneous bytes before marker 0xd9"},
        {"empty", {}, "Empty input file"},
        {"a BMP picture", {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0}, "Not a JPEG file"},
        {"65,500 x 65,500 pixels", WithSize(baseline, 0xC0, 65500, 65500), "too large: 65500 x 65500 pixels"},
        {"2^28 + 16,384 pixels", WithSize(baseline, 0xC0, 16385, 16384), "too large: 16385 x 16384 pixels"},
        // 16,383 x 16,383 is allowed, but a progressive 4:4:4 picture of that size needs 1.5 GB
        // of coefficients.
        {"progressive 4:4:4 of 16,383 x 16,383", WithSize(progressive444, 0xC2, 16383, 16383),
         "needs more than 1024 MB of working memory"},
        {"501 scans", WithLastScanRepeated(twoScans, 500), "too many scans"},
    };
    for (const auto& c : cases) {
        try {
            DecodeJpeg(c.bytes);
            ADD_FAILURE() << c.what << " decoded";
        } catch (const JpegError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.what << ": " << e.what();
        }
    }
}

TEST(JpegReaderTest, UnreadableFilesFailWithTheReason) {
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {kJpegFolder + "no-such-file.jpg", "No such file or directory"},
        {kJpegFolder + "reference", "Is a directory"},
    };
    for (const auto& c : cases) {
        try {
            ReadJpegFile(c.path);
            ADD_FAILURE() << c.path << " was read";
        } catch (const JpegError& e) {
            std::string text = e.what();
            EXPECT_NE(text.find(c.path), std::string::npos) << text;
            EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        }
    }
}

}  // namespace
}  // namespace curvana
