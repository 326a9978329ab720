// Fonts and text: font creation, TextOut, ExtTextOut, DrawText, extents and metrics. Text is laid
// out with whole-pixel advances, without kerning, so that a measured width is exactly the width
// drawn.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace device::gdi;

namespace {

int RunWidth(FontInstance& font, const wchar_t* text, size_t n) {
    int w = 0;
    for (size_t i = 0; i < n; ++i)
        w += font.Advance(static_cast<char32_t>(text[i]));
    return w;
}

// Draws a run with its cell's top-left at (x, y) in target coordinates. underlineAt lists
// character indexes to underline individually (DrawText prefixes).
void DrawRun(DeviceContext& ctx, const Region& clip, int x, int y, const wchar_t* text, size_t n,
             const int* dx, const std::vector<size_t>* underlineAt = nullptr) {
    Bitmap* bmp = ctx.Target();
    auto font = ctx.Font();
    if (!bmp || !font) return;
    const LOGFONTW& lf = ctx.state.font ? ctx.state.font->logFont : font->Request();
    uint32_t colour = bmp->Quantize(ToRgb(ctx.state.textColour));
    int baseline = y + font->Ascent();
    int width = 0;
    std::vector<int> starts(n);
    for (size_t i = 0; i < n; ++i) {
        starts[i] = width;
        width += dx ? std::clamp(dx[i], -4096, 4096) : font->Advance(static_cast<char32_t>(text[i]));
    }
    if (ctx.state.bkMode == OPAQUE)
        raster::Fill(*bmp, clip, RECT{x, y, x + width, y + font->Height()}, ToRgb(ctx.state.bkColour),
                     R2_COPYPEN);
    RECT box = clip.Box();
    for (size_t i = 0; i < n; ++i) {
        const Glyph& g = font->GetGlyph(static_cast<char32_t>(text[i]));
        int gx = x + starts[i] + g.left, gy = baseline - g.top;
        if (g.width == 0 || gx >= box.right || gx + g.width <= box.left || gy >= box.bottom ||
            gy + g.height <= box.top)
            continue;
        raster::Coverage(*bmp, clip, gx, gy, g.coverage.data(), g.width, g.height, g.width, colour);
    }
    int ul = baseline + font->UnderlinePosition();
    for (int t = 0; t < font->UnderlineThickness(); ++t) {
        if (lf.lfUnderline) raster::Span(*bmp, clip, ul + t, x, x + width, colour, R2_COPYPEN);
        if (lf.lfStrikeOut)
            raster::Span(*bmp, clip, baseline - font->StrikeoutPosition() + t, x, x + width, colour,
                         R2_COPYPEN);
        if (underlineAt)
            for (size_t i : *underlineAt)
                if (i < n) {
                    int w =
                        dx ? std::clamp(dx[i], -4096, 4096) : font->Advance(static_cast<char32_t>(text[i]));
                    raster::Span(*bmp, clip, ul + t, x + starts[i], x + starts[i] + w, colour, R2_COPYPEN);
                }
    }
}

void RecordText(DeviceContext& ctx, const char* name, int x, int y, const wchar_t* text, size_t n, UINT flags,
                const RECT* rect) {
    if (!ctx.recorder) return;
    RecordedCall c = ctx.NewRecord(name);
    c.pos = POINT{x, y};
    c.text.assign(text ? text : L"", text ? n : 0);
    c.flags = flags;
    if (rect) c.rect = *rect;
    ctx.Record(std::move(c));
}

size_t TextLength(LPCWSTR text, int count) {
    if (!text) return 0;
    if (count < 0) return std::wcslen(text);
    return static_cast<size_t>(count);
}

} // namespace

// ---- Fonts -------------------------------------------------------------------------------------

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
    if (!lf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto font = std::make_shared<FontObject>();
    font->logFont = *lf;
    font->logFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
    // A face that does not exist maps to the default face; no font file at all is a failure.
    font->instance = FontInstance::Get(font->logFont);
    if (!font->instance) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HFONT>(AddObject(font));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR face) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic != 0);
    lf.lfUnderline = static_cast<BYTE>(underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face) std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

// ---- Output ------------------------------------------------------------------------------------

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || count < 0 || (!text && count > 0)) return FALSE;
    RecordText(*ctx, "TextOut", x, y, text, static_cast<size_t>(count), 0, nullptr);
    DrawRun(*ctx, ctx->Clip(), ctx->ToX(x), ctx->ToY(y), text, static_cast<size_t>(count), nullptr);
    return TRUE;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const int* dx) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || (!text && count > 0) || count > (1u << 20)) return FALSE;
    RecordText(*ctx, "ExtTextOut", x, y, text, count, options, rect);
    Bitmap* bmp = ctx->Target();
    if (!bmp) return TRUE;
    Region clip = ctx->Clip();
    if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
        RECT r = RectNormalized(ctx->ToTarget(*rect));
        if (options & ETO_OPAQUE) raster::Fill(*bmp, clip, r, ToRgb(ctx->state.bkColour), R2_COPYPEN);
        if (options & ETO_CLIPPED) clip.IntersectRect(r);
    }
    if (count == 0) return TRUE;
    // The opaque rectangle already painted the background.
    int mode = ctx->state.bkMode;
    if (rect && (options & ETO_OPAQUE)) ctx->state.bkMode = TRANSPARENT;
    DrawRun(*ctx, clip, ctx->ToX(x), ctx->ToY(y), text, count, dx);
    ctx->state.bkMode = mode;
    return TRUE;
}

