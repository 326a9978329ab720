// Fonts and text: sizes, metrics, extents against drawn pixels, DrawText layout, prefixes,
// ellipsis, clipping, characters beyond ASCII and the fixed face table.
#include "GdiTestSupport.h"

#include "platform/gdi/FontEngine.h"

#include <cstring>
#include <filesystem>
#include <set>

using gditest::Canvas;
using gditest::Selected;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

HFONT MakeFont(int height, int weight = FW_NORMAL, const wchar_t* face = L"Arial",
               int quality = DEFAULT_QUALITY, bool underline = false) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH | FF_SWISS, face);
}

SIZE Extent(HDC dc, const std::wstring& s) {
    SIZE size{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size;
}

class FontScope {
public:
    FontScope(HDC dc, HFONT font) : m_dc(dc), m_font(font), m_old(SelectObject(dc, font)) {}
    ~FontScope() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_font);
    }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

TEST(Fonts, NegativeHeightIsTheEmAndPositiveTheCell) {
    Canvas c(4, 4);
    {
        FontScope f(c.Dc(), MakeFont(-12));
        TEXTMETRICW tm;
        ASSERT_TRUE(GetTextMetricsW(c.Dc(), &tm));
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 12);
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(Extent(c.Dc(), L"Ag").cy, tm.tmHeight);
    }
    for (int cell : {9, 12, 16, 30}) {
        FontScope f(c.Dc(), MakeFont(cell));
        TEXTMETRICW tm;
        GetTextMetricsW(c.Dc(), &tm);
        EXPECT_EQ(tm.tmHeight, cell);
        EXPECT_LT(tm.tmHeight - tm.tmInternalLeading, cell);
    }
}

TEST(Fonts, ExtentsAreDeterministicAndSumTheCharacterWidths) {
    Canvas c(4, 4);
    const std::wstring text = L"Hello, World 12:34 \u00B0C \u203A";
    SIZE first, second;
    {
        FontScope f(c.Dc(), MakeFont(-12));
        first = Extent(c.Dc(), text);
        int sum = 0;
        for (wchar_t ch : text) {
            int w = 0;
            GetCharWidth32W(c.Dc(), ch, ch, &w);
            sum += w;
        }
        EXPECT_EQ(first.cx, sum);
        std::vector<int> dx(text.size());
        int fit = 0;
        SIZE ex;
        GetTextExtentExPointW(c.Dc(), text.c_str(), static_cast<int>(text.size()), 40, &fit, dx.data(), &ex);
        EXPECT_EQ(ex.cx, first.cx);
        EXPECT_EQ(dx.back(), first.cx);
        ASSERT_GT(fit, 0);
        EXPECT_LE(dx[fit - 1], 40);
        EXPECT_GT(dx[fit], 40);
    }
    {
        FontScope f(c.Dc(), MakeFont(-12, FW_NORMAL, L"Arial", ANTIALIASED_QUALITY));
        second = Extent(c.Dc(), text);
    }
    EXPECT_EQ(first.cx, second.cx);
    EXPECT_EQ(first.cy, second.cy);
    // Medium weight is regular; bold is wider.
    FontScope m(c.Dc(), MakeFont(-12, FW_MEDIUM));
    EXPECT_EQ(Extent(c.Dc(), text).cx, first.cx);
    FontScope b(c.Dc(), MakeFont(-12, FW_BOLD));
    EXPECT_GT(Extent(c.Dc(), text).cx, first.cx);
}

