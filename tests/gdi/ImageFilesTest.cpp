// The shell's picture loaders on valid and broken files of each format, and the PNG writer.
#include "GdiTestSupport.h"

#include "platform/gdi/ImageFiles.h"
#include "platform/system/DeviceRoot.h"
#include "support/FreshDevice.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <fstream>
#include <random>
#include <vector>

namespace {

// A 4 x 3 picture: red, green, blue, white across the top row, black below.
std::vector<uint8_t> SamplePixels() {
    std::vector<uint8_t> rgb(4 * 3 * 3, 0);
    const uint8_t top[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int x = 0; x < 4; ++x)
        for (int k = 0; k < 3; ++k)
            rgb[x * 3 + k] = top[x][k];
    return rgb;
}

void Collect(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    auto* bytes = static_cast<uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

std::vector<uint8_t> Encode(const std::string& format) {
    std::vector<uint8_t> out, rgb = SamplePixels();
    if (format == "png") stbi_write_png_to_func(Collect, &out, 4, 3, 3, rgb.data(), 12);
    if (format == "bmp") stbi_write_bmp_to_func(Collect, &out, 4, 3, 3, rgb.data());
    if (format == "jpg") stbi_write_jpg_to_func(Collect, &out, 4, 3, 3, rgb.data(), 100);
    if (format == "gif") {
        // 1 x 1, palette red/blue, pixel 0.
        out = {'G',  'I',  'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0,    0, 0,   0,
               0xFF, 0x2C, 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 0x44, 0x01, 0, 0x3B};
    }
    return out;
}

class ImageFiles : public testsupport::FreshDevice {
protected:
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        auto folder = device::FileSystemFolder() / "Program Files" / "Jorvana";
        std::filesystem::create_directories(folder);
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static COLORREF Pixel(HBITMAP bmp, int x, int y) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bmp);
        COLORREF c = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
        return c;
    }
};

TEST_F(ImageFiles, EachFormatLoadsFromADevicePath) {
    for (const char* format : {"png", "bmp", "jpg"}) {
        Write(std::string("pic.") + format, Encode(format));
        std::wstring path = L"\\Program Files\\Jorvana\\PIC." + std::wstring(format, format + 3);
        HBITMAP bmp = SHLoadDIBitmap(path.c_str());
        ASSERT_NE(bmp, nullptr) << format;
        BITMAP info;
        GetObject(bmp, sizeof(info), &info);
        EXPECT_EQ(info.bmWidth, 4);
        EXPECT_EQ(info.bmHeight, 3);
        EXPECT_EQ(info.bmBitsPixel, 32);
        EXPECT_NE(info.bmBits, nullptr); // a DIB section
        COLORREF red = Pixel(bmp, 0, 0), blue = Pixel(bmp, 2, 0), black = Pixel(bmp, 1, 2);
        // JPEG is lossy: compare loosely.
        EXPECT_GT(GetRValue(red), 200) << format;
        EXPECT_LT(GetGValue(red), 60) << format;
        EXPECT_GT(GetBValue(blue), 200) << format;
        EXPECT_LT(GetRValue(blue), 60) << format;
        EXPECT_LT(GetRValue(black) + GetGValue(black) + GetBValue(black), 90) << format;
        if (std::string(format) != "jpg") {
            EXPECT_EQ(red, RGB(255, 0, 0));
            EXPECT_EQ(Pixel(bmp, 3, 0), RGB(255, 255, 255));
        }
        DeleteObject(bmp);
    }
    Write("icon.gif", Encode("gif"));
    HBITMAP gif = SHLoadImageFile(L"\\Program Files\\Jorvana\\icon.gif");
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(Pixel(gif, 0, 0), RGB(255, 0, 0));
    DeleteObject(gif);
}

