// Drawing speed on a 240 x 320 screen: a screen of cached text, a stretched map, colour-keyed
// icons and the night-shadow AND blit.
#include "platform/gdi/WinGdi.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

struct Surface {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    Surface(int w, int h) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(nullptr, w, h);
        old = SelectObject(dc, bitmap);
        RECT r{0, 0, w, h};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Surface() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

// About 900 glyphs: 22 lines of 41 characters in a 12-pixel Arial-equivalent font.
void BM_ScreenOfText(benchmark::State& state) {
    Surface screen(240, 320);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             static_cast<DWORD>(state.range(0)), 0, L"Arial");
    HGDIOBJ old = SelectObject(screen.dc, font);
    SetBkMode(screen.dc, TRANSPARENT);
    const std::wstring line = L"Berlin 10:45 Wed 9 Dec 3\u00B0C sunrise 07:58";
    int glyphs = 0;
    for (auto _ : state) {
        glyphs = 0;
        for (int row = 0; row < 22; ++row) {
            TextOutW(screen.dc, 0, row * 14, line.c_str(), static_cast<int>(line.size()));
            glyphs += static_cast<int>(line.size());
        }
    }
    state.counters["glyphs"] = glyphs;
    SelectObject(screen.dc, old);
    DeleteObject(font);
}
BENCHMARK(BM_ScreenOfText)->Arg(DEFAULT_QUALITY)->Arg(ANTIALIASED_QUALITY)->Unit(benchmark::kMicrosecond);

void BM_StretchMap(benchmark::State& state) {
    Surface map(240, 140), screen(480, 280);
    for (auto _ : state)
        StretchBlt(screen.dc, 0, 0, 480, 280, map.dc, 0, 0, 240, 140, SRCCOPY);
}
BENCHMARK(BM_StretchMap)->Unit(benchmark::kMicrosecond);

void BM_TransparentIcons(benchmark::State& state) {
    Surface icon(32, 32), screen(240, 320);
    RECT body{4, 4, 28, 28};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    RECT all{0, 0, 32, 32};
    FillRect(icon.dc, &all, magenta);
    FillRect(icon.dc, &body, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DeleteObject(magenta);
    for (auto _ : state)
        for (int i = 0; i < 20; ++i)
            TransparentBlt(screen.dc, (i % 7) * 34, (i / 7) * 34, 32, 32, icon.dc, 0, 0, 32, 32,
                           RGB(255, 0, 255));
}
BENCHMARK(BM_TransparentIcons)->Unit(benchmark::kMicrosecond);

void BM_AndBlitShadow(benchmark::State& state) {
    Surface shade(240, 140), screen(240, 320);
    for (auto _ : state)
        BitBlt(screen.dc, 0, 0, 240, 140, shade.dc, 0, 0, SRCAND);
}
BENCHMARK(BM_AndBlitShadow)->Unit(benchmark::kMicrosecond);

// The transparent picture control's paint: a monochrome mask from the magenta background, then
// the masked blit to the screen.
void BM_TransparentPicture(benchmark::State& state) {
    Surface image(240, 140), screen(240, 320);
    HDC maskDc = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateBitmap(240, 140, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(maskDc, mask);
    SetBkColor(image.dc, RGB(255, 0, 255));
    for (auto _ : state) {
        BitBlt(maskDc, 0, 0, 240, 140, image.dc, 0, 0, SRCCOPY);
        MaskBlt(screen.dc, 0, 0, 240, 140, image.dc, 0, 0, mask, 0, 0, MAKEROP4(0x00AA0029, SRCCOPY));
    }
    SelectObject(maskDc, old);
    DeleteObject(mask);
    DeleteDC(maskDc);
}
BENCHMARK(BM_TransparentPicture)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
