#include "gif/GifDecoder.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "gif/GifLzw.h"

namespace curvana {

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;  // '!'
constexpr std::uint8_t kImageSeparator = 0x2C;       // ','
constexpr std::uint8_t kTrailer = 0x3B;              // ';'

constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kPlainTextLabel = 0x01;
constexpr std::uint8_t kApplicationLabel = 0xFF;

const char* const kPrematureEnd = "Premature end of data";

// Reads a file held in memory front to back. Fixed-size parts that run past the end fail.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t Position() const { return pos_; }
    void Seek(std::size_t pos) { pos_ = pos; }
    std::size_t Left() const { return data_.size() - pos_; }
    bool AtEnd() const { return pos_ >= data_.size(); }
    // The next byte without taking it, or -1 at the end.
    int Peek() const { return AtEnd() ? -1 : data_[pos_]; }

    const std::uint8_t* Take(std::size_t n) {
        if (Left() < n) throw GifError(kPrematureEnd);
        const std::uint8_t* p = data_.data() + pos_;
        pos_ += n;
        return p;
    }
    std::uint8_t Byte() { return *Take(1); }
    std::uint16_t Word() {
        const std::uint8_t* p = Take(2);
        return std::uint16_t(p[0] | (p[1] << 8));
    }

  private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

class Decoder {
  public:
    Decoder(std::span<const std::uint8_t> data, const GifWarningHandler& warn) : in_(data), warn_(warn) {}

    GifImage Run();

  private:
    void Warn(const char* text) {
        if (warn_) warn_(text);
    }
    void ReadSignature();
    void ReadScreen();
    GifColorMap ReadColorMap(std::uint8_t packed);
    void ReadFrame();
    GifExtension ReadExtension();
    void ReadSubBlocks(std::vector<std::uint8_t>& into);
    void DecodePixels(GifFrame& frame, int minCodeSize);