TEST_F(ImageFiles, MissingCorruptAndHostileFilesGiveNull) {
    EXPECT_EQ(SHLoadDIBitmap(L"\\Program Files\\Jorvana\\missing.jpg"), nullptr);
    EXPECT_EQ(SHLoadDIBitmap(nullptr), nullptr);
    EXPECT_EQ(SHLoadDIBitmap(L"\\bad|name.png"), nullptr);
    EXPECT_EQ(SHLoadDIBitmap(L"\\Program Files\\..\\..\\etc\\passwd"), nullptr);

    for (const char* format : {"png", "bmp", "jpg", "gif"}) {
        std::vector<uint8_t> good = Encode(format);
        std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 3));
        Write("t.img", truncated);
        EXPECT_EQ(SHLoadDIBitmap(L"\\Program Files\\Jorvana\\t.img"), nullptr) << format;
        std::vector<uint8_t> scrambled = good;
        for (size_t i = 8; i < scrambled.size(); i += 3)
            scrambled[i] ^= 0x5A;
        Write("s.img", scrambled);
        HBITMAP s = SHLoadDIBitmap(L"\\Program Files\\Jorvana\\s.img"); // null or a picture, never a crash
        if (s) DeleteObject(s);
    }
    Write("empty.jpg", {});
    EXPECT_EQ(SHLoadDIBitmap(L"\\Program Files\\Jorvana\\empty.jpg"), nullptr);
    Write("text.png", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(SHLoadImageFile(L"\\Program Files\\Jorvana\\text.png"), nullptr);
    // A BMP header claiming 100000 x 100000 pixels is refused before anything is allocated.
    std::vector<uint8_t> bmp = Encode("bmp");
    bmp[18] = 0xA0, bmp[19] = 0x86, bmp[20] = 0x01, bmp[21] = 0; // width 100000
    bmp[22] = 0xA0, bmp[23] = 0x86, bmp[24] = 0x01, bmp[25] = 0; // height 100000
    Write("huge.bmp", bmp);
    EXPECT_EQ(SHLoadDIBitmap(L"\\Program Files\\Jorvana\\huge.bmp"), nullptr);
    // A folder of that name is not a picture.
    std::filesystem::create_directories(device::FileSystemFolder() / "folder.png");
    EXPECT_EQ(SHLoadDIBitmap(L"\\folder.png"), nullptr);
}

TEST_F(ImageFiles, RandomlyDamagedPicturesDecodeOrFailCleanly) {
    std::mt19937 rng(4);
    int decoded = 0, refused = 0;
    for (const char* format : {"png", "bmp", "jpg", "gif"}) {
        const std::vector<uint8_t> good = Encode(format);
        for (int round = 0; round < 150; ++round) {
            std::vector<uint8_t> bytes = good;
            int flips = 1 + static_cast<int>(rng() % 6);
            for (int k = 0; k < flips; ++k) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
            if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
            auto bitmap = device::gdi::DecodeImage(bytes.data(), bytes.size());
            if (bitmap) {
                ++decoded;
                EXPECT_GT(bitmap->Width(), 0);
                EXPECT_LE(static_cast<long long>(bitmap->Width()) * bitmap->Height(), device::gdi::kMaxImagePixels);
            } else {
                ++refused;
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_EQ(device::gdi::DecodeImage(nullptr, 10), nullptr);
}

TEST_F(ImageFiles, PngWriterRoundTripsAndReportsFailure) {
    auto bitmap = device::gdi::Bitmap::Create(5, 2, device::gdi::PixelFormat::Xrgb32);
    for (int x = 0; x < 5; ++x) {
        bitmap->Put(x, 0, 0x102030u * static_cast<uint32_t>(x + 1));
        bitmap->Put(x, 1, 0xFFFFFFu - static_cast<uint32_t>(x));
    }
    auto path = Root() / "shot.png";
    ASSERT_TRUE(device::gdi::WritePng(*bitmap, path));
    auto back = device::gdi::LoadImageFile(path);
    ASSERT_NE(back, nullptr);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(back->Get(x, y), bitmap->Get(x, y));
    EXPECT_FALSE(device::gdi::WritePng(*bitmap, Root() / "no-such-folder" / "x.png"));
    EXPECT_FALSE(device::gdi::WritePng(static_cast<HBITMAP>(nullptr), path));
}

} // namespace
