#pragma once
// Pictures held in memory (compiled resources): bitmaps and icons made straight from the bytes of
// a BMP, PNG, GIF or JPEG file, scaled to the size asked for.

#include "platform/gdi/WinGdi.h"

#include <cstddef>
#include <cstdint>

namespace device::gdi {

// The pixel size of a picture in memory; false when the data is not a picture.
bool ImageDataSize(const uint8_t* data, size_t size, int& width, int& height);

// A new bitmap (32 bits per pixel) of the picture, scaled to width x height when both are
// positive (0: the picture's own size). Null for data that is not a picture or a size out of range.
HBITMAP BitmapFromImageData(const uint8_t* data, size_t size, int width = 0, int height = 0);

// A new icon of the picture, scaled the same way. The picture's alpha channel becomes the icon's
// transparency: pixels more than half transparent are masked out, the rest blend by their alpha.
HICON IconFromImageData(const uint8_t* data, size_t size, int width = 0, int height = 0);

} // namespace device::gdi
