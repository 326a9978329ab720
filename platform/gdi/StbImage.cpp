// The stb_image and stb_image_write implementations, compiled once here for PNG, BMP and GIF
// (JPEG goes through libjpeg-turbo, which is sound on damaged files).
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif

#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cstdint>
#include <vector>

namespace device::gdi::stb {

// RGBA pixels of a picture in memory; empty when it is not one.
std::vector<uint8_t> Decode(const uint8_t* data, int size, int& width, int& height, long long maxPixels) {
    std::vector<uint8_t> out;
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(data, size, &w, &h, &channels)) return out;
    if (w <= 0 || h <= 0 || static_cast<long long>(w) * h > maxPixels) return out;
    stbi_uc* pixels = stbi_load_from_memory(data, size, &w, &h, &channels, 4);
    if (!pixels) return out;
    out.assign(pixels, pixels + static_cast<size_t>(w) * h * 4);
    stbi_image_free(pixels);
    width = w;
    height = h;
    return out;
}

bool WritePng(const char* path, int width, int height, const uint8_t* rgb) {
    return stbi_write_png(path, width, height, 3, rgb, width * 3) != 0;
}

} // namespace device::gdi::stb
