// The Today item's weather columns laid out for a paint, so that every temperature reads whole:
// the usual places when the texts fit them, else columns as wide as their texts.
#include "today/TodayItem.h"

#include <algorithm>
#include <cwchar>
#include <initializer_list>

namespace {

constexpr int kUsualImageX[kWeatherColumns] = {143, 176, 209};
constexpr int kUsualTextX[kWeatherColumns] = {161, 194, 226};
constexpr int kUsualPitch = 33;     // from one column's picture to the next one's
constexpr int kTextAfterImage = 18; // packed texts stand 2 pixels right of the 16-pixel picture
constexpr int kNamesRoomLeft = 40;  // the names keep at least this much room (they end in "...")
constexpr LONG kSmallestText = 9;   // the smallest font whose decimal point still shows

int TextWidth(HDC dc, LPCWSTR text) {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
    return size.cx;
}

} // namespace

void CTodayItem::PlaceWeatherColumns(HDC dc, int textShift, int clientWidth) {
    TodayWeatherColumns usual;
    for (int c = 0; c < kWeatherColumns; ++c) {
        usual.imageX[c] = m_nameShift + kUsualImageX[c];
        usual.textX[c] = m_nameShift + kUsualTextX[c];
    }
    m_columns = usual;

    // The right end of the clock texts (time, and the AM/PM label in 12-hour mode).
    int clockRight = 0;
    for (int i = 0; i < m_lineCount; ++i) {
        HGDIOBJ old = SelectObject(dc, i == 0 ? m_boldFont : m_normalFont);
        const int timeWidth = TextWidth(dc, m_lines[i].time);
        int right = textShift + (i == 0 ? 108 : 110) + timeWidth;
        if (m_twelveHour)
            right = textShift + timeWidth + (i == 0 ? 109 : 112) + TextWidth(dc, m_lines[i].ampm);
        clockRight = std::max(clockRight, right);
        SelectObject(dc, old);
    }

    // The widest high or low text of each column, in the small font or a smaller one.
    LOGFONTW small{};
    GetObjectW(m_smallFont, sizeof(small), &small);
    const LONG usualHeight = small.lfHeight < 0 ? -small.lfHeight : small.lfHeight;
    auto widths = [&](LONG height, int(&need)[kWeatherColumns]) {
        HFONT font = m_smallFont;
        if (height != usualHeight) {
            LOGFONTW lf = small;
            lf.lfHeight = small.lfHeight < 0 ? -height : height;
            font = CreateFontIndirectW(&lf);
        }
        HGDIOBJ old = SelectObject(dc, font);
        for (int c = 0; c < kWeatherColumns; ++c) {
            need[c] = 0;
            for (int i = 0; i < m_lineCount; ++i) {
                const TodayWeatherView& w = m_weather[i];
                if (!w.found || w.notYetValid || !w.image[c][0]) continue;
                need[c] = std::max({need[c], TextWidth(dc, w.high[c]), TextWidth(dc, w.low[c])});
            }
        }
        SelectObject(dc, old);
        if (font != m_smallFont) DeleteObject(font);
    };

    int need[kWeatherColumns];
    widths(usualHeight, need);
    bool usualFits = usual.imageX[0] > clockRight;
    for (int c = 0; c < kWeatherColumns; ++c) {
        const int end = c + 1 < kWeatherColumns ? usual.imageX[c + 1] - 1 : clientWidth;
        usualFits = usualFits && usual.textX[c] + need[c] <= end;
    }
    if (usualFits) return;

    // Columns as wide as their texts, a pixel apart, at the usual places' pitch where there is
    // room for it; the block ends inside the item and starts right of the clock texts, which
    // move left into the names' room as far as needed (a narrow item moves them 13 pixels).
    const int mostShift = std::max(0, textShift + 83 - kNamesRoomLeft);
    auto place = [&](bool roomy, LONG height, int& shift) {
        TodayWeatherColumns placed;
        int pitch[kWeatherColumns], total = -1; // no gap after the last column
        for (int c = 0; c < kWeatherColumns; ++c) {
            pitch[c] = kTextAfterImage + need[c] + 1;
            if (roomy && c + 1 < kWeatherColumns) pitch[c] = std::max(pitch[c], kUsualPitch);
            total += pitch[c];
        }
        const int start = std::min(usual.imageX[0], clientWidth - total);
        shift = std::max(0, clockRight + 1 - start);
        placed.textHeight = height == usualHeight ? 0 : height;
        placed.clockShift = std::min(shift, mostShift);
        placed.imageX[0] = std::max(start, clockRight - placed.clockShift + 1);
        for (int c = 0; c < kWeatherColumns; ++c) {
            if (c > 0) placed.imageX[c] = placed.imageX[c - 1] + pitch[c - 1];
            placed.textX[c] = placed.imageX[c] + kTextAfterImage;
        }
        return placed;
    };
    for (LONG height = usualHeight; height >= std::min(usualHeight, kSmallestText); --height) {
        if (height != usualHeight) widths(height, need);
        int roomyShift = 0, tightShift = 0;
        const TodayWeatherColumns roomy = place(true, height, roomyShift);
        const TodayWeatherColumns tight = place(false, height, tightShift);
        // The fewer pixels taken from the names, the better; the usual pitch where it costs none.
        m_columns = roomyShift <= tightShift ? roomy : tight;
        if (std::min(roomyShift, tightShift) <= mostShift) return;
    }
    // Nothing fits (three wide texts beside long times on a narrow item): the smallest font,
    // packed from the clock texts on, is what the last round left.
}
