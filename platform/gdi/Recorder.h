#pragma once
// The call recorder: a context can log the text and shape calls made on it (the call, where, in
// which colours and font, which text), so that tests can check what was drawn where without
// reading pixels. Positions and rectangles are logical coordinates, as the caller passed them.

#include "platform/gdi/WinGdi.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace device::gdi {

struct RecordedCall {
    std::string call;          // "TextOut", "ExtTextOut", "DrawText", "LineTo", "Rectangle", ...
    POINT pos{0, 0};           // start point, or the rectangle's top-left
    RECT rect{0, 0, 0, 0};     // rectangle calls and DrawText's rectangle
    std::vector<POINT> points; // Polyline / Polygon / LineTo (from, to)
    std::wstring text;         // text calls
    COLORREF textColour = 0;
    COLORREF bkColour = 0;
    int bkMode = 0;
    COLORREF penColour = 0;
    int penStyle = 0;
    int penWidth = 0;
    COLORREF brushColour = 0;
    bool hollowBrush = false;
    int rop2 = 0;
    std::wstring fontFace;
    LONG fontHeight = 0;
    LONG fontWeight = 0;
    UINT flags = 0; // DT_* / ETO_* / raster operation
};

class CallRecorder {
public:
    void Add(RecordedCall call);
    std::vector<RecordedCall> Calls() const;
    // The calls of one kind, in order.
    std::vector<RecordedCall> Calls(const std::string& call) const;
    // The first text call that drew exactly this text; false if none.
    bool FindText(const std::wstring& text, RecordedCall& found) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<RecordedCall> m_calls;
};

// Attaches a recorder to a context (null detaches). False for a handle that is not a context.
bool SetRecorder(HDC dc, std::shared_ptr<CallRecorder> recorder);
// A recorder that every context created from now on starts with (null: none).
void SetDefaultRecorder(std::shared_ptr<CallRecorder> recorder);

} // namespace device::gdi
