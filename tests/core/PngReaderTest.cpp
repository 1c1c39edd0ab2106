#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "platform/FormatError.h"
#include "platform/PngReader.h"

namespace curvana {
namespace {

using ByteVector = std::vector<std::uint8_t>;

const std::string kSuite = test::DataPath("pngsuite/png/");

std::uint32_t U32(const ByteVector& b, std::size_t at) {
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 |
           b[at + 3];
}

struct Chunk {
    std::string type;
    ByteVector data;
};

// The chunks of a well-formed file, after its signature.
std::vector<Chunk> Chunks(const ByteVector& file) {
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = U32(file, at);
        chunks.push_back(
            {std::string(file.begin() + std::ptrdiff_t(at + 4), file.begin() + std::ptrdiff_t(at + 8)),
             ByteVector(file.begin() + std::ptrdiff_t(at + 8),
                        file.begin() + std::ptrdiff_t(at + 8 + length))});
        at += 12 + length;
    }
    return chunks;
}

// A file of the given chunks, each with its CRC computed by zlib.
ByteVector Assemble(const std::vector<Chunk>& chunks) {
    ByteVector out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto put32 = [&out](std::uint32_t v) {
        out.insert(out.end(),
                   {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
    };
    for (const Chunk& c : chunks) {
        ByteVector body(c.type.begin(), c.type.end());
        body.insert(body.end(), c.data.begin(), c.data.end());
        put32(std::uint32_t(c.data.size()));
        out.insert(out.end(), body.begin(), body.end());
        put32(std::uint32_t(crc32(0, body.data(), uInt(body.size()))));
    }
    return out;
}

struct MemoryInput {
    const std::uint8_t* at;
    std::size_t left;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (length > in->left) png_error(png, "read past the end");
    std::memcpy(out, in->at, length);
    in->at += length;
    in->left -= length;
}

// libpng's row interface: every pixel as red, green, blue, alpha with 16-bit samples as stored.
// No local of this frame changes after setjmp.
bool ReadRgba16(png_structp png, png_infop info, std::vector<std::uint16_t>* pixels,
                std::vector<png_bytep>* rows, png_uint_32* width, png_uint_32* height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFFFF, PNG_FILLER_AFTER);
    png_set_swap(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    pixels->resize(std::size_t(*width) * *height * 4);
    for (png_uint_32 y = 0; y < *height; ++y)
        rows->push_back(reinterpret_cast<png_bytep>(pixels->data() + std::size_t(y) * *width * 4));
    png_read_image(png, rows->data());
    return true;
}

// libpng's reading into 8-bit RGBA, composited over white as (c a + 255 (255 - a)) / 255 rounded.
// Files of 8 bits or less go through libpng's simplified reading with the colour-space chunks taken
// out, so that it reports the samples as stored. Its narrowing of interlaced 16-bit files is wrong in
// libpng 1.6.39 (a sample of 0 comes out as 0x84), so 16-bit files are read through the row interface
// and narrowed here as (v 255 + 32767) / 65535.
std::vector<TColor> LibpngOverWhite(const ByteVector& file, int& width, int& height) {
    ByteVector rgba;
    if (file[24] == 16) {
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        MemoryInput input{file.data(), file.size()};
        png_set_read_fn(png, &input, ReadFromMemory);
        std::vector<std::uint16_t> pixels;
        std::vector<png_bytep> rows;
        png_uint_32 w = 0, h = 0;
        EXPECT_TRUE(ReadRgba16(png, info, &pixels, &rows, &w, &h));
        png_destroy_read_struct(&png, &info, nullptr);
        width = int(w);
        height = int(h);
        for (std::uint16_t v : pixels)
            rgba.push_back(std::uint8_t((unsigned(v) * 255 + 32767) / 65535));
    } else {
        std::vector<Chunk> chunks = Chunks(file);
        std::erase_if(chunks, [](const Chunk& c) {
            return c.type == "gAMA" || c.type == "cHRM" || c.type == "sRGB" || c.type == "iCCP";
        });
        const ByteVector plain = Assemble(chunks);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        EXPECT_TRUE(png_image_begin_read_from_memory(&image, plain.data(), plain.size())) << image.message;
        image.format = PNG_FORMAT_RGBA;
        rgba.resize(PNG_IMAGE_SIZE(image));
        EXPECT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) << image.message;
        width = int(image.width);
        height = int(image.height);
    }
    std::vector<TColor> colours;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        auto over = [&](unsigned c) {
            return std::uint8_t((c * rgba[i + 3] + 255 * (255 - rgba[i + 3]) + 127) / 255);
        };
        colours.push_back(RGB(over(rgba[i]), over(rgba[i + 1]), over(rgba[i + 2])));
    }
    return colours;
}

// The pixel format the header's rules give: palettes without a transparent entry stay indexed
// (2 bits widened to 4), 8-bit grey without tRNS becomes 8-bit indexed, the rest 24-bit.
PixelFormat ExpectedFormat(const ByteVector& file) {
    const int depth = file[24], colourType = file[25];
    bool transparent = false, hasTrns = false;
    for (const Chunk& c : Chunks(file))
        if (c.type == "tRNS") {
            hasTrns = true;
            transparent =
                colourType != 3 || std::any_of(c.data.begin(), c.data.end(), [](auto a) { return a < 255; });
        }
    if (colourType == 3 && !transparent) return PixelFormat::Indexed(depth == 2 ? 4 : depth);
    if (colourType == 0 && depth == 8 && !hasTrns) return PixelFormat::Indexed(8);
    return PixelFormat::Rgb24();
}

TEST(PngReaderTest, EveryPngSuiteFileDecodesAsLibpngReadsItOrFails) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kSuite))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 175u);
    int refused = 0;
    for (const std::string& name : names) {
        const ByteVector file = test::ReadFileBytes(kSuite + name);
        if (name[0] == 'x') {
            ++refused;
            EXPECT_THROW(DecodePng(file), FormatError) << name;
            continue;
        }
        Bitmap picture;
        ASSERT_NO_THROW(picture = DecodePng(file)) << name;
        int width = 0, height = 0;
        const std::vector<TColor> expected = LibpngOverWhite(file, width, height);
        ASSERT_EQ(picture.Width(), width) << name;
        ASSERT_EQ(picture.Height(), height) << name;
        EXPECT_EQ(picture.Format(), ExpectedFormat(file)) << name;
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                wrong += picture.PixelColor(x, y) !=
                         expected[std::size_t(y) * std::size_t(width) + std::size_t(x)];
        EXPECT_EQ(wrong, 0) << name;
    }
    EXPECT_EQ(refused, 14);
}

