// SPDX-License-Identifier: MIT
#include "hostimpl/raster/Codecs.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace Raster::Codecs {

namespace {

// libjpeg reports fatal errors by calling error_exit, which must not return. It jumps back to
// Guarded, whose frames in between are libjpeg's own and lambdas holding nothing to destroy.
struct ErrorTrap {
    jpeg_error_mgr mgr; // first, so libjpeg's pointer to it is a pointer to the trap
    std::jmp_buf jump;
};

[[noreturn]] void Fail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void Quiet(j_common_ptr) {}

template <class F> bool Guarded(ErrorTrap& trap, const F& step) {
    if (setjmp(trap.jump))
        return false;
    step();
    return true;
}

jpeg_error_mgr* InstallTrap(ErrorTrap& trap) {
    jpeg_error_mgr* mgr = jpeg_std_error(&trap.mgr);
    mgr->error_exit = Fail;
    mgr->output_message = Quiet; // damaged data is answered by the result, not by stderr
    return mgr;
}

struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorTrap trap{};
    ~Decompressor() { jpeg_destroy_decompress(&info); }

    // Reads the header; false when the data is not a JPEG libjpeg can read.
    bool Open(std::string_view data) {
        info.err = InstallTrap(trap);
        return Guarded(trap, [&] {
            jpeg_create_decompress(&info);
            jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()),
                         static_cast<unsigned long>(data.size()));
            jpeg_read_header(&info, TRUE);
        });
    }
};

struct Compressor {
    jpeg_compress_struct info{};
    ErrorTrap trap{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    ~Compressor() {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

bool IsCMYK(J_COLOR_SPACE space) {
    return space == JCS_CMYK || space == JCS_YCCK;
}

// In place: CMYK and RGBA pixels are both four bytes. Adobe writes CMYK inverted (0 is full
// ink); the conversion is the naive one, as there is no profile to honour here.
void CMYKToRGBA(DynamicBitmap& bitmap, bool inverted) {
    auto px = bitmap.Pixels();
    for (size_t i = 0; i < px.size(); i += 4) {
        const unsigned k = inverted ? px[i + 3] : 255u - px[i + 3];
        for (size_t c = 0; c < 3; ++c) {
            const unsigned ink = inverted ? px[i + c] : 255u - px[i + c];
            px[i + c] = uint8_t((ink * k + 127) / 255);
        }
        px[i + 3] = 255;
    }
}

// JPEG has no alpha: composite over white.
void FlattenRow(const uint8_t* rgba, uint8_t* rgb, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, rgba += 4, rgb += 3) {
        const unsigned a = rgba[3];
        for (size_t c = 0; c < 3; ++c)
            rgb[c] = uint8_t((rgba[c] * a + 255 * (255 - a) + 127) / 255);
    }
}

} // namespace

std::optional<ImageSize> ReadJPEGSize(std::string_view data) {
    Decompressor d;
    if (data.empty() || !d.Open(data))
        return std::nullopt;
    return ImageSize{d.info.image_width, d.info.image_height};
}

Foundation::Counted<DynamicBitmap> DecodeJPEG(std::string_view data) {
    Decompressor d;
    if (data.empty() || !d.Open(data) || !IsAcceptableSize(d.info.image_width, d.info.image_height))
        return nullptr;
    const bool cmyk = IsCMYK(d.info.jpeg_color_space);
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    auto bitmap = DynamicBitmap::Create(d.info.image_width, d.info.image_height);
    DynamicBitmap& target = *bitmap;
    const bool read = Guarded(d.trap, [&] {
        jpeg_start_decompress(&d.info);
        while (d.info.output_scanline < d.info.output_height) {
            JSAMPROW row = target.Row(d.info.output_scanline);
            jpeg_read_scanlines(&d.info, &row, 1);
        }
        jpeg_finish_decompress(&d.info);
    });
    if (!read)
        return nullptr;
    if (cmyk)
        CMYKToRGBA(target, d.info.saw_Adobe_marker);
    return bitmap;
}

std::optional<std::string> EncodeJPEG(const DynamicBitmap& bitmap, int quality) {
    if (!IsAcceptableSize(bitmap.Width(), bitmap.Height()))
        return std::nullopt;
    Compressor c;
    std::vector<uint8_t> row(size_t(bitmap.Width()) * 3);
    c.info.err = InstallTrap(c.trap);
    const bool written = Guarded(c.trap, [&] {
        jpeg_create_compress(&c.info);
        jpeg_mem_dest(&c.info, &c.buffer, &c.size);
        c.info.image_width = bitmap.Width();
        c.info.image_height = bitmap.Height();
        c.info.input_components = 3;
        c.info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c.info);
        jpeg_set_quality(&c.info, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
        jpeg_start_compress(&c.info, TRUE);
        while (c.info.next_scanline < c.info.image_height) {
            FlattenRow(bitmap.Row(c.info.next_scanline), row.data(), bitmap.Width());
            JSAMPROW rows = row.data();
            jpeg_write_scanlines(&c.info, &rows, 1);
        }
        jpeg_finish_compress(&c.info);
    });
    if (!written || !c.buffer)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(c.buffer), c.size);
}

} // namespace Raster::Codecs
