// A sample screen drawn with the whole API and written as a PNG screenshot
// (/tmp/jorvana-gdi-scene.png), then read back pixel for pixel.
#include "GdiTestSupport.h"

#include "platform/gdi/ImageFiles.h"

#include <cmath>
#include <filesystem>

namespace {

HFONT Font(int height, int weight, int quality = ANTIALIASED_QUALITY) {
    return CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, quality,
                       VARIABLE_PITCH | FF_SWISS, L"Arial");
}

void DrawScene(HDC dc) {
    // Page background and title.
    RECT page{0, 0, 240, 320};
    HBRUSH panel = CreateSolidBrush(RGB(230, 236, 245));
    FillRect(dc, &page, panel);
    DeleteObject(panel);
    RECT title{0, 0, 240, 26};
    HBRUSH titleBrush = CreateSolidBrush(RGB(0, 60, 140));
    FillRect(dc, &title, titleBrush);
    DeleteObject(titleBrush);
    HFONT titleFont = Font(-13, FW_BOLD);
    HGDIOBJ oldFont = SelectObject(dc, titleFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutW(dc, 6, 6, L"Jorvana", 7);

    // Map band: ocean, two continents, then the night band darkened by an AND blit.
    RECT map{0, 26, 240, 166};
    HBRUSH ocean = CreateSolidBrush(RGB(70, 130, 200));
    FillRect(dc, &map, ocean);
    DeleteObject(ocean);
    HBRUSH land = CreateSolidBrush(RGB(90, 170, 80));
    HPEN coast = CreatePen(PS_SOLID, 1, RGB(40, 90, 40));
    HGDIOBJ oldBrush = SelectObject(dc, land);
    HGDIOBJ oldPen = SelectObject(dc, coast);
    POINT americas[] = {{30, 40}, {80, 36}, {75, 90}, {60, 100}, {70, 150}, {55, 158}, {40, 110}, {22, 70}};
    POINT eurasia[] = {{110, 38}, {215, 40},  {225, 80},  {180, 100},
                       {150, 96}, {140, 140}, {120, 130}, {112, 80}};
    Polygon(dc, americas, 8);
    Polygon(dc, eurasia, 8);
    HDC shadeDc = CreateCompatibleDC(dc);
    HBITMAP shade = CreateCompatibleBitmap(dc, 240, 140);
    HGDIOBJ oldShade = SelectObject(shadeDc, shade);
    RECT all{0, 0, 240, 140};
    FillRect(shadeDc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HBRUSH night = CreateSolidBrush(RGB(110, 110, 150));
    for (int x = 0; x < 240; ++x) {
        int top = static_cast<int>(70 + 60 * std::sin((x - 40) * 3.14159 / 120));
        RECT column{x, std::max(0, top - 70), x + 1, std::min(140, top + 70)};
        if (x > 150 || x < 20) FillRect(shadeDc, &column, night);
    }
    DeleteObject(night);
    BitBlt(dc, 0, 26, 240, 140, shadeDc, 0, 0, SRCAND);
    SelectObject(shadeDc, oldShade);
    DeleteObject(shade);
    DeleteDC(shadeDc);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(land);
    DeleteObject(coast);

    // Analog clock face with hands; the second hand in not-XOR.
    HBRUSH face = CreateSolidBrush(RGB(255, 255, 240));
    oldBrush = SelectObject(dc, face);
    Ellipse(dc, 8, 176, 88, 256);
    POINT c{48, 216};
    HPEN hourPen = CreatePen(PS_SOLID, 3, RGB(20, 20, 20));
    HPEN minutePen = CreatePen(PS_SOLID, 2, RGB(20, 20, 20));
    HPEN secondPen = CreatePen(PS_SOLID, 1, RGB(200, 0, 0));
    oldPen = SelectObject(dc, hourPen);
    MoveToEx(dc, c.x, c.y, nullptr);
    LineTo(dc, c.x + 16, c.y - 18);
    SelectObject(dc, minutePen);
    MoveToEx(dc, c.x, c.y, nullptr);
    LineTo(dc, c.x + 30, c.y + 14);
    SelectObject(dc, secondPen);
    SetROP2(dc, R2_NOTXORPEN);
    MoveToEx(dc, c.x, c.y, nullptr);
    LineTo(dc, c.x - 20, c.y - 30);
    SetROP2(dc, R2_COPYPEN);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(face);
    DeleteObject(hourPen);
    DeleteObject(minutePen);
    DeleteObject(secondPen);

    // Texts: time, date, day length with U+203A, temperature with the degree sign.
    HFONT large = Font(-28, FW_BOLD);
    HFONT medium = Font(-13, FW_NORMAL);
    HFONT small = Font(-11, FW_NORMAL, DEFAULT_QUALITY);
    SelectObject(dc, large);
    SetTextColor(dc, RGB(0, 40, 100));
    TextOutW(dc, 96, 176, L"10:45", 5);
    SelectObject(dc, medium);
    SetTextColor(dc, RGB(60, 60, 60));
    TextOutW(dc, 98, 208, L"Wed 9 Dec 2026", 14);
    SelectObject(dc, small);
    SetTextColor(dc, RGB(120, 60, 0));
    TextOutW(dc, 98, 226, L"Day length\u203A8:12", 15);
    TextOutW(dc, 98, 240, L"Berlin 3\u00B0C", 10);

    // Rise&Set box: title in a rounded rectangle over a plain box.
    HPEN boxPen = CreatePen(PS_SOLID, 1, RGB(90, 90, 140));
    HBRUSH boxBrush = CreateSolidBrush(RGB(200, 210, 240));
    oldPen = SelectObject(dc, boxPen);
    oldBrush = SelectObject(dc, boxBrush);
    RoundRect(dc, 150, 256, 232, 268, 5, 5);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, 140, 266, 232, 304);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, 152, 256, L"Rise&Set", 8);
    TextOutW(dc, 150, 272, L"07:58", 5);
    TextOutW(dc, 150, 287, L"16:10", 5);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(boxPen);
    DeleteObject(boxBrush);

    // A dashed rule and a sunk edge with a centred button caption.
    HPEN dash = CreatePen(PS_DASH, 1, RGB(160, 172, 192));
    oldPen = SelectObject(dc, dash);
    MoveToEx(dc, 0, 262, nullptr);
    LineTo(dc, 136, 262);
    SelectObject(dc, oldPen);
    DeleteObject(dash);
    RECT button{10, 272, 90, 296};
    DrawEdge(dc, &button, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    SelectObject(dc, medium);
    DrawTextW(dc, L"&Forecast", -1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    // A weather icon: magenta is the key colour, stretched from 8 x 8 to 24 x 24.
    HDC iconDc = CreateCompatibleDC(dc);
    HBITMAP icon = CreateCompatibleBitmap(dc, 8, 8);
    HGDIOBJ oldIcon = SelectObject(iconDc, icon);
    RECT iconAll{0, 0, 8, 8};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(iconDc, &iconAll, magenta);
    DeleteObject(magenta);
    HBRUSH sun = CreateSolidBrush(RGB(255, 200, 0));
    HGDIOBJ oldSun = SelectObject(iconDc, sun);
    SelectObject(iconDc, GetStockObject(NULL_PEN));
    Ellipse(iconDc, 1, 1, 8, 8);
    SelectObject(iconDc, oldSun);
    DeleteObject(sun);
    TransparentBlt(dc, 206, 180, 24, 24, iconDc, 0, 0, 8, 8, RGB(255, 0, 255));
    SelectObject(iconDc, oldIcon);
    DeleteObject(icon);
    DeleteDC(iconDc);

    SelectObject(dc, oldFont);
    DeleteObject(titleFont);
    DeleteObject(large);
    DeleteObject(medium);
    DeleteObject(small);
}

TEST(Scene, SampleScreenIsWrittenAsAPngThatReadsBackTheSame) {
    gditest::Canvas screen(240, 320);
    DrawScene(screen.Dc());
    // A few landmarks of the scene.
    EXPECT_EQ(screen.At(120, 10), RGB(0, 60, 140));     // title bar
    EXPECT_EQ(screen.At(235, 300), RGB(230, 236, 245)); // page
    EXPECT_EQ(screen.At(217, 191), RGB(255, 200, 0));   // icon body, stretched
    EXPECT_NE(screen.At(207, 181), RGB(255, 0, 255));   // key colour never drawn
    EXPECT_EQ(screen.Count(RGB(255, 0, 255)), 0);
    EXPECT_EQ(screen.At(100, 100), RGB(70, 130, 200));                  // daylit ocean
    EXPECT_EQ(screen.At(235, 40), RGB(70 & 110, 130 & 110, 200 & 150)); // night ocean

    auto path = std::filesystem::temp_directory_path() / "jorvana-gdi-scene.png";
    ASSERT_TRUE(device::gdi::WritePng(screen.Bitmap(), path));
    auto back = device::gdi::LoadImageFile(path);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->Width(), 240);
    ASSERT_EQ(back->Height(), 320);
    int differences = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            differences += device::gdi::ToColorRef(back->Get(x, y)) != screen.At(x, y);
    EXPECT_EQ(differences, 0);
}

} // namespace