namespace {

struct Line {
    std::wstring text;
    std::vector<size_t> underline; // prefixed characters
    int width = 0;
};

// Removes "&" prefixes: "&x" underlines x, "&&" is one "&".
std::wstring StripPrefixes(const std::wstring& in, std::vector<size_t>& marks) {
    std::wstring out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == L'&' && i + 1 < in.size()) {
            ++i;
            if (in[i] != L'&') marks.push_back(out.size());
        } else if (in[i] == L'&') {
            continue;
        }
        out.push_back(in[i]);
    }
    return out;
}

void AddLine(std::vector<Line>& lines, FontInstance& font, const std::wstring& text, size_t from, size_t to,
             const std::vector<size_t>& marks) {
    Line line;
    line.text = text.substr(from, to - from);
    for (size_t m : marks)
        if (m >= from && m < to) line.underline.push_back(m - from);
    line.width = RunWidth(font, line.text.data(), line.text.size());
    lines.push_back(std::move(line));
}

// Greedy word wrap of one paragraph: breaks after spaces; a word wider than the width stays
// whole on its own line; the spaces at a break are dropped.
void WrapParagraph(std::vector<Line>& lines, FontInstance& font, const std::wstring& text,
                   const std::vector<size_t>& marks, size_t begin, size_t end, int maxWidth) {
    size_t start = begin;
    while (true) {
        if (start >= end) {
            if (start == begin) AddLine(lines, font, text, begin, end, marks);
            return;
        }
        int width = 0;
        size_t i = start, lastBreak = std::wstring::npos;
        for (; i < end; ++i) {
            if (text[i] == L' ' || text[i] == L'\t') lastBreak = i;
            int w = font.Advance(static_cast<char32_t>(text[i]));
            if (width + w > maxWidth && text[i] != L' ' && i > start) break;
            width += w;
        }
        if (i >= end) {
            AddLine(lines, font, text, start, end, marks);
            return;
        }
        size_t cut;
        if (lastBreak != std::wstring::npos && lastBreak > start) {
            cut = lastBreak;
        } else {
            // No space on the line: the word runs on to its end.
            cut = i;
            while (cut < end && text[cut] != L' ' && text[cut] != L'\t')
                ++cut;
        }
        size_t lineEnd = cut;
        while (lineEnd > start && (text[lineEnd - 1] == L' ' || text[lineEnd - 1] == L'\t'))
            --lineEnd;
        AddLine(lines, font, text, start, lineEnd, marks);
        start = cut;
        while (start < end && (text[start] == L' ' || text[start] == L'\t'))
            ++start;
        if (start >= end) return;
    }
}

// Shortens a line to fit maxWidth with "..." at its end.
void EndEllipsis(Line& line, FontInstance& font, int maxWidth) {
    if (line.width <= maxWidth) return;
    const std::wstring dots = L"...";
    int dotsWidth = RunWidth(font, dots.data(), dots.size());
    std::wstring text = line.text;
    while (!text.empty() && RunWidth(font, text.data(), text.size()) + dotsWidth > maxWidth)
        text.pop_back();
    line.text = text + dots;
    line.width = RunWidth(font, line.text.data(), line.text.size());
    std::erase_if(line.underline, [&](size_t i) { return i >= text.size(); });
}

} // namespace

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !rect || (!text && count != 0)) return 0;
    auto font = ctx->Font();
    if (!font) return 0;
    std::wstring raw(text ? text : L"", TextLength(text, count));
    // Far-out rectangles are brought within +-2^28 so that layout arithmetic cannot overflow.
    auto safe = [](LONG v) { return static_cast<LONG>(DeviceContext::Safe(v)); };
    RECT r{safe(rect->left), safe(rect->top), safe(rect->right), safe(rect->bottom)};
    int lineHeight = font->Height() + ((format & DT_EXTERNALLEADING) ? font->ExternalLeading() : 0);
    int maxWidth = r.right - r.left;

    std::vector<size_t> marks;
    std::wstring body = (format & DT_NOPREFIX) ? raw : StripPrefixes(raw, marks);
    std::vector<Line> lines;
    if (format & DT_SINGLELINE) {
        // Line breaks take no room on a single line.
        AddLine(lines, *font, body, 0, body.size(), marks);
    } else {
        size_t start = 0;
        for (size_t i = 0; i <= body.size(); ++i) {
            bool end = i == body.size();
            if (!end && body[i] != L'\n' && body[i] != L'\r') continue;
            if (format & DT_WORDBREAK)
                WrapParagraph(lines, *font, body, marks, start, i, std::max(maxWidth, 0));
            else
                AddLine(lines, *font, body, start, i, marks);
            if (!end && body[i] == L'\r' && i + 1 < body.size() && body[i + 1] == L'\n') ++i;
            start = i + 1;
        }
    }
    if (format & DT_END_ELLIPSIS)
        for (Line& line : lines)
            EndEllipsis(line, *font, std::max(maxWidth, 0));

    int textHeight =
        static_cast<int>(std::min<long long>(static_cast<long long>(lineHeight) * lines.size(), 1LL << 28));
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, line.width);
        // Word-wrapped text keeps the rectangle's width unless a word is wider.
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) widest = std::max(widest, 0);
        rect->right = r.left + widest;
        rect->bottom = r.top + textHeight;
        return textHeight;
    }

    int y = r.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = r.top + ((r.bottom - r.top) - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = r.bottom - lineHeight;
    }
    if (ctx->recorder) {
        int x0 = r.left;
        if (!lines.empty()) {
            if (format & DT_CENTER)
                x0 = r.left + (maxWidth - lines[0].width) / 2;
            else if (format & DT_RIGHT)
                x0 = r.right - lines[0].width;
        }
        RecordText(*ctx, "DrawText", x0, y, raw.data(), raw.size(), format, &r);
    }
    Region clip = ctx->Clip();
    if (!(format & DT_NOCLIP)) clip.IntersectRect(RectNormalized(ctx->ToTarget(r)));
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        int x = r.left;
        if (format & DT_CENTER)
            x = r.left + (maxWidth - line.width) / 2;
        else if (format & DT_RIGHT)
            x = r.right - line.width;
        long long lyFar = y + static_cast<long long>(i) * lineHeight;
        if (lyFar > DeviceContext::kFar) break;
        int ly = static_cast<int>(lyFar);
        DrawRun(*ctx, clip, ctx->ToX(x), ctx->ToY(ly), line.text.data(), line.text.size(), nullptr,
                &line.underline);
    }
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) return y - r.top + textHeight;
    return textHeight;
}