    Reader in_;
    const GifWarningHandler& warn_;
    GifImage image_;
    std::int64_t keptPixels_ = 0;
    std::vector<std::uint8_t> codes_;       // one frame's data sub-blocks, joined
    std::vector<std::uint8_t> interlaced_;  // an interlaced frame's rows in stream order
};

// "GIF" in any mix of cases.
bool IsSignature(const std::uint8_t* p) {
    auto upper = [](std::uint8_t c) { return (c >= 'a' && c <= 'z') ? std::uint8_t(c - 'a' + 'A') : c; };
    return upper(p[0]) == 'G' && upper(p[1]) == 'I' && upper(p[2]) == 'F';
}

void Decoder::ReadSignature() {
    // Some files carry four bytes of something else before the signature.
    const std::uint8_t* sig = in_.Take(6);
    if (!IsSignature(sig)) {
        in_.Seek(4);
        sig = in_.Take(6);
        if (!IsSignature(sig)) throw GifError("Invalid GIF signature");
    }
    image_.version.assign(reinterpret_cast<const char*>(sig) + 3, 3);
}

void Decoder::ReadScreen() {
    const std::uint8_t* d = in_.Take(7);
    image_.screenWidth = d[0] | (d[1] << 8);
    image_.screenHeight = d[2] | (d[3] << 8);
    image_.packed = d[4];
    image_.background = d[5];
    image_.aspect = d[6];
    if (std::int64_t(image_.screenWidth) * image_.screenHeight > kMaxGifPixels)
        throw GifError("Image too large");
    if (image_.packed & 0x80) image_.globalMap = ReadColorMap(image_.packed);
}

GifColorMap Decoder::ReadColorMap(std::uint8_t packed) {
    const std::size_t count = std::size_t(2) << (packed & 7);
    const std::uint8_t* p = in_.Take(3 * count);
    GifColorMap map(count);
    for (std::size_t i = 0; i < count; ++i, p += 3)
        map[i] = GifRgb{p[0], p[1], p[2]};
    return map;
}

// A run of data sub-blocks up to the zero length that ends it. Blocks cut short by the end of the
// file are taken as far as they go, with a warning.
void Decoder::ReadSubBlocks(std::vector<std::uint8_t>& into) {
    for (;;) {
        if (in_.AtEnd()) {
            Warn(kPrematureEnd);
            return;
        }
        std::size_t length = in_.Byte();
        if (length == 0) return;
        const bool cut = length > in_.Left();
        if (cut) length = in_.Left();
        const std::uint8_t* p = in_.Take(length);
        into.insert(into.end(), p, p + length);
        if (cut) {
            Warn(kPrematureEnd);
            return;
        }
    }
}

// Called only with the introducer "!" next, which the frame's extension loop has checked.
GifExtension Decoder::ReadExtension() {
    const std::uint8_t* head = in_.Take(2);
    const std::uint8_t label = head[1];
    GifExtension ext;
    switch (label) {
        case kGraphicControlLabel:
            ext.kind = GifExtensionKind::GraphicControl;
            break;
        case kCommentLabel:
            ext.kind = GifExtensionKind::Comment;
            break;
        case kPlainTextLabel:
            ext.kind = GifExtensionKind::PlainText;
            break;
        case kApplicationLabel:
            ext.kind = GifExtensionKind::Application;
            break;
        default:
            throw GifError("Unknown extension type");
    }

    switch (ext.kind) {
        case GifExtensionKind::GraphicControl: {
            // Block size, packed byte, delay, transparent index, terminator: always six bytes.
            const std::uint8_t* b = in_.Take(6);
            ext.packed = b[1];
            ext.delay = std::uint16_t(b[2] | (b[3] << 8));
            ext.transparentIndex = b[4];
            break;
        }
        case GifExtensionKind::Application: {
            if (in_.Byte() < 10) throw GifError("Unsupported Application Extension block size");
            ext.identifier.assign(reinterpret_cast<const char*>(in_.Take(11)), 11);
            if (ext.identifier == "NETSCAPE2.0") ext.kind = GifExtensionKind::Netscape;
            ReadSubBlocks(ext.data);
            break;
        }
        default:
            ReadSubBlocks(ext.data);
            break;
    }
    return ext;
}

void Decoder::ReadFrame() {
    std::vector<GifExtension> extensions;
    for (;;) {
        const int next = in_.Peek();
        if (next == kImageSeparator || next == kTrailer || next < 0) break;
        if (next != kExtensionIntroducer) {
            Warn("Invalid extension introducer");
            break;
        }
        extensions.push_back(ReadExtension());
    }

    // Extensions followed by no image are kept apart; the frame loop goes on from here.
    const int next = in_.Peek();
    if (next < 0 || next == kTrailer || next == 0) {
        for (GifExtension& ext : extensions)
            image_.looseExtensions.push_back(std::move(ext));
        return;
    }

    // The descriptor's first byte is the separator, which is not examined again.
    const std::uint8_t* d = in_.Take(10);
    GifFrame frame;
    frame.left = d[1] | (d[2] << 8);
    frame.top = d[3] | (d[4] << 8);
    frame.width = d[5] | (d[6] << 8);
    frame.height = d[7] | (d[8] << 8);
    frame.packed = d[9];
    if (frame.width == 0 || frame.height == 0) {
        frame.width = image_.screenWidth;
        frame.height = image_.screenHeight;
        Warn("Image exceeds Logical Screen size");
    }
    if (frame.packed & 0x80) frame.localMap = ReadColorMap(frame.packed);
    for (const GifExtension& ext : extensions) {
        if (ext.MarksTransparent()) {
            frame.transparent = true;
            frame.transparentIndex = ext.transparentIndex;
        }
    }
    frame.extensions = std::move(extensions);

    const int minCodeSize = in_.Byte();
    codes_.clear();
    ReadSubBlocks(codes_);

    const std::int64_t pixels = std::int64_t(frame.width) * frame.height;
    if (keptPixels_ + pixels > kMaxGifPixels) {
        if (image_.frames.empty()) throw GifError("Image too large");
        ++image_.droppedFrames;
        return;
    }
    keptPixels_ += pixels;
    DecodePixels(frame, minCodeSize);
    image_.frames.push_back(std::move(frame));
}

void Decoder::DecodePixels(GifFrame& frame, int minCodeSize) {
    const std::size_t width = std::size_t(frame.width);
    const std::size_t height = std::size_t(frame.height);
    const std::uint8_t fill = frame.transparent ? frame.transparentIndex : 0;
    frame.pixels.resize(width * height);

    // Interlaced rows arrive in four passes: every 8th row from 0, every 8th from 4, every 4th
    // from 2, every 2nd from 1. They are decoded in that order and then put in place.
    std::vector<std::uint8_t>& decoded = frame.Interlaced() ? interlaced_ : frame.pixels;
    decoded.resize(width * height);
    const LzwResult result = DecodeLzw(minCodeSize, codes_, decoded);
    if (result.end == LzwEnd::OutOfData) Warn("Decoder bit buffer under-run");
    // Pixels the data does not reach keep the fill value.
    std::fill(decoded.begin() + std::ptrdiff_t(result.written), decoded.end(), fill);

    if (!frame.Interlaced() || width == 0) return;
    static constexpr std::size_t kFirstRow[4] = {0, 4, 2, 1};
    static constexpr std::size_t kRowStep[4] = {8, 8, 4, 2};
    const std::uint8_t* src = interlaced_.data();
    for (int pass = 0; pass < 4; ++pass) {
        for (std::size_t y = kFirstRow[pass]; y < height; y += kRowStep[pass], src += width)
            std::memcpy(frame.pixels.data() + y * width, src, width);
    }
}

GifImage Decoder::Run() {
    ReadSignature();
    ReadScreen();
    for (;;) {
        while (in_.Peek() == 0)
            in_.Byte();
        const int next = in_.Peek();
        if (next < 0 || next == kTrailer) break;
        if (next != kExtensionIntroducer && next != kImageSeparator) {
            Warn("Unknown GIF block type");
            break;
        }
        ReadFrame();
    }
    if (in_.AtEnd() || in_.Byte() != kTrailer) Warn("Invalid Image trailer");
    return std::move(image_);
}

}  // namespace

GifImage DecodeGif(std::span<const std::uint8_t> data, const GifWarningHandler& warn) {
    return Decoder(data, warn).Run();
}

}  // namespace curvana