// The file with its IHDR saying another size.
ByteVector WithSize(const ByteVector& file, std::uint32_t width, std::uint32_t height) {
    std::vector<Chunk> chunks = Chunks(file);
    for (int k = 0; k < 4; ++k) {
        chunks[0].data[k] = std::uint8_t(width >> (24 - 8 * k));
        chunks[0].data[4 + k] = std::uint8_t(height >> (24 - 8 * k));
    }
    return Assemble(chunks);
}

// The file with one byte of its (single) IDAT chunk changed and the chunk's CRC made right again.
ByteVector WithImageByteFlipped(const ByteVector& file, int fromEnd) {
    std::vector<Chunk> chunks = Chunks(file);
    for (Chunk& c : chunks)
        if (c.type == "IDAT") c.data[c.data.size() - std::size_t(fromEnd)] ^= 0x01;
    return Assemble(chunks);
}

ByteVector Cut(const ByteVector& b, std::size_t size) {
    return ByteVector(b.begin(), b.begin() + std::ptrdiff_t(size));
}

TEST(PngReaderTest, DamagedOrUnreasonableFilesFailWithTheReason) {
    const ByteVector rgb = test::ReadFileBytes(kSuite + "basn2c08.png");
    const ByteVector grey = test::ReadFileBytes(kSuite + "basn0g01.png");
    const struct {
        const char* what;
        ByteVector bytes;
        const char* reason;  // part of the message
    } cases[] = {
        {"empty", {}, "not a PNG file"},
        {"a BMP picture", {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0}, "not a PNG file"},
        {"signature only", Cut(rgb, 8), "the file ends early"},
        {"cut inside the image data", Cut(rgb, rgb.size() / 2), "the file ends inside the image data"},
        {"70,000 x 70,000 pixels", WithSize(grey, 70000, 70000), "too large: 70000 x 70000 pixels"},
        {"2^28 + 1 pixels", WithSize(grey, 16385, 16384), "too large: 16385 x 16384 pixels"},
        // 2^28 pixels are allowed, but a few bytes of image data cannot hold them.
        {"16,384 x 16,384 from 200 bytes", WithSize(rgb, 16384, 16384),
         "the file ends inside the image data"},
        {"Adler-32 sum of the image data wrong", WithImageByteFlipped(rgb, 1), "IDAT stream error"},
        {"compressed image data damaged", WithImageByteFlipped(rgb, 40), "cannot decode the PNG picture"},
        // Without IEND the checksum of the last IDAT chunk cannot be checked.
        {"without its IEND chunk", Cut(rgb, rgb.size() - 12), "the file ends early"},
        {"IDAT checksum wrong", test::ReadFileBytes(kSuite + "xcsn0g01.png"), "invalid chunk checksum"},
        {"no IDAT", test::ReadFileBytes(kSuite + "xdtn0g01.png"), "the file ends inside the image data"},
    };
    for (const auto& c : cases) {
        try {
            DecodePng(c.bytes);
            ADD_FAILURE() << c.what << " decoded";
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.what << ": " << e.what();
        }
    }
}

