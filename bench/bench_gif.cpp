// Decoding GIF files: a 4000 x 3000 picture of 256 colours, once photo-like (dithered, short LZW
// strings) and once chart-like (mostly background, long strings), and the largest file of the test
// corpus. When giflib is installed the same files are decoded with it too, as a yardstick.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/GifBitmap.h"
#include "gif/GifDecoder.h"

#ifdef CURVANA_BENCH_GIFLIB
#include <gif_lib.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

// An LZW encoder for making the test pictures: a hashed string table, cleared when full.
class LzwWriter {
  public:
    explicit LzwWriter(Bytes& out) : out_(out) {}

    void Encode(const Bytes& indices) {
        const unsigned clear = 256, end = 257;
        Reset();
        Put(clear);
        unsigned current = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const std::uint32_t key = (current << 8) | indices[i];
            std::uint32_t slot = (key * 2654435761u) >> 19;  // 13 bits
            while (keys_[slot] != 0 && keys_[slot] != key + 1)
                slot = (slot + 1) & 8191;
            if (keys_[slot] == key + 1) {
                current = codes_[slot];
                continue;
            }
            Put(current);
            keys_[slot] = key + 1;
            codes_[slot] = std::uint16_t(next_++);
            if (next_ == 4096) {
                Put(clear);
                Reset();
            }
            current = indices[i];
        }
        Put(current);
        Put(end);
        if (count_ > 0) block_.push_back(std::uint8_t(bits_));
        Flush(true);
    }

  private:
    void Reset() {
        std::memset(keys_, 0, sizeof keys_);
        next_ = 258;
        readerNext_ = 258;
        width_ = 9;
        codesSinceClear_ = 0;
    }
    // Written in the width the reader will use: it widens once its own next entry needs more bits.
    void Put(unsigned code) {
        bits_ |= std::uint64_t(code) << count_;
        count_ += width_;
        for (; count_ >= 8; count_ -= 8, bits_ >>= 8)
            block_.push_back(std::uint8_t(bits_));
        Flush(false);
        if (code == 256) {
            readerNext_ = 258;
            width_ = 9;
            codesSinceClear_ = 0;
        } else if (codesSinceClear_++ > 0 && readerNext_ < 4096) {
            ++readerNext_;
            if (readerNext_ == (1u << width_) && width_ < 12) ++width_;
        }
    }
    // Moves full sub-blocks to the file; with all, the rest too and the terminator.
    void Flush(bool all) {
        std::size_t i = 0;
        while (block_.size() - i >= 255 || (all && i < block_.size())) {
            const std::size_t n = std::min<std::size_t>(255, block_.size() - i);
            out_.push_back(std::uint8_t(n));
            out_.insert(out_.end(), block_.begin() + std::ptrdiff_t(i),
                        block_.begin() + std::ptrdiff_t(i + n));
            i += n;
        }
        block_.erase(block_.begin(), block_.begin() + std::ptrdiff_t(i));
        if (all) out_.push_back(0);
    }

    Bytes& out_;
    Bytes block_;
    std::uint32_t keys_[8192];
    std::uint16_t codes_[8192];
    unsigned next_ = 258, readerNext_ = 258, width_ = 9;
    int codesSinceClear_ = 0;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
};

// A GIF file of one frame with a global map of 256 entries.
Bytes MakeGif(int width, int height, const Bytes& indices) {
    Bytes gif = {'G',
                 'I',
                 'F',
                 '8',
                 '9',
                 'a',
                 std::uint8_t(width),
                 std::uint8_t(width >> 8),
                 std::uint8_t(height),
                 std::uint8_t(height >> 8),
                 0x87,
                 0,
                 0};
    for (int i = 0; i < 256; ++i)
        gif.insert(gif.end(), {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)});
    gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, std::uint8_t(width), std::uint8_t(width >> 8),
                           std::uint8_t(height), std::uint8_t(height >> 8), 0, 8});
    LzwWriter(gif).Encode(indices);
    gif.push_back(0x3B);
    return gif;
}

