// Random drawing calls with random handles, coordinates and sizes: every call must return a
// defined result and stay inside its bitmaps (the sanitiser build checks the memory).
#include "GdiTestSupport.h"

#include <climits>
#include <random>
#include <vector>

namespace {

class Fuzzer {
public:
    explicit Fuzzer(unsigned seed) : m_rng(seed) {}

    int Coord() {
        switch (Pick(6)) {
        case 0:
            return INT_MIN;
        case 1:
            return INT_MAX;
        case 2:
            return Range(-100000, 100000);
        default:
            return Range(-20, 60);
        }
    }
    int Size() {
        switch (Pick(5)) {
        case 0:
            return Range(-10, 0);
        case 1:
            return Range(100000, 2000000);
        default:
            return Range(1, 50);
        }
    }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    int Range(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    COLORREF Colour() { return static_cast<COLORREF>(std::uniform_int_distribution<uint32_t>()(m_rng)); }
    template <class T> T From(const std::vector<T>& v) {
        return v[static_cast<size_t>(Pick(static_cast<int>(v.size())))];
    }
    std::wstring Text() {
        std::wstring s;
        int n = Range(0, 40);
        for (int i = 0; i < n; ++i) {
            int k = Pick(10);
            s += k == 0   ? L'&'
                 : k == 1 ? L'\n'
                 : k == 2 ? L' '
                 : k == 3 ? static_cast<wchar_t>(Range(0, 0x10FFFF))
                          : static_cast<wchar_t>(Range(0x20, 0x7E));
        }
        return s;
    }

private:
    std::mt19937 m_rng;
};

class Fuzz : public ::testing::TestWithParam<unsigned> {};

TEST_P(Fuzz, RandomCallsNeverCrashOrWriteOutOfBounds) {
    Fuzzer f(GetParam());
    std::vector<HDC> dcs;
    std::vector<HGDIOBJ> objects;
    std::vector<HBITMAP> bitmaps;
    // Live contexts over colour, monochrome, 24-bit bottom-up and surface targets.
    HDC colourDc = CreateCompatibleDC(nullptr);
    HBITMAP colour = CreateCompatibleBitmap(nullptr, 37, 23);
    SelectObject(colourDc, colour);
    HDC monoDc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateBitmap(19, 11, 1, 1, nullptr);
    SelectObject(monoDc, mono);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 13;
    bi.bmiHeader.biHeight = 7;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dibDc = CreateCompatibleDC(nullptr);
    SelectObject(dibDc, dib);
    auto surface = device::gdi::Bitmap::Create(40, 40, device::gdi::PixelFormat::Xrgb32);
    HDC surfaceDc = device::gdi::CreateDCForSurface(surface.get(), POINT{10, 10}, RECT{5, 5, 30, 35});
    HDC deadDc = CreateCompatibleDC(nullptr);
    DeleteDC(deadDc);
    dcs = {colourDc, monoDc, dibDc, surfaceDc, deadDc, nullptr, reinterpret_cast<HDC>(0x10)};
    HPEN deadPen = CreatePen(PS_SOLID, 1, 0);
    DeleteObject(deadPen);
    objects = {
        GetStockObject(BLACK_PEN),
        GetStockObject(NULL_BRUSH),
        GetStockObject(SYSTEM_FONT),
        CreatePen(PS_DASH, 1, RGB(1, 2, 3)),
        CreatePen(PS_SOLID, 3, RGB(9, 8, 7)),
        CreateSolidBrush(RGB(4, 5, 6)),
        CreatePatternBrush(mono),
        CreateRectRgn(2, 2, 9, 9),
        CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 1, 1, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, L"Arial"),
        CreateFontW(INT_MIN, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"No face"),
        CreateCompatibleBitmap(nullptr, 5, 5),
        colour,
        mono,
        dib,
        deadPen,
        nullptr};
    bitmaps = {mono, CreateBitmap(8, 8, 1, 1, nullptr), nullptr};