TEST(Fonts, FacesMapToFixedFilesWhateverIsInstalled) {
    LOGFONTW lf{};
    lf.lfHeight = -12;
    const std::string tahoma = "/usr/share/wine/fonts/tahoma.ttf";
    const std::string tahomaBold = "/usr/share/wine/fonts/tahomabd.ttf";
    for (const wchar_t* face : {L"Tahoma", L"MS Sans Serif", L"System"}) {
        std::wcscpy(lf.lfFaceName, face);
        lf.lfWeight = FW_NORMAL;
        lf.lfItalic = FALSE;
        // The device's face first, Liberation when the Tahoma-metric files are missing.
        auto files = device::gdi::FontFileCandidates(lf);
        ASSERT_EQ(files.size(), 2u);
        EXPECT_EQ(files[0], tahoma);
        EXPECT_EQ(files[1], "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
        EXPECT_EQ(device::gdi::FontFileFor(lf), std::filesystem::exists(tahoma) ? tahoma : files[1]);
        lf.lfWeight = FW_BOLD;
        EXPECT_EQ(device::gdi::FontFileCandidates(lf)[0], tahomaBold);
        lf.lfItalic = TRUE;
        EXPECT_EQ(device::gdi::FontFileFor(lf),
                  "/usr/share/fonts/truetype/liberation2/LiberationSans-BoldItalic.ttf");
    }
    for (const wchar_t* face : {L"Arial", L"No Such Face", L""}) {
        std::wcscpy(lf.lfFaceName, face);
        lf.lfWeight = FW_NORMAL;
        lf.lfItalic = FALSE;
        EXPECT_EQ(device::gdi::FontFileFor(lf),
                  "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
        lf.lfWeight = FW_BOLD;
        EXPECT_EQ(device::gdi::FontFileFor(lf),
                  "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf");
        lf.lfItalic = TRUE;
        EXPECT_TRUE(std::filesystem::exists(device::gdi::FontFileFor(lf)));
    }
    // An unknown face still makes a usable font, measured like Arial.
    Canvas c(4, 4);
    SIZE arial, unknown;
    {
        FontScope f(c.Dc(), MakeFont(-11));
        arial = Extent(c.Dc(), L"Quillmoor");
    }
    {
        FontScope f(c.Dc(), MakeFont(-11, FW_NORMAL, L"Wingdings Pro Max"));
        unknown = Extent(c.Dc(), L"Quillmoor");
    }
    EXPECT_EQ(arial.cx, unknown.cx);
}

TEST(Fonts, DegreeSignAndAngleQuoteHaveRealGlyphs) {
    Canvas c(4, 4);
    FontScope f(c.Dc(), MakeFont(-12));
    int notdef = 0, degree = 0, quote = 0;
    GetCharWidth32W(c.Dc(), 0xE000, 0xE000, &notdef); // private use: the missing-glyph box
    GetCharWidth32W(c.Dc(), 0x00B0, 0x00B0, &degree);
    GetCharWidth32W(c.Dc(), 0x203A, 0x203A, &quote);
    EXPECT_GT(degree, 0);
    EXPECT_GT(quote, 0);
    EXPECT_NE(degree, notdef);
    EXPECT_NE(quote, notdef);
    Canvas d(20, 20);
    FontScope g(d.Dc(), MakeFont(-12));
    SetBkMode(d.Dc(), TRANSPARENT);
    TextOutW(d.Dc(), 2, 2, L"\u203A", 1);
    EXPECT_GT(d.Count(kBlack), 2);
}

TEST(Fonts, SmallDegreeSignIsARingNotABlock) {
    // The sizes the pages draw temperatures in, in two levels and in "Tahoma" and "Arial".
    for (const wchar_t* face : {L"Tahoma", L"Arial"})
        for (int height : {10, 11, 12, -9, -11}) {
            Canvas c(16, 16);
            FontScope f(c.Dc(), MakeFont(height, FW_NORMAL, face));
            SetBkMode(c.Dc(), TRANSPARENT);
            TextOutW(c.Dc(), 2, 1, L"\u00B0", 1);
            const RECT ink = c.InkBox(kWhite);
            ASSERT_LT(ink.left, ink.right) << height;
            bool hole = false;
            for (int y = ink.top + 1; y < ink.bottom - 1; ++y)
                for (int x = ink.left + 1; x < ink.right - 1; ++x) hole = hole || c.At(x, y) == kWhite;
            EXPECT_TRUE(hole) << "solid block at height " << height << "\n" << c.Picture(kBlack);
        }
}

TEST(TextOut, DrawnInkLiesInsideTheMeasuredExtent) {
    for (int quality : {DEFAULT_QUALITY, ANTIALIASED_QUALITY}) {
        for (const wchar_t* text : {L"Hello", L"World clock 10:45", L"MMMM", L"iiii"}) {
            Canvas c(160, 24);
            FontScope f(c.Dc(), MakeFont(-12, FW_NORMAL, L"Arial", quality));
            SetBkMode(c.Dc(), TRANSPARENT);
            SIZE s = Extent(c.Dc(), text);
            TextOutW(c.Dc(), 5, 3, text, static_cast<int>(std::wcslen(text)));
            RECT ink = c.InkBox(kWhite);
            EXPECT_GE(ink.left, 5) << quality;
            EXPECT_LE(ink.left, 5 + 2);
            EXPECT_LE(ink.right, 5 + s.cx);
            EXPECT_GE(ink.right, 5 + s.cx - 3);
            EXPECT_GE(ink.top, 3);
            EXPECT_LE(ink.bottom, 3 + s.cy);
        }
    }
}

TEST(TextOut, OpaqueModeFillsExactlyTheTextCell) {
    Canvas c(100, 30);
    FontScope f(c.Dc(), MakeFont(-12));
    SetBkColor(c.Dc(), RGB(255, 0, 0));
    SetTextColor(c.Dc(), RGB(0, 0, 255));
    SIZE s = Extent(c.Dc(), L"Opaque");
    TextOutW(c.Dc(), 10, 4, L"Opaque", 6);
    RECT ink = c.InkBox(kWhite);
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.top, 4);
    EXPECT_EQ(ink.right, 10 + s.cx);
    EXPECT_EQ(ink.bottom, 4 + s.cy);
    EXPECT_GT(c.Count(RGB(0, 0, 255)), 10);
}

TEST(TextOut, AntialiasingBlendsAndPlainTextDoesNot) {
    std::set<COLORREF> plain, smooth;
    {
        Canvas c(60, 20);
        FontScope f(c.Dc(), MakeFont(-12));
        TextOutW(c.Dc(), 1, 1, L"Sawtooth", 8);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 60; ++x)
                plain.insert(c.At(x, y));
    }
    {
        Canvas c(60, 20);
        FontScope f(c.Dc(), MakeFont(-12, FW_NORMAL, L"Arial", ANTIALIASED_QUALITY));
        TextOutW(c.Dc(), 1, 1, L"Sawtooth", 8);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 60; ++x)
                smooth.insert(c.At(x, y));
    }
    EXPECT_EQ(plain.size(), 2u);
    EXPECT_GT(smooth.size(), 4u);
}