constexpr int kWidth = 4000, kHeight = 3000;

const Bytes& PhotoGif() {
    static const Bytes gif = [] {
        Bytes px(std::size_t(kWidth) * kHeight);
        std::uint32_t noise = 1;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                px[std::size_t(y) * kWidth + std::size_t(x)] =
                    std::uint8_t((x >> 4) + (y >> 4) + ((noise >> 28) % 3));
            }
        return MakeGif(kWidth, kHeight, px);
    }();
    return gif;
}

const Bytes& ChartGif() {
    static const Bytes gif = [] {
        Bytes px(std::size_t(kWidth) * kHeight, 0);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (x % 200 == 0 || y % 200 == 0) px[std::size_t(y) * kWidth + std::size_t(x)] = 1;
        for (int x = 0; x < kWidth; ++x)
            for (int k = 0; k < 5; ++k) {
                const int y = (x * (k + 1) / 3 + k * 300) % kHeight;
                px[std::size_t(y) * kWidth + std::size_t(x)] = std::uint8_t(2 + k);
            }
        return MakeGif(kWidth, kHeight, px);
    }();
    return gif;
}

const Bytes& Harvesters() {
    static const Bytes gif = [] {
        std::ifstream in(std::string(CURVANA_BENCH_DATA) + "/gif/wuffs/harvesters.gif", std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    return gif;
}

void Decode(benchmark::State& state, const Bytes& gif, bool toBitmap) {
    std::int64_t pixels = 0;
    for (auto _ : state) {
        curvana::GifImage image = curvana::DecodeGif(gif);
        pixels = image.frames.at(0).width * std::int64_t(image.frames[0].height);
        if (toBitmap) {
            curvana::Bitmap b = curvana::GifToBitmap(image);
            benchmark::DoNotOptimize(b.Row(0));
        }
        benchmark::DoNotOptimize(image.frames[0].pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * pixels);
    state.counters["file_bytes"] = double(gif.size());
}

void BM_DecodeGifPhoto(benchmark::State& s) {
    Decode(s, PhotoGif(), false);
}
void BM_DecodeGifChart(benchmark::State& s) {
    Decode(s, ChartGif(), false);
}
void BM_DecodeGifHarvesters(benchmark::State& s) {
    Decode(s, Harvesters(), false);
}
void BM_GifToBitmapPhoto(benchmark::State& s) {
    Decode(s, PhotoGif(), true);
}
BENCHMARK(BM_DecodeGifPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGifChart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGifHarvesters)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifToBitmapPhoto)->Unit(benchmark::kMillisecond);

#ifdef CURVANA_BENCH_GIFLIB
struct Source {
    const Bytes* data;
    std::size_t pos;
};
int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
    auto* src = static_cast<Source*>(gif->UserData);
    const std::size_t count = std::min<std::size_t>(std::size_t(n), src->data->size() - src->pos);
    std::memcpy(out, src->data->data() + src->pos, count);
    src->pos += count;
    return int(count);
}
void Giflib(benchmark::State& state, const Bytes& data) {
    std::int64_t pixels = 0;
    for (auto _ : state) {
        Source src{&data, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&src, ReadFromMemory, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) {
            state.SkipWithError("giflib failed");
            break;
        }
        pixels = std::int64_t(gif->SavedImages[0].ImageDesc.Width) * gif->SavedImages[0].ImageDesc.Height;
        benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
        DGifCloseFile(gif, &error);
    }
    state.SetItemsProcessed(state.iterations() * pixels);
}
void BM_GiflibPhoto(benchmark::State& s) {
    Giflib(s, PhotoGif());
}
void BM_GiflibChart(benchmark::State& s) {
    Giflib(s, ChartGif());
}
void BM_GiflibHarvesters(benchmark::State& s) {
    Giflib(s, Harvesters());
}
BENCHMARK(BM_GiflibPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibChart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibHarvesters)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