    auto rect = [&]() { return RECT{f.Coord(), f.Coord(), f.Coord(), f.Coord()}; };
    for (int i = 0; i < 6000; ++i) {
        HDC dc = f.From(dcs);
        HDC other = f.From(dcs);
        switch (f.Pick(24)) {
        case 0:
            SelectObject(dc, f.From(objects));
            break;
        case 1:
            MoveToEx(dc, f.Coord(), f.Coord(), nullptr);
            LineTo(dc, f.Coord(), f.Coord());
            break;
        case 2:
            Rectangle(dc, f.Coord(), f.Coord(), f.Coord(), f.Coord());
            break;
        case 3:
            Ellipse(dc, f.Coord(), f.Coord(), f.Coord(), f.Coord());
            break;
        case 4:
            RoundRect(dc, f.Coord(), f.Coord(), f.Coord(), f.Coord(), f.Coord(), f.Coord());
            break;
        case 5: {
            std::vector<POINT> pts(static_cast<size_t>(f.Range(0, 6)));
            for (POINT& p : pts)
                p = POINT{f.Coord(), f.Coord()};
            if (f.Pick(2))
                Polygon(dc, pts.data(), static_cast<int>(pts.size()));
            else
                Polyline(dc, pts.data(), static_cast<int>(pts.size()));
            break;
        }
        case 6: {
            RECT r = rect();
            FillRect(dc, &r, static_cast<HBRUSH>(f.From(objects)));
            break;
        }
        case 7: {
            RECT r = rect();
            FrameRect(dc, &r, static_cast<HBRUSH>(f.From(objects)));
            DrawFocusRect(dc, &r);
            break;
        }
        case 8: {
            RECT r = rect();
            DrawEdge(dc, &r, static_cast<UINT>(f.Pick(16)), static_cast<UINT>(f.Range(0, 0xFFFF)));
            break;
        }
        case 9:
            BitBlt(dc, f.Coord(), f.Coord(), f.Size(), f.Size(), other, f.Coord(), f.Coord(),
                   static_cast<DWORD>(f.Pick(256)) << 16);
            break;
        case 10:
            StretchBlt(dc, f.Coord(), f.Coord(), f.Size() * (f.Pick(2) ? 1 : -1), f.Size(), other, f.Coord(),
                       f.Coord(), f.Size(), f.Size() * (f.Pick(2) ? 1 : -1), SRCCOPY);
            break;
        case 11:
            TransparentBlt(dc, f.Coord(), f.Coord(), f.Size(), f.Size(), other, f.Coord(), f.Coord(),
                           f.Size(), f.Size(), f.Colour());
            break;
        case 12:
            MaskBlt(dc, f.Coord(), f.Coord(), f.Size(), f.Size(), other, f.Coord(), f.Coord(),
                    f.From(bitmaps), f.Coord(), f.Coord(), MAKEROP4(0x00AA0029, SRCCOPY));
            break;
        case 13:
            PatBlt(dc, f.Coord(), f.Coord(), f.Size(), f.Size(), static_cast<DWORD>(f.Pick(256)) << 16);
            break;
        case 14: {
            std::wstring t = f.Text();
            TextOutW(dc, f.Coord(), f.Coord(), t.c_str(), static_cast<int>(t.size()));
            break;
        }
        case 15: {
            std::wstring t = f.Text();
            RECT r = rect();
            std::vector<int> dx(t.size());
            for (int& d : dx)
                d = f.Coord();
            ExtTextOutW(dc, f.Coord(), f.Coord(), static_cast<UINT>(f.Pick(8)), f.Pick(3) ? &r : nullptr,
                        t.c_str(), static_cast<UINT>(t.size()), f.Pick(2) ? dx.data() : nullptr);
            break;
        }
        case 16: {
            std::wstring t = f.Text();
            RECT r = rect();
            DrawTextW(dc, t.c_str(), f.Pick(2) ? -1 : static_cast<int>(t.size()), &r,
                      static_cast<UINT>(f.Range(0, 0xFFFF)));
            break;
        }
        case 17: {
            SIZE s;
            std::wstring t = f.Text();
            GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &s);
            int w[4];
            UINT a = static_cast<UINT>(f.Coord());
            GetCharWidth32W(dc, a, a + 3, w);
            break;
        }
        case 18:
            IntersectClipRect(dc, f.Coord(), f.Coord(), f.Coord(), f.Coord());
            break;
        case 19:
            ExcludeClipRect(dc, f.Coord(), f.Coord(), f.Coord(), f.Coord());
            break;
        case 20:
            if (f.Pick(3) == 0)
                SelectClipRgn(dc, nullptr);
            else
                SelectClipRgn(dc, static_cast<HRGN>(f.From(objects)));
            break;
        case 21:
            SetViewportOrgEx(dc, f.Coord(), f.Coord(), nullptr);
            SetWindowOrgEx(dc, f.Pick(4) ? 0 : f.Coord(), 0, nullptr);
            break;
        case 22:
            SetROP2(dc, f.Range(-2, 20));
            SetBkMode(dc, f.Range(0, 3));
            SetTextColor(dc, f.Colour());
            SetBkColor(dc, f.Colour());
            break;
        case 23:
            if (f.Pick(2))
                SaveDC(dc);
            else
                RestoreDC(dc, f.Range(-3, 3));
            SetPixel(dc, f.Coord(), f.Coord(), f.Colour());
            GetPixel(dc, f.Coord(), f.Coord());
            break;
        }
        // Now and then put the origins back so that drawing lands on the bitmaps again.
        if (i % 50 == 0)
            for (HDC d : dcs) {
                SetViewportOrgEx(d, 0, 0, nullptr);
                SetWindowOrgEx(d, 0, 0, nullptr);
                SelectClipRgn(d, nullptr);
            }
    }
    // Everything still works afterwards.
    for (HDC d : {colourDc, monoDc, dibDc, surfaceDc})
        EXPECT_TRUE(DeleteDC(d));
    gditest::Canvas after(8, 8);
    EXPECT_EQ(SetPixel(after.Dc(), 3, 3, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(after.Dc(), 3, 3), RGB(1, 2, 3));
    EXPECT_TRUE(Rectangle(after.Dc(), 0, 0, 8, 8));
    EXPECT_EQ(after.At(7, 7), RGB(0, 0, 0));
    for (HGDIOBJ o : objects)
        DeleteObject(o);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Fuzz, ::testing::Values(20261209u, 1u, 77u, 4242u));

} // namespace