TEST(TextOut, AntialiasedEdgesMixTextAndBackgroundChannelByChannel) {
    Canvas c(120, 20, RGB(0, 0, 255));
    FontScope f(c.Dc(), MakeFont(-13, FW_NORMAL, L"Arial", ANTIALIASED_QUALITY));
    SetBkMode(c.Dc(), TRANSPARENT);
    SetTextColor(c.Dc(), RGB(255, 0, 0));
    TextOutW(c.Dc(), 2, 2, L"Mixing WWW %@ 0123", 18);
    int mixed = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 120; ++x) {
            COLORREF p = c.At(x, y);
            // Every pixel lies on the line from blue to red: no green, red + blue = 255 (+-1).
            EXPECT_EQ(GetGValue(p), 0) << x << "," << y;
            EXPECT_NEAR(GetRValue(p) + GetBValue(p), 255, 1) << x << "," << y;
            mixed += GetRValue(p) > 10 && GetBValue(p) > 10;
        }
    EXPECT_GT(mixed, 30);
    EXPECT_GT(c.Count(RGB(255, 0, 0)), 10);
}

TEST(TextOut, UnderlinedFontDrawsALineAcrossTheExtent) {
    Canvas c(80, 20);
    FontScope f(c.Dc(), MakeFont(-12, FW_NORMAL, L"Arial", DEFAULT_QUALITY, true));
    SIZE s = Extent(c.Dc(), L"a b c");
    TextOutW(c.Dc(), 3, 2, L"a b c", 5);
    bool found = false;
    for (int y = 2; y < 2 + s.cy && !found; ++y) {
        bool full = true;
        for (int x = 3; x < 3 + s.cx; ++x)
            full &= c.At(x, y) == kBlack;
        found = full;
    }
    EXPECT_TRUE(found);
}