// ---- Measurement -------------------------------------------------------------------------------

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !size || count < 0 || (!text && count > 0)) return FALSE;
    auto font = ctx->Font();
    if (!font) return FALSE;
    size->cx = RunWidth(*font, text, static_cast<size_t>(count));
    size->cy = font->Height();
    return TRUE;
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT dx, LPSIZE size) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !size || count < 0 || (!text && count > 0)) return FALSE;
    auto font = ctx->Font();
    if (!font) return FALSE;
    int width = 0, fitted = 0;
    bool fitting = true;
    for (int i = 0; i < count; ++i) {
        width += font->Advance(static_cast<char32_t>(text[i]));
        if (dx) dx[i] = width;
        if (fitting && width <= maxExtent)
            fitted = i + 1;
        else
            fitting = false;
    }
    if (fit) *fit = fitted;
    size->cx = width;
    size->cy = font->Height();
    return TRUE;
}

BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW tm) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !tm) return FALSE;
    auto font = ctx->Font();
    if (!font) return FALSE;
    const LOGFONTW& lf = ctx->state.font ? ctx->state.font->logFont : font->Request();
    *tm = TEXTMETRICW{};
    tm->tmHeight = font->Height();
    tm->tmAscent = font->Ascent();
    tm->tmDescent = font->Descent();
    tm->tmInternalLeading = font->InternalLeading();
    tm->tmExternalLeading = font->ExternalLeading();
    tm->tmAveCharWidth = font->AveCharWidth();
    tm->tmMaxCharWidth = font->MaxCharWidth();
    tm->tmWeight = lf.lfWeight == 0 ? FW_NORMAL : lf.lfWeight;
    tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = GetScreenInfo().dpi;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFFFC;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = lf.lfItalic ? 1 : 0;
    tm->tmUnderlined = lf.lfUnderline ? 1 : 0;
    tm->tmStruckOut = lf.lfStrikeOut ? 1 : 0;
    // TMPF_FIXED_PITCH set means a variable-pitch font, as the device reports it.
    tm->tmPitchAndFamily = static_cast<BYTE>((font->FixedPitch() ? FF_MODERN : FF_SWISS) | TMPF_VECTOR |
                                             TMPF_TRUETYPE | (font->FixedPitch() ? 0 : TMPF_FIXED_PITCH));
    tm->tmCharSet = lf.lfCharSet;
    return TRUE;
}

BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, LPINT widths) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !widths || last < first || last - first > 0xFFFF) return FALSE;
    auto font = ctx->Font();
    if (!font) return FALSE;
    for (UINT i = 0; i <= last - first; ++i)
        widths[i] = font->Advance(first + i);
    return TRUE;
}

int GetTextFaceW(HDC dc, int count, LPWSTR face) {
    DeviceContext* ctx = FindDc(dc);
    if (!ctx || !ctx->state.font) return 0;
    const WCHAR* name = ctx->state.font->logFont.lfFaceName;
    int len = static_cast<int>(wcsnlen(name, LF_FACESIZE));
    if (!face) return len + 1;
    if (count <= 0) return 0;
    int n = std::min(len, count - 1);
    std::wmemcpy(face, name, n);
    face[n] = L'\0';
    return n;
}
