#include "platform/JpegReader.h"

#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

// libjpeg reports a fatal error by calling error_exit, which must not return. Ours longjmps back
// to the setjmp of the function that called into libjpeg. Those functions (ReadHeader and
// DecodeRows) own no C++ objects, and libjpeg's frames are C, so the jump skips no destructor; the
// C++ side (picture, row table, clean-up of the decompressor) lives in DecodeJpeg, above them.

namespace curvana {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;  // first, so that libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 64];
    // Set for a file whose pixel data is one Huffman-coded scan: there the decoder reports data
    // it really lacked as a separate warning, so reaching the end of the file is no failure by itself.
    bool endOfFileIsHarmless;
};

ErrorManager& Manager(j_common_ptr cinfo) {
    return *reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void ExitWithMessage(j_common_ptr cinfo, const char* text) {
    ErrorManager& err = Manager(cinfo);
    std::snprintf(err.message, sizeof err.message, "%s", text);
    std::longjmp(err.jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    ErrorManager& err = Manager(cinfo);
    if (err.pub.msg_code == JERR_NO_BACKING_STORE) {
        std::snprintf(err.message, sizeof err.message,
                      "the JPEG picture needs more than %ld MB of working memory to decode",
                      kJpegWorkingMemory >> 20);
        std::longjmp(err.jump, 1);
    }
    (*err.pub.format_message)(cinfo, err.message);
    std::longjmp(err.jump, 1);
}

// Trace messages (level 0 and up) are dropped; warnings (level -1) end decoding unless they concern
// nothing but metadata.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    ErrorManager& err = Manager(cinfo);
    switch (err.pub.msg_code) {
        case JWRN_JFIF_MAJOR:
        case JWRN_ADOBE_XFORM:
        case JWRN_BOGUS_ICC:
            ++err.pub.num_warnings;
            return;
        case JWRN_JPEG_EOF:
            if (err.endOfFileIsHarmless) {
                ++err.pub.num_warnings;
                return;
            }
            break;
        default:
            break;
    }
    ErrorExit(cinfo);
}

void OutputMessage(j_common_ptr) {}

void CheckScanCount(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kJpegMaxScans)
        ExitWithMessage(cinfo, "the JPEG file has too many scans");
}

// Reads the header and chooses the output: blue, green, red straight from libjpeg, or CMYK that
// we turn into RGB ourselves. False when libjpeg gave up; the error manager holds the reason.
bool ReadHeader(jpeg_decompress_struct* cinfo, ErrorManager* err, const std::uint8_t* data,
                std::size_t size) {
    if (setjmp(err->jump)) return false;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
    switch (cinfo->jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
            cinfo->out_color_space = JCS_EXT_BGR;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            cinfo->out_color_space = JCS_CMYK;
            break;
        default:
            ExitWithMessage(reinterpret_cast<j_common_ptr>(cinfo),
                            "the JPEG file's colour space is not supported");
    }
    err->endOfFileIsHarmless =
        !cinfo->progressive_mode && !cinfo->arith_code && cinfo->comps_in_scan == cinfo->num_components;
    jpeg_calc_output_dimensions(cinfo);
    return true;
}

// Four bytes of ink per pixel to blue, green, red. Stored without an Adobe marker, 0 means no
// ink; Adobe's files (nearly all CMYK JPEG files) store 255 for no ink. In the inverted form a
// channel is C * K / 255, rounded.
void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
    const unsigned flip = inverted ? 0 : 255;
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned k = cmyk[3] ^ flip;
        bgr[0] = std::uint8_t(((cmyk[2] ^ flip) * k + 127) / 255);
        bgr[1] = std::uint8_t(((cmyk[1] ^ flip) * k + 127) / 255);
        bgr[2] = std::uint8_t(((cmyk[0] ^ flip) * k + 127) / 255);
    }
}

// Decodes every row into the picture's rows. `cmykRow` is a row of four bytes per pixel for CMYK
// output, unused otherwise. False when libjpeg gave up.
bool DecodeRows(jpeg_decompress_struct* cinfo, ErrorManager* err, JSAMPROW* rows, JSAMPROW cmykRow) {
    if (setjmp(err->jump)) return false;
    jpeg_start_decompress(cinfo);
    const bool cmyk = cinfo->out_color_space == JCS_CMYK;
    const bool inverted = cinfo->saw_Adobe_marker;
    while (cinfo->output_scanline < cinfo->output_height) {
        JDIMENSION y = cinfo->output_scanline;
        JDIMENSION got = cmyk ? jpeg_read_scanlines(cinfo, &cmykRow, 1)
                              : jpeg_read_scanlines(cinfo, rows + y, cinfo->output_height - y);
        if (got == 0) ExitWithMessage(reinterpret_cast<j_common_ptr>(cinfo), "the JPEG file ends early");
        if (cmyk) CmykToBgr(cmykRow, rows[y], cinfo->output_width, inverted);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

struct Decompressor {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;

    Decompressor() {
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = ErrorExit;
        err.pub.emit_message = EmitMessage;
        err.pub.output_message = OutputMessage;
        err.message[0] = '\0';
        err.endOfFileIsHarmless = false;
        // jpeg_create_decompress only fails when out of memory or on a library mismatch.
        if (setjmp(err.jump)) throw JpegError(err.message);
        jpeg_create_decompress(&cinfo);
        cinfo.mem->max_memory_to_use = kJpegWorkingMemory;
        progress.progress_monitor = CheckScanCount;
        cinfo.progress = &progress;
    }
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    [[noreturn]] void Fail() const {
        throw JpegError(std::string("cannot decode the JPEG picture: ") + err.message);
    }
};

}  // namespace

Bitmap DecodeJpeg(std::span<const std::uint8_t> data) {
    auto d = std::make_unique<Decompressor>();
    if (!ReadHeader(&d->cinfo, &d->err, data.data(), data.size())) d->Fail();

    const JDIMENSION width = d->cinfo.output_width;
    const JDIMENSION height = d->cinfo.output_height;
    if (std::int64_t(width) * std::int64_t(height) > Bitmap::kMaxPixels)
        throw JpegError("the JPEG picture is too large: " + std::to_string(width) + " x " +
                        std::to_string(height) + " pixels");

    Bitmap picture;
    std::vector<JSAMPROW> rows;
    std::vector<JSAMPLE> cmykRow;
    try {
        picture = Bitmap(int(width), int(height), PixelFormat::Rgb24());
        rows.resize(height);
        if (d->cinfo.out_color_space == JCS_CMYK) cmykRow.resize(std::size_t(width) * 4);
    } catch (const std::bad_alloc&) {
        throw JpegError("not enough memory for a JPEG picture of " + std::to_string(width) + " x " +
                        std::to_string(height) + " pixels");
    }
    for (JDIMENSION y = 0; y < height; ++y)
        rows[y] = picture.Row(int(y));

    if (!DecodeRows(&d->cinfo, &d->err, rows.data(), cmykRow.data())) d->Fail();
    return picture;
}

Bitmap ReadJpegFile(const std::string& path) {
    FileBytes file;
    try {
        file = ReadFileBytes(path);
    } catch (const std::system_error& e) {
        throw JpegError(e.what());
    }
    return DecodeJpeg(file.Span());
}

}  // namespace curvana
