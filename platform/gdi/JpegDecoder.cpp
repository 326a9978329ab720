// JPEG pictures through libjpeg-turbo, which stays sound on damaged files. A file that makes the
// decoder warn (truncated data, corrupt entropy codes) counts as not a picture.
#include "platform/gdi/Bitmap.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace device::gdi {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

void OnMessage(j_common_ptr info, int level) {
    // Warnings (level -1) are counted by the library itself; nothing is printed.
    if (level < 0) info->err->num_warnings++;
}

void OnOutput(j_common_ptr) {}

// The decoding state lives on the heap and is reached through a pointer that never changes
// after setjmp, so nothing it holds is lost by a longjmp.
struct JpegState {
    jpeg_decompress_struct info{};
    ErrorManager error{};
    std::unique_ptr<Bitmap> bitmap;
};

} // namespace

std::unique_ptr<Bitmap> DecodeJpeg(const uint8_t* data, size_t size, long long maxPixels) {
    if (!data || size < 4 || size > static_cast<size_t>(0x7FFFFFFF)) return nullptr;
    auto state = std::make_unique<JpegState>();
    JpegState* const s = state.get();
    s->info.err = jpeg_std_error(&s->error.base);
    s->error.base.error_exit = OnError;
    s->error.base.emit_message = OnMessage;
    s->error.base.output_message = OnOutput;
    if (setjmp(s->error.jump)) {
        jpeg_destroy_decompress(&s->info);
        return nullptr;
    }
    jpeg_create_decompress(&s->info);
    jpeg_mem_src(&s->info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&s->info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&s->info);
        return nullptr;
    }
    long long pixels = static_cast<long long>(s->info.image_width) * s->info.image_height;
    if (pixels <= 0 || pixels > maxPixels || s->info.image_width > static_cast<unsigned>(Bitmap::kMaxSide) ||
        s->info.image_height > static_cast<unsigned>(Bitmap::kMaxSide)) {
        jpeg_destroy_decompress(&s->info);
        return nullptr;
    }
    // B, G, R, X bytes are exactly a little-endian 0xXXRRGGBB word.
    s->info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&s->info);
    s->bitmap = Bitmap::Create(static_cast<int>(s->info.output_width), static_cast<int>(s->info.output_height),
                               PixelFormat::Xrgb32);
    if (!s->bitmap) {
        jpeg_destroy_decompress(&s->info);
        return nullptr;
    }
    while (s->info.output_scanline < s->info.output_height) {
        int y = static_cast<int>(s->info.output_scanline);
        JSAMPROW row = s->bitmap->Row(y);
        if (jpeg_read_scanlines(&s->info, &row, 1) != 1) break;
        uint32_t* words = s->bitmap->Row32(y);
        for (int x = 0; x < s->bitmap->Width(); ++x) words[x] &= 0xFFFFFF;
    }
    bool complete = s->info.output_scanline == s->info.output_height;
    if (complete) jpeg_finish_decompress(&s->info);
    bool clean = complete && s->error.base.num_warnings == 0;
    jpeg_destroy_decompress(&s->info);
    if (!clean) return nullptr;
    return std::move(s->bitmap);
}

} // namespace device::gdi
