// Picture files and the shell's picture loaders.
#include "platform/gdi/ImageFiles.h"

#include "platform/base/DevicePath.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/system/DeviceRoot.h"

#include <fstream>
#include <string>
#include <vector>

namespace device::gdi {

namespace stb {
std::vector<uint8_t> Decode(const uint8_t* data, int size, int& width, int& height, long long maxPixels);
bool WritePng(const char* path, int width, int height, const uint8_t* rgb);
} // namespace stb

std::unique_ptr<Bitmap> DecodeJpeg(const uint8_t* data, size_t size, long long maxPixels);

std::unique_ptr<Bitmap> DecodeImage(const uint8_t* data, size_t size) {
    if (!data || size == 0 || size > kMaxImageFileBytes) return nullptr;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) return DecodeJpeg(data, size, kMaxImagePixels);
    int w = 0, h = 0;
    std::vector<uint8_t> rgba = stb::Decode(data, static_cast<int>(size), w, h, kMaxImagePixels);
    if (rgba.empty()) return nullptr;
    auto bitmap = Bitmap::Create(w, h, PixelFormat::Xrgb32);
    if (!bitmap) return nullptr;
    for (int y = 0; y < h; ++y) {
        uint32_t* row = bitmap->Row32(y);
        const uint8_t* src = rgba.data() + static_cast<size_t>(y) * w * 4;
        for (int x = 0; x < w; ++x)
            row[x] = (src[x * 4] << 16) | (src[x * 4 + 1] << 8) | src[x * 4 + 2];
    }
    return bitmap;
}

std::unique_ptr<Bitmap> LoadImageFile(const std::filesystem::path& hostPath) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(hostPath, ec)) return nullptr;
    auto size = std::filesystem::file_size(hostPath, ec);
    if (ec || size == 0 || size > kMaxImageFileBytes) return nullptr;
    std::ifstream in(hostPath, std::ios::binary);
    if (!in) return nullptr;
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size())))
        return nullptr;
    return DecodeImage(data.data(), data.size());
}

bool WritePng(const Bitmap& bitmap, const std::filesystem::path& hostPath) {
    std::vector<uint8_t> rgb(static_cast<size_t>(bitmap.Width()) * bitmap.Height() * 3);
    size_t i = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            uint32_t c = bitmap.Get(x, y);
            rgb[i++] = (c >> 16) & 0xFF;
            rgb[i++] = (c >> 8) & 0xFF;
            rgb[i++] = c & 0xFF;
        }
    return stb::WritePng(hostPath.c_str(), bitmap.Width(), bitmap.Height(), rgb.data());
}

bool WritePng(HBITMAP handle, const std::filesystem::path& hostPath) {
    auto bitmap = FindBitmap(handle);
    return bitmap && WritePng(*bitmap->bitmap, hostPath);
}

} // namespace device::gdi

using namespace device::gdi;

static HBITMAP LoadFromDevicePath(LPCWSTR devicePath) {
    if (!devicePath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::filesystem::path host;
    DWORD error = 0;
    if (!device::DeviceToHostPath(device::FileSystemFolder(), devicePath, host, error)) {
        SetLastError(error);
        return nullptr;
    }
    std::shared_ptr<Bitmap> bitmap(LoadImageFile(host));
    if (!bitmap) {
        std::error_code ec;
        SetLastError(std::filesystem::exists(host, ec) ? ERROR_INVALID_DATA : ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return AddBitmap(bitmap, true);
}

HBITMAP SHLoadDIBitmap(LPCWSTR devicePath) {
    return LoadFromDevicePath(devicePath);
}
HBITMAP SHLoadImageFile(LPCWSTR devicePath) {
    return LoadFromDevicePath(devicePath);
}