TEST(ExtTextOut, OpaqueRectangleAndClipping) {
    Canvas c(60, 20);
    FontScope f(c.Dc(), MakeFont(-12));
    SetBkColor(c.Dc(), RGB(0, 255, 0));
    RECT r{2, 2, 20, 14};
    ExtTextOutW(c.Dc(), 2, 2, ETO_OPAQUE | ETO_CLIPPED, &r, L"Clipped text", 12, nullptr);
    RECT ink = c.InkBox(kWhite);
    EXPECT_EQ(ink.left, 2);
    EXPECT_EQ(ink.top, 2);
    EXPECT_EQ(ink.right, 20);
    EXPECT_EQ(ink.bottom, 14);
    // No text, only the opaque rectangle: a fill.
    ExtTextOutW(c.Dc(), 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    EXPECT_EQ(c.At(10, 8), RGB(0, 255, 0));
}

TEST(DrawText, WordWrapAndCalcRectAgree) {
    Canvas c(120, 120);
    FontScope f(c.Dc(), MakeFont(-12));
    TEXTMETRICW tm;
    GetTextMetricsW(c.Dc(), &tm);
    const wchar_t* text = L"The quick brown fox jumps over the lazy dog near the river bank";
    RECT calc{10, 10, 90, 10};
    int h = DrawTextW(c.Dc(), text, -1, &calc, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(h % tm.tmHeight, 0);
    EXPECT_GE(h / tm.tmHeight, 3);
    EXPECT_EQ(calc.bottom - calc.top, h);
    EXPECT_LE(calc.right, 90);
    EXPECT_EQ(c.Count(kWhite), 120 * 120); // measuring draws nothing

    RECT draw{10, 10, 90, 10 + h};
    SetBkMode(c.Dc(), TRANSPARENT);
    EXPECT_EQ(DrawTextW(c.Dc(), text, -1, &draw, DT_WORDBREAK), h);
    RECT ink = c.InkBox(kWhite);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, calc.right);
    EXPECT_LE(ink.bottom, 10 + h);
    // The last line has ink.
    bool lastLine = false;
    for (int y = 10 + h - tm.tmHeight; y < 10 + h; ++y)
        for (int x = 10; x < 90; ++x)
            lastLine |= c.At(x, y) == kBlack;
    EXPECT_TRUE(lastLine);
}

TEST(DrawText, LineBreaksAndLongWords) {
    Canvas c(10, 10);
    FontScope f(c.Dc(), MakeFont(-12));
    TEXTMETRICW tm;
    GetTextMetricsW(c.Dc(), &tm);
    RECT r{0, 0, 200, 0};
    EXPECT_EQ(DrawTextW(c.Dc(), L"one\r\ntwo\nthree", -1, &r, DT_CALCRECT), 3 * tm.tmHeight);
    r = RECT{0, 0, 200, 0};
    EXPECT_EQ(DrawTextW(c.Dc(), L"one\r\ntwo", -1, &r, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    // A word wider than the rectangle stays whole on its line.
    SIZE word = Extent(c.Dc(), L"Supercalifragilistic");
    r = RECT{0, 0, 30, 0};
    EXPECT_EQ(DrawTextW(c.Dc(), L"Supercalifragilistic is", -1, &r, DT_CALCRECT | DT_WORDBREAK),
              2 * tm.tmHeight);
    EXPECT_EQ(r.right, word.cx);
}

TEST(DrawText, AlignmentCentresAndRightAligns) {
    Canvas c(100, 40);
    FontScope f(c.Dc(), MakeFont(-12));
    SetBkMode(c.Dc(), TRANSPARENT);
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    device::gdi::SetRecorder(c.Dc(), recorder);
    SIZE s = Extent(c.Dc(), L"Mid");
    RECT r{0, 0, 100, 40};
    DrawTextW(c.Dc(), L"Mid", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    device::gdi::RecordedCall call;
    ASSERT_TRUE(recorder->FindText(L"Mid", call));
    EXPECT_EQ(call.pos.x, (100 - s.cx) / 2);
    EXPECT_EQ(call.pos.y, (40 - s.cy) / 2);
    RECT ink = c.InkBox(kWhite);
    EXPECT_LE(std::abs((ink.left - 0) - (100 - ink.right)), 3);
    c.Fill(kWhite);
    DrawTextW(c.Dc(), L"Right", -1, &r, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    ink = c.InkBox(kWhite);
    EXPECT_LE(ink.right, 100);
    EXPECT_GE(ink.right, 97);
    EXPECT_LE(ink.bottom, 40);
    EXPECT_GE(ink.top, 40 - s.cy);
    device::gdi::SetRecorder(c.Dc(), nullptr);
}

TEST(DrawText, PrefixesUnderlineUnlessNoPrefix) {
    Canvas c(100, 20);
    FontScope f(c.Dc(), MakeFont(-12));
    RECT r{0, 0, 100, 20};
    DrawTextW(c.Dc(), L"&File", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.right, Extent(c.Dc(), L"File").cx);
    r = RECT{0, 0, 100, 20};
    DrawTextW(c.Dc(), L"&File", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.right, Extent(c.Dc(), L"&File").cx);
    r = RECT{0, 0, 100, 20};
    DrawTextW(c.Dc(), L"a&&b", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.right, Extent(c.Dc(), L"a&b").cx);

    // The underline runs under "F" only.
    r = RECT{0, 0, 100, 20};
    SetBkMode(c.Dc(), TRANSPARENT);
    DrawTextW(c.Dc(), L"&File", -1, &r, DT_SINGLELINE);
    TEXTMETRICW tm;
    GetTextMetricsW(c.Dc(), &tm);
    int fWidth = Extent(c.Dc(), L"F").cx;
    bool underlined = false;
    for (int y = tm.tmAscent; y < tm.tmHeight; ++y) {
        bool full = true;
        for (int x = 0; x < fWidth; ++x)
            full &= c.At(x, y) == kBlack;
        bool nothingAfter = true;
        for (int x = fWidth + 1; x < 60; ++x)
            nothingAfter &= c.At(x, y) == kWhite;
        underlined |= full && nothingAfter;
    }
    EXPECT_TRUE(underlined);
}

TEST(DrawText, EndEllipsisFitsAndClippingHoldsUnlessNoClip) {
    Canvas c(200, 20);
    FontScope f(c.Dc(), MakeFont(-12));
    SetBkMode(c.Dc(), TRANSPARENT);
    const wchar_t* longText = L"A very long city name that does not fit";
    RECT r{0, 0, 60, 20};
    DrawTextW(c.Dc(), longText, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    EXPECT_LE(c.InkBox(kWhite).right, 60);
    c.Fill(kWhite);
    DrawTextW(c.Dc(), longText, -1, &r, DT_SINGLELINE);
    EXPECT_LE(c.InkBox(kWhite).right, 60);
    c.Fill(kWhite);
    DrawTextW(c.Dc(), longText, -1, &r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(c.InkBox(kWhite).right, 100);
}

TEST(Recorder, TextAndShapesAreLoggedWithPositionColourAndFont) {
    Canvas c(120, 40);
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    ASSERT_TRUE(device::gdi::SetRecorder(c.Dc(), recorder));
    FontScope f(c.Dc(), MakeFont(-11, FW_BOLD, L"Tahoma"));
    SetTextColor(c.Dc(), RGB(10, 20, 30));
    SetBkMode(c.Dc(), TRANSPARENT);
    TextOutW(c.Dc(), 92, 5, L"12:30", 5);
    HPEN pen = CreatePen(PS_DASH, 1, RGB(160, 172, 192));
    {
        Selected s(c.Dc(), pen);
        MoveToEx(c.Dc(), 0, 20, nullptr);
        LineTo(c.Dc(), 120, 20);
    }
    DeleteObject(pen);
    device::gdi::RecordedCall call;
    ASSERT_TRUE(recorder->FindText(L"12:30", call));
    EXPECT_EQ(call.call, "TextOut");
    EXPECT_EQ(call.pos.x, 92);
    EXPECT_EQ(call.pos.y, 5);
    EXPECT_EQ(call.textColour, RGB(10, 20, 30));
    EXPECT_EQ(call.fontFace, L"Tahoma");
    EXPECT_EQ(call.fontHeight, -11);
    EXPECT_EQ(call.fontWeight, FW_BOLD);
    EXPECT_EQ(call.bkMode, TRANSPARENT);
    auto lines = recorder->Calls("LineTo");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].penStyle, PS_DASH);
    EXPECT_EQ(lines[0].penColour, RGB(160, 172, 192));
    EXPECT_EQ(lines[0].points[1].x, 120);
    device::gdi::SetRecorder(c.Dc(), nullptr);
    TextOutW(c.Dc(), 0, 0, L"unrecorded", 10);
    EXPECT_FALSE(recorder->FindText(L"unrecorded", call));
}

TEST(Recorder, ADefaultRecorderFollowsEveryNewContext) {
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    device::gdi::SetDefaultRecorder(recorder);
    Canvas first(10, 10), second(10, 10);
    device::gdi::SetDefaultRecorder(nullptr);
    Canvas third(10, 10);
    Rectangle(first.Dc(), 1, 2, 3, 4);
    Ellipse(second.Dc(), 0, 0, 5, 5);
    Ellipse(third.Dc(), 0, 0, 5, 5);
    // Canvas fills itself with FillRect when made; count the shapes only.
    ASSERT_EQ(recorder->Calls("Rectangle").size(), 1u);
    EXPECT_EQ(recorder->Calls("Rectangle")[0].rect.bottom, 4);
    EXPECT_EQ(recorder->Calls("Ellipse").size(), 1u);
    EXPECT_EQ(recorder->Calls("FillRect").size(), 2u);
    recorder->Clear();
    EXPECT_TRUE(recorder->Calls().empty());
}

} // namespace
