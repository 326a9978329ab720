#pragma once
// Picture files: decoding BMP, JPEG, PNG and GIF (first frame) into 32-bit bitmaps, and PNG
// output for screenshots.

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/WinGdi.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace device::gdi {

// Largest picture file read, and largest picture decoded (pixels), so that a hostile file cannot
// exhaust memory.
constexpr size_t kMaxImageFileBytes = 64u << 20;
constexpr long long kMaxImagePixels = 4096LL * 4096LL;

// A top-down 32-bit bitmap of the picture; null for data that is not a supported picture.
// Transparent pixels of PNG/GIF keep their colour (alpha is dropped).
std::unique_ptr<Bitmap> DecodeImage(const uint8_t* data, size_t size);
// The same from a host file.
std::unique_ptr<Bitmap> LoadImageFile(const std::filesystem::path& hostPath);

// Writes a bitmap (any format) as an RGB PNG; false on a failing file.
bool WritePng(const Bitmap& bitmap, const std::filesystem::path& hostPath);
bool WritePng(HBITMAP bitmap, const std::filesystem::path& hostPath);

} // namespace device::gdi