// The palette file with a tRNS chunk of the given alpha values after its PLTE.
ByteVector WithPaletteAlpha(const ByteVector& file, ByteVector alpha) {
    std::vector<Chunk> chunks = Chunks(file);
    for (std::size_t i = 0; i < chunks.size(); ++i)
        if (chunks[i].type == "PLTE") {
            chunks.insert(chunks.begin() + std::ptrdiff_t(i + 1), Chunk{"tRNS", std::move(alpha)});
            break;
        }
    return Assemble(chunks);
}

TEST(PngReaderTest, OnlyATransparentPaletteEntryMakesAPalettePicture24Bit) {
    const ByteVector palette = test::ReadFileBytes(kSuite + "basn3p08.png");
    const Bitmap plain = DecodePng(palette);
    const struct {
        const char* what;
        ByteVector alpha;
        PixelFormat format;
        TColor firstPixel;  // basn3p08's first pixel is index 0xA5 = (1, 0, 0)
    } cases[] = {
        {"every entry opaque", ByteVector(256, 255), PixelFormat::Indexed(8), RGB(1, 0, 0)},
        {"fewer entries than the palette, opaque", ByteVector(16, 255), PixelFormat::Indexed(8),
         RGB(1, 0, 0)},
        // Over white at alpha 0x80: (c 128 + 255 127 + 127) / 255.
        {"the first pixel's entry half transparent",
         [] {
             ByteVector a(256, 255);
             a[0xA5] = 0x80;
             return a;
         }(),
         PixelFormat::Rgb24(), RGB(0x80, 0x7F, 0x7F)},
    };
    ASSERT_EQ(plain.PixelColor(0, 0), RGB(1, 0, 0));
    for (const auto& c : cases) {
        const Bitmap picture = DecodePng(WithPaletteAlpha(palette, c.alpha));
        EXPECT_EQ(picture.Format(), c.format) << c.what;
        EXPECT_EQ(picture.PixelColor(0, 0), c.firstPixel) << c.what;
    }
}

TEST(PngReaderTest, UnreadableFilesFailWithThePath) {
    for (const std::string& path : {kSuite + "no-such-file.png", kSuite}) {
        try {
            ReadPngFile(path);
            ADD_FAILURE() << path << " was read";
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace curvana
