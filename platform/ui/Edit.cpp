// The EDIT class: single-line and multi-line text fields with a caret, a selection made by stylus
// or keys, one level of undo, the clipboard, and the parent told of every change of text
// (EN_UPDATE, then EN_CHANGE), whether typed or set by the program. Handlers of those
// notifications may change this field's text again, or another's, or destroy it: no lock is held
// while the parent is told, and the state lives as long as the code that uses it.
//
// [SECTION] State
// [SECTION] Measuring and layout
// [SECTION] Changing the text
// [SECTION] Caret, selection and scrolling
// [SECTION] Painting
// [SECTION] Window procedure

#include "platform/ui/Controls.h"
#include "platform/ui/SipPref.h"
#include "platform/base/CaseFold.h"

#include <algorithm>
#include <cwctype>

using namespace device::ui;
using namespace device::ui::controls;

namespace {

// [SECTION] State ------------------------------------------------------------------------------

constexpr size_t kDefaultLimit = 30000;
constexpr size_t kLargestLimit = 0x7FFFFFFE;
constexpr int kMarginX = 2;
constexpr int kMarginY = 1;

struct Line {
    size_t start = 0;
    size_t length = 0;  // without the line break
};

struct EditState {
    std::wstring text;
    HFONT font = nullptr;
    size_t anchor = 0;  // the selection runs from anchor to caret
    size_t caret = 0;
    size_t limit = kDefaultLimit;
    bool modified = false;
    bool canUndo = false;
    std::wstring undoText;
    size_t undoCaret = 0;
    bool typingRun = false;  // the last change was typing that ended at the caret
    int scrollX = 0;         // pixels scrolled off to the left
    size_t firstLine = 0;    // multi-line: the top visible line
    bool focus = false;
    bool tracking = false;
    bool created = false;
    WCHAR passwordChar = L'*';
    int leftMargin = kMarginX; // pixels between the border and the text
    int rightMargin = kMarginX;
    std::vector<Line> lines;  // multi-line layout; empty: to be made
    int lineHeight = 0;
};

StateTable<EditState>& States() {
    static StateTable<EditState> table;
    return table;
}

size_t SelStart(const EditState& st) { return std::min(st.anchor, st.caret); }
size_t SelEnd(const EditState& st) { return std::max(st.anchor, st.caret); }
bool Multi(DWORD style) { return (style & ES_MULTILINE) != 0; }

// [SECTION] Measuring and layout ----------------------------------------------------------------

// A context of the field's window with its font selected, for measuring.
class Measure {
public:
    Measure(HWND hwnd, HFONT font) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {
        if (m_dc && font) m_old = SelectObject(m_dc, font);
    }
    ~Measure() {
        if (!m_dc) return;
        if (m_old) SelectObject(m_dc, m_old);
        ReleaseDC(m_hwnd, m_dc);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;
    int Width(const wchar_t* text, size_t count) const {
        if (!m_dc || count == 0) return 0;
        SIZE size{0, 0};
        GetTextExtentPoint32W(m_dc, text, static_cast<int>(count), &size);
        return size.cx;
    }
    int Height() const {
        TEXTMETRICW tm{};
        if (m_dc && GetTextMetricsW(m_dc, &tm) && tm.tmHeight > 0) return tm.tmHeight;
        return 13;
    }
    // The character boundary nearest to x (pixels from the start of text).
    size_t IndexAt(const wchar_t* text, size_t count, int x) const {
        if (!m_dc || count == 0 || x <= 0) return 0;
        std::vector<int> extents(count);
        SIZE size{0, 0};
        int fit = 0;
        GetTextExtentExPointW(m_dc, text, static_cast<int>(count), 0x7FFFFFFF, &fit, extents.data(), &size);
        int previous = 0;
        for (size_t i = 0; i < count; ++i) {
            if (x < extents[i]) return (x - previous) * 2 < (extents[i] - previous) ? i : i + 1;
            previous = extents[i];
        }
        return count;
    }

private:
    HWND m_hwnd;
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

RECT FormatRect(HWND hwnd, const EditState& st) {
    RECT r;
    GetClientRect(hwnd, &r);
    r.left += st.leftMargin;
    r.right = std::max(r.left, r.right - st.rightMargin);
    r.top += kMarginY;
    r.bottom = std::max(r.top, r.bottom - kMarginY);
    return r;
}

// What is shown of the text: the password character stands in for every character.
std::wstring Shown(HWND hwnd, const EditState& st) {
    if ((StyleOf(hwnd) & ES_PASSWORD) && !Multi(StyleOf(hwnd)) && st.passwordChar)
        return std::wstring(st.text.size(), st.passwordChar);
    return st.text;
}

// Splits a multi-line text into lines at its breaks ("\r\n", or a lone "\r" or "\n") and, unless
// it scrolls sideways, wraps words at the format width.
void Layout(HWND hwnd, EditState& st, const Measure& m) {
    st.lines.clear();
    st.lineHeight = m.Height();
    DWORD style = StyleOf(hwnd);
    RECT fr = FormatRect(hwnd, st);
    int width = fr.right - fr.left;
    bool wrap = Multi(style) && !(style & ES_AUTOHSCROLL) && width > 0;
    const std::wstring& t = st.text;
    size_t pos = 0;
    while (true) {
        size_t br = Multi(style) ? t.find_first_of(L"\r\n", pos) : std::wstring::npos;
        size_t end = br == std::wstring::npos ? t.size() : br;
        // Wrap [pos, end) into lines no wider than the format rectangle.
        size_t start = pos;
        while (wrap && end - start > 0 && m.Width(t.data() + start, end - start) > width) {
            size_t fit = m.IndexAt(t.data() + start, end - start, width);
            // IndexAt rounds to the nearest boundary; step back until the piece fits.
            while (fit > 0 && m.Width(t.data() + start, fit) > width) --fit;
            if (fit == 0) fit = 1;
            size_t cut = fit;
            // Break after the last space that fits, when there is one.
            for (size_t k = fit; k > 0; --k)
                if (t[start + k - 1] == L' ') {
                    cut = k;
                    break;
                }
            st.lines.push_back(Line{start, cut});
            start += cut;
        }
        st.lines.push_back(Line{start, end - start});
        if (br == std::wstring::npos) break;
        pos = br + ((t[br] == L'\r' && br + 1 < t.size() && t[br + 1] == L'\n') ? 2 : 1);
    }
}

void EnsureLayout(HWND hwnd, EditState& st, const Measure& m) {
    if (st.lines.empty()) Layout(hwnd, st, m);
}

size_t LineOf(const EditState& st, size_t index) {
    size_t line = 0;
    for (size_t i = 0; i < st.lines.size(); ++i)
        if (st.lines[i].start <= index) line = i;
    return line;
}

int AlignOffset(DWORD style, int textWidth, int formatWidth) {
    if (textWidth >= formatWidth) return 0;
    if ((style & 3) == ES_CENTER) return (formatWidth - textWidth) / 2;
    if ((style & 3) == ES_RIGHT) return formatWidth - textWidth - 1;
    return 0;
}

// Client position of the boundary before character index (its line's top).
POINT PosOf(HWND hwnd, EditState& st, const Measure& m, size_t index) {
    DWORD style = StyleOf(hwnd);
    RECT fr = FormatRect(hwnd, st);
    int fw = fr.right - fr.left;
    std::wstring shown = Shown(hwnd, st);
    EnsureLayout(hwnd, st, m);
    index = std::min(index, shown.size());
    size_t line = LineOf(st, index);
    const Line& l = st.lines[line];
    size_t inLine = std::min(index - l.start, l.length);
    int lineWidth = m.Width(shown.data() + l.start, l.length);
    int x = fr.left + AlignOffset(style, lineWidth, fw) + m.Width(shown.data() + l.start, inLine) - st.scrollX;
    int row = static_cast<int>(line) - static_cast<int>(st.firstLine);
    return POINT{x, fr.top + row * st.lineHeight};
}

// The character boundary under a client point.
size_t IndexAtPoint(HWND hwnd, EditState& st, const Measure& m, POINT pt) {
    DWORD style = StyleOf(hwnd);
    RECT fr = FormatRect(hwnd, st);
    std::wstring shown = Shown(hwnd, st);
    EnsureLayout(hwnd, st, m);
    int row = st.lineHeight > 0 ? (pt.y - fr.top) / st.lineHeight : 0;
    if (pt.y < fr.top) row = -1;
    long long line = static_cast<long long>(st.firstLine) + row;
    line = std::clamp<long long>(line, 0, static_cast<long long>(st.lines.size()) - 1);
    const Line& l = st.lines[static_cast<size_t>(line)];
    int lineWidth = m.Width(shown.data() + l.start, l.length);
    int x = pt.x - fr.left - AlignOffset(style, lineWidth, fr.right - fr.left) + st.scrollX;
    return l.start + m.IndexAt(shown.data() + l.start, l.length, x);
}

// [SECTION] Caret, selection and scrolling ------------------------------------------------------

void PlaceCaret(HWND hwnd, EditState& st, const Measure& m) {
    if (!st.focus) return;
    POINT p = PosOf(hwnd, st, m, st.caret);
    SetCaretPos(p.x, p.y);
}

// Scrolls so that the caret shows; true when the view moved.
bool ScrollToCaret(HWND hwnd, EditState& st, const Measure& m) {
    DWORD style = StyleOf(hwnd);
    RECT fr = FormatRect(hwnd, st);
    int fw = fr.right - fr.left;
    bool moved = false;
    EnsureLayout(hwnd, st, m);
    if (Multi(style)) {
        size_t line = LineOf(st, st.caret);
        size_t visible = st.lineHeight > 0 ? std::max<size_t>(1, static_cast<size_t>((fr.bottom - fr.top) / st.lineHeight)) : 1;
        size_t first = st.firstLine;
        if (line < first) first = line;
        else if (line >= first + visible) first = line - visible + 1;
        if (first != st.firstLine) {
            st.firstLine = first;
            moved = true;
        }
    }
    std::wstring shown = Shown(hwnd, st);
    const Line& l = st.lines[LineOf(st, st.caret)];
    int lineWidth = m.Width(shown.data() + l.start, l.length);
    int x = AlignOffset(style, lineWidth, fw) + m.Width(shown.data() + l.start, std::min(st.caret - l.start, l.length));
    int scroll = st.scrollX;
    bool sideways = Multi(style) ? (style & ES_AUTOHSCROLL) != 0 : true;
    if (!sideways || lineWidth < fw) scroll = 0;
    else if (x - scroll < 0) scroll = std::max(0, x - fw / 4);
    else if (x - scroll > fw - 1) scroll = x - (fw - 1) + fw / 4;
    if (scroll != st.scrollX) {
        st.scrollX = scroll;
        moved = true;
    }
    return moved;
}

void Refresh(HWND hwnd, EditState& st) {
    Measure m(hwnd, st.font);
    ScrollToCaret(hwnd, st, m);
    PlaceCaret(hwnd, st, m);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void SetSelection(HWND hwnd, EditState& st, size_t anchor, size_t caret) {
    anchor = std::min(anchor, st.text.size());
    caret = std::min(caret, st.text.size());
    // Never between the two characters of a line break.
    auto fix = [&](size_t& i) {
        if (i > 0 && i < st.text.size() && st.text[i - 1] == L'\r' && st.text[i] == L'\n') --i;
    };
    fix(anchor);
    fix(caret);
    if (anchor == st.anchor && caret == st.caret) return;
    st.anchor = anchor;
    st.caret = caret;
    st.typingRun = false;
    Refresh(hwnd, st);
}

void ShowCaretFor(HWND hwnd, EditState& st) {
    Measure m(hwnd, st.font);
    EnsureLayout(hwnd, st, m);
    CreateCaret(hwnd, nullptr, 1, st.lineHeight > 0 ? st.lineHeight : m.Height());
    PlaceCaret(hwnd, st, m);
    ShowCaret(hwnd);
}

// [SECTION] Changing the text -------------------------------------------------------------------

enum class Change {
    Typing,   // a character typed: consecutive typing undoes as one
    User,     // paste, cut, clear, delete: undoable, marks the field modified
    Replace,  // EM_REPLACESEL: undoable when asked
    Replace0, // EM_REPLACESEL without undo
    SetText,  // WM_SETTEXT: the whole text, no undo, not a modification, no limit
};

// Tells the parent of a change; false when the field is gone afterwards.
bool NotifyChange(HWND hwnd, bool maxText) {
    NotifyParent(hwnd, EN_UPDATE);
    if (!IsWindow(hwnd)) return false;
    NotifyParent(hwnd, EN_CHANGE);
    if (!IsWindow(hwnd)) return false;
    if (maxText) NotifyParent(hwnd, EN_MAXTEXT);
    return IsWindow(hwnd) != FALSE;
}

std::wstring ApplyCase(DWORD style, std::wstring text) {
    if (style & ES_UPPERCASE) text = device::ToUpper(text);
    else if (style & ES_LOWERCASE) text = device::ToLower(text);
    return text;
}

// Replaces the selection (or, for SetText, everything) with insert. Returns false when nothing
// changed (the parent then hears EN_MAXTEXT if the limit stopped it).
bool ReplaceSelection(HWND hwnd, const std::shared_ptr<EditState>& sp, std::wstring insert, Change kind) {
    EditState& st = *sp;
    DWORD style = StyleOf(hwnd);
    size_t start = kind == Change::SetText ? 0 : SelStart(st);
    size_t end = kind == Change::SetText ? st.text.size() : SelEnd(st);
    bool truncated = false;
    if (kind != Change::SetText) {
        insert = ApplyCase(style, std::move(insert));
        size_t kept = st.text.size() - (end - start);
        size_t room = st.limit > kept ? st.limit - kept : 0;
        if (insert.size() > room) {
            insert.resize(room);
            truncated = true;
        }
        // A single-line field without sideways scrolling takes only what fits its width.
        if (!Multi(style) && !(style & ES_AUTOHSCROLL) && !insert.empty()) {
            Measure m(hwnd, st.font);
            RECT fr = FormatRect(hwnd, st);
            std::wstring candidate = st.text.substr(0, start) + insert + st.text.substr(end);
            while (!insert.empty() && m.Width(candidate.data(), candidate.size()) > fr.right - fr.left - 1) {
                insert.pop_back();
                candidate = st.text.substr(0, start) + insert + st.text.substr(end);
                truncated = true;
            }
        }
        if (insert.empty() && start == end) {
            if (truncated) NotifyParent(hwnd, EN_MAXTEXT);
            return false;
        }
    }
    // Undo keeps the text as it was before this change (or before the run of typing it continues).
    if (kind == Change::SetText) {
        st.canUndo = false;
        st.undoText.clear();
        st.typingRun = false;
    } else if (kind != Change::Replace0) {
        bool continues = kind == Change::Typing && st.typingRun && st.canUndo && start == end;
        if (!continues) {
            st.undoText = st.text;
            st.undoCaret = st.caret;
            st.canUndo = true;
        }
        st.typingRun = kind == Change::Typing;
    } else {
        st.typingRun = false;
    }
    st.text.replace(start, end - start, insert);
    st.caret = st.anchor = kind == Change::SetText ? 0 : start + insert.size();
    if (kind == Change::SetText) {
        st.modified = false;
        st.scrollX = 0;
        st.firstLine = 0;
    } else {
        st.modified = true;
    }
    st.lines.clear();
    DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(st.text.c_str()));
    Refresh(hwnd, st);
    if (!st.created) return true;
    NotifyChange(hwnd, truncated);
    return true;
}

bool Undo(HWND hwnd, const std::shared_ptr<EditState>& sp) {
    EditState& st = *sp;
    if (!st.canUndo) return false;
    std::wstring before = st.text;
    size_t caret = st.caret;
    st.text.swap(st.undoText);
    st.undoText = before;
    st.caret = st.anchor = std::min(st.undoCaret, st.text.size());
    st.undoCaret = caret;
    st.typingRun = false;
    st.modified = true;
    st.lines.clear();
    DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(st.text.c_str()));
    Refresh(hwnd, st);
    NotifyChange(hwnd, false);
    return true;
}

bool ReadOnly(HWND hwnd) { return (StyleOf(hwnd) & ES_READONLY) != 0; }

void Copy(HWND hwnd, const EditState& st) {
    if (SelStart(st) == SelEnd(st) || (StyleOf(hwnd) & ES_PASSWORD)) return;
    SetClipboardText(hwnd, st.text.substr(SelStart(st), SelEnd(st) - SelStart(st)));
}

void Paste(HWND hwnd, const std::shared_ptr<EditState>& sp) {
    if (ReadOnly(hwnd)) return;
    std::wstring text;
    if (!GetClipboardText(text)) return;
    if (!Multi(StyleOf(hwnd))) {
        size_t br = text.find_first_of(L"\r\n");
        if (br != std::wstring::npos) text.resize(br);
    }
    ReplaceSelection(hwnd, sp, text, Change::User);
}

void DeleteSelection(HWND hwnd, const std::shared_ptr<EditState>& sp) {
    if (ReadOnly(hwnd) || SelStart(*sp) == SelEnd(*sp)) return;
    ReplaceSelection(hwnd, sp, L"", Change::User);
}

// Length of the character (or line break) just before / at index.
size_t StepBack(const EditState& st, size_t index) {
    if (index == 0) return 0;
    if (index >= 2 && st.text[index - 2] == L'\r' && st.text[index - 1] == L'\n') return 2;
    return 1;
}
size_t StepForward(const EditState& st, size_t index) {
    if (index >= st.text.size()) return 0;
    if (index + 1 < st.text.size() && st.text[index] == L'\r' && st.text[index + 1] == L'\n') return 2;
    return 1;
}

void TypeChar(HWND hwnd, const std::shared_ptr<EditState>& sp, WCHAR ch) {
    EditState& st = *sp;
    DWORD style = StyleOf(hwnd);
    switch (ch) {
    case 0x01: SetSelection(hwnd, st, 0, st.text.size()); return;  // Ctrl+A
    case 0x03: Copy(hwnd, st); return;                               // Ctrl+C
    case 0x16: Paste(hwnd, sp); return;                              // Ctrl+V
    case 0x18:                                                       // Ctrl+X
        Copy(hwnd, st);
        DeleteSelection(hwnd, sp);
        return;
    case 0x1A: Undo(hwnd, sp); return;  // Ctrl+Z
    default: break;
    }
    if (ReadOnly(hwnd)) {
        if (ch >= 0x20 || ch == L'\b') MessageBeep(MB_OK);
        return;
    }
    if (ch == L'\b') {
        if (SelStart(st) == SelEnd(st)) {
            size_t n = StepBack(st, st.caret);
            if (n == 0) return;
            st.anchor = st.caret - n;
        }
        ReplaceSelection(hwnd, sp, L"", Change::User);
        return;
    }
    if (ch == L'\r' || ch == L'\n') {
        if (Multi(style)) ReplaceSelection(hwnd, sp, L"\r\n", Change::Typing);
        return;
    }
    if (ch < 0x20) return;  // other control characters type nothing
    if ((style & ES_NUMBER) && !(ch >= L'0' && ch <= L'9')) {
        MessageBeep(MB_OK);
        return;
    }
    ReplaceSelection(hwnd, sp, std::wstring(1, ch), Change::Typing);
}

void MoveKey(HWND hwnd, const std::shared_ptr<EditState>& sp, UINT vk) {
    EditState& st = *sp;
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    DWORD style = StyleOf(hwnd);
    size_t caret = st.caret;
    Measure m(hwnd, st.font);
    EnsureLayout(hwnd, st, m);
    switch (vk) {
    case VK_LEFT:
        if (!shift && SelStart(st) != SelEnd(st)) caret = SelStart(st);
        else caret -= StepBack(st, caret);
        break;
    case VK_RIGHT:
        if (!shift && SelStart(st) != SelEnd(st)) caret = SelEnd(st);
        else caret += StepForward(st, caret);
        break;
    case VK_HOME: caret = Multi(style) ? st.lines[LineOf(st, caret)].start : 0; break;
    case VK_END: {
        const Line& l = st.lines[LineOf(st, caret)];
        caret = Multi(style) ? l.start + l.length : st.text.size();
        break;
    }
    case VK_UP:
    case VK_DOWN: {
        if (!Multi(style)) {
            caret = vk == VK_UP ? caret - StepBack(st, caret) : caret + StepForward(st, caret);
            break;
        }
        POINT p = PosOf(hwnd, st, m, caret);
        p.y += vk == VK_UP ? -st.lineHeight : st.lineHeight;
        size_t line = LineOf(st, caret);
        if ((vk == VK_UP && line == 0) || (vk == VK_DOWN && line + 1 >= st.lines.size())) break;
        // Keep the view from moving while the point is resolved, then let the caret pull it.
        if (vk == VK_UP && line == st.firstLine) {
            --st.firstLine;
            p.y += st.lineHeight;
        }
        caret = IndexAtPoint(hwnd, st, m, p);
        break;
    }
    default: return;
    }
    SetSelection(hwnd, st, shift ? st.anchor : caret, caret);
}

// [SECTION] Painting ---------------------------------------------------------------------------

void DrawRun(HDC dc, int x, int y, const std::wstring& s, size_t from, size_t to, int& advance) {
    if (to <= from) return;
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, s.data() + from, static_cast<int>(to - from), &size);
    TextOutW(dc, x, y, s.data() + from, static_cast<int>(to - from));
    advance = size.cx;
}

void PaintEdit(HWND hwnd, HDC dc, EditState& st) {
    DWORD style = StyleOf(hwnd);
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = ControlColours(hwnd, dc, (!enabled || (style & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    if (brush) FillRect(dc, &client, brush);
    COLORREF textColour = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    HGDIOBJ oldFont = st.font ? SelectObject(dc, st.font) : nullptr;
    {
        Measure m(hwnd, st.font);
        EnsureLayout(hwnd, st, m);
    }
    RECT fr = FormatRect(hwnd, st);
    int fw = fr.right - fr.left;
    std::wstring shown = Shown(hwnd, st);
    size_t selStart = SelStart(st), selEnd = SelEnd(st);
    bool showSel = selStart != selEnd && (st.focus || (style & ES_NOHIDESEL));
    SetBkMode(dc, TRANSPARENT);
    HRGN clip = CreateRectRgn(fr.left, fr.top, fr.right, fr.bottom);
    SaveDC(dc);
    ExtSelectClipRgn(dc, clip, RGN_AND);
    DeleteObject(clip);
    for (size_t i = st.firstLine; i < st.lines.size(); ++i) {
        int y = fr.top + static_cast<int>(i - st.firstLine) * st.lineHeight;
        if (y >= fr.bottom) break;
        const Line& l = st.lines[i];
        SIZE lineSize{0, 0};
        GetTextExtentPoint32W(dc, shown.data() + l.start, static_cast<int>(l.length), &lineSize);
        int x = fr.left + AlignOffset(style, lineSize.cx, fw) - st.scrollX;
        size_t a = l.start, e = l.start + l.length;
        size_t s0 = showSel ? std::clamp(selStart, a, e) : e;
        size_t s1 = showSel ? std::clamp(selEnd, a, e) : e;
        int adv = 0;
        SetTextColor(dc, textColour);
        DrawRun(dc, x, y, shown, a, s0, adv);
        x += adv;
        adv = 0;
        if (s1 > s0) {
            SIZE selSize{0, 0};
            GetTextExtentPoint32W(dc, shown.data() + s0, static_cast<int>(s1 - s0), &selSize);
            RECT band{x, y, x + selSize.cx, y + st.lineHeight};
            FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            DrawRun(dc, x, y, shown, s0, s1, adv);
            x += adv;
            adv = 0;
            SetTextColor(dc, textColour);
        }
        DrawRun(dc, x, y, shown, s1, e, adv);
    }
    RestoreDC(dc, -1);
    if (oldFont) SelectObject(dc, oldFont);
    RECT caret;
    if (VisibleCaretRect(hwnd, caret)) PatBlt(dc, caret.left, caret.top, caret.right - caret.left, caret.bottom - caret.top, DSTINVERT);
}

// [SECTION] Window procedure -------------------------------------------------------------------

LRESULT LineMessage(HWND hwnd, EditState& st, UINT msg, WPARAM wParam, LPARAM lParam) {
    Measure m(hwnd, st.font);
    EnsureLayout(hwnd, st, m);
    auto lineCount = static_cast<LRESULT>(st.lines.size());
    switch (msg) {
    case EM_GETLINECOUNT: return lineCount;
    case EM_GETFIRSTVISIBLELINE: return static_cast<LRESULT>(st.firstLine);
    case EM_LINEFROMCHAR: {
        auto index = static_cast<long long>(static_cast<int>(wParam));
        size_t at = index < 0 ? SelStart(st) : std::min<size_t>(static_cast<size_t>(index), st.text.size());
        return static_cast<LRESULT>(LineOf(st, at));
    }
    case EM_LINEINDEX: {
        int line = static_cast<int>(wParam);
        if (line < 0) return static_cast<LRESULT>(st.lines[LineOf(st, st.caret)].start);
        return line < lineCount ? static_cast<LRESULT>(st.lines[static_cast<size_t>(line)].start) : -1;
    }
    case EM_LINELENGTH: {
        int index = static_cast<int>(wParam);
        size_t at = index < 0 ? st.caret : std::min<size_t>(static_cast<size_t>(index), st.text.size());
        return static_cast<LRESULT>(st.lines[LineOf(st, at)].length);
    }
    case EM_GETLINE: {
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        int line = static_cast<int>(wParam);
        if (!buffer || line < 0 || line >= lineCount) return 0;
        // The caller puts the buffer's size in its first word.
        size_t room = *reinterpret_cast<const WORD*>(buffer);
        const Line& l = st.lines[static_cast<size_t>(line)];
        size_t n = std::min(room, l.length);
        std::wmemcpy(buffer, st.text.data() + l.start, n);
        return static_cast<LRESULT>(n);
    }
    case EM_LINESCROLL: {
        long long first = static_cast<long long>(st.firstLine) + static_cast<int>(lParam);
        st.firstLine = static_cast<size_t>(std::clamp<long long>(first, 0, std::max<long long>(0, lineCount - 1)));
        // Sideways by whole characters, measured as an average "x".
        if (StyleOf(hwnd) & ES_AUTOHSCROLL)
            st.scrollX = std::max(0, st.scrollX + static_cast<int>(wParam) * m.Width(L"x", 1));
        PlaceCaret(hwnd, st, m);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case EM_POSFROMCHAR: {
        if (wParam > st.text.size()) return -1;
        POINT p = PosOf(hwnd, st, m, wParam);
        return MAKELRESULT(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
    }
    case EM_CHARFROMPOS: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        size_t index = IndexAtPoint(hwnd, st, m, pt);
        return MAKELRESULT(static_cast<WORD>(index), static_cast<WORD>(LineOf(st, index)));
    }
    default: return 0;
    }
}

} // namespace

LRESULT CALLBACK device::ui::controls::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<EditState> sp = States().Get(hwnd);
    if (msg == WM_NCCREATE) {
        sp = States().Create(hwnd);
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) sp->text = cs->lpszName;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (!sp) return DefWindowProcW(hwnd, msg, wParam, lParam);
    EditState& st = *sp;
    switch (msg) {
    case WM_CREATE: st.created = true; return 0;
    case WM_NCDESTROY:
        if (st.focus) DestroyCaret();
        States().Remove(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) PaintEdit(hwnd, dc, st);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETTEXT: {
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        ReplaceSelection(hwnd, sp, text ? text : L"", Change::SetText);
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        if (!buffer || wParam == 0) return 0;
        size_t n = std::min<size_t>(wParam - 1, st.text.size());
        std::wmemcpy(buffer, st.text.c_str(), n);
        buffer[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(st.text.size());
    case WM_SETFONT:
        st.font = reinterpret_cast<HFONT>(wParam);
        st.lines.clear();
        if (st.focus) ShowCaretFor(hwnd, st);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(st.font);
    case WM_SIZE:
    case WM_STYLECHANGED:
        st.lines.clear();
        Refresh(hwnd, st);
        return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (Multi(StyleOf(hwnd)) && (StyleOf(hwnd) & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_SETFOCUS:
        st.focus = true;
        ShowCaretFor(hwnd, st);
        InvalidateRect(hwnd, nullptr, TRUE);
        // The panel first: the dialog's own handler then lays out on the room it leaves.
        SipPrefEditFocus(hwnd, true);
        if (!IsWindow(hwnd)) return 0;
        NotifyParent(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        st.focus = false;
        st.tracking = false;
        DestroyCaret();
        InvalidateRect(hwnd, nullptr, TRUE);
        SipPrefEditFocus(hwnd, false);
        NotifyParent(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (GetFocus() != hwnd) {
            SetFocus(hwnd);
            // A focus handler may send the focus elsewhere, or destroy the field.
            if (!IsWindow(hwnd) || GetFocus() != hwnd) return 0;
        }
        Measure m(hwnd, st.font);
        size_t index = IndexAtPoint(hwnd, st, m, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (msg == WM_LBUTTONDBLCLK) {
            // A double tap selects the word under the stylus.
            size_t a = index, b = index;
            while (a > 0 && !std::iswspace(static_cast<wint_t>(st.text[a - 1]))) --a;
            while (b < st.text.size() && !std::iswspace(static_cast<wint_t>(st.text[b]))) ++b;
            SetSelection(hwnd, st, a, b);
            return 0;
        }
        bool shift = (wParam & MK_SHIFT) != 0;
        SetSelection(hwnd, st, shift ? st.anchor : index, index);
        st.tracking = true;
        SetCapture(hwnd);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (st.tracking) {
            Measure m(hwnd, st.font);
            size_t index = IndexAtPoint(hwnd, st, m, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            SetSelection(hwnd, st, st.anchor, index);
        }
        return 0;
    case WM_LBUTTONUP:
        if (st.tracking) {
            st.tracking = false;
            if (GetCapture() == hwnd) ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) st.tracking = false;
        return 0;
    case WM_CHAR: TypeChar(hwnd, sp, static_cast<WCHAR>(wParam)); return 0;
    case WM_KEYDOWN:
        if (wParam == VK_DELETE) {
            if (ReadOnly(hwnd)) return 0;
            if (GetKeyState(VK_SHIFT) & 0x8000) {
                Copy(hwnd, st);
                DeleteSelection(hwnd, sp);
                return 0;
            }
            if (SelStart(st) == SelEnd(st)) {
                size_t n = StepForward(st, st.caret);
                if (n == 0) return 0;
                st.anchor = st.caret + n;
            }
            DeleteSelection(hwnd, sp);
            return 0;
        }
        MoveKey(hwnd, sp, static_cast<UINT>(wParam));
        return 0;
    case EM_GETSEL: {
        if (auto* p = reinterpret_cast<DWORD*>(wParam)) *p = static_cast<DWORD>(SelStart(st));
        if (auto* p = reinterpret_cast<DWORD*>(lParam)) *p = static_cast<DWORD>(SelEnd(st));
        return MAKELRESULT(static_cast<WORD>(std::min<size_t>(SelStart(st), 0xFFFF)),
                           static_cast<WORD>(std::min<size_t>(SelEnd(st), 0xFFFF)));
    }
    case EM_SETSEL: {
        auto start = static_cast<long long>(static_cast<int>(wParam));
        auto end = static_cast<long long>(static_cast<int>(lParam));
        if (start < 0) {
            // -1 removes the selection and leaves the caret where it is.
            SetSelection(hwnd, st, st.caret, st.caret);
            return 0;
        }
        size_t len = st.text.size();
        size_t a = std::min<size_t>(static_cast<size_t>(start), len);
        size_t b = end < 0 ? len : std::min<size_t>(static_cast<size_t>(end), len);
        SetSelection(hwnd, st, a, b);
        return 0;
    }
    case EM_REPLACESEL: {
        const auto* text = reinterpret_cast<LPCWSTR>(lParam);
        ReplaceSelection(hwnd, sp, text ? text : L"", wParam ? Change::Replace : Change::Replace0);
        return 0;
    }
    case EM_SCROLLCARET: {
        Measure m(hwnd, st.font);
        if (ScrollToCaret(hwnd, st, m)) InvalidateRect(hwnd, nullptr, TRUE);
        PlaceCaret(hwnd, st, m);
        return TRUE;
    }
    case EM_LIMITTEXT: st.limit = wParam == 0 ? kLargestLimit : std::min<size_t>(wParam, kLargestLimit); return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(st.limit);
    case EM_SETMARGINS:
        // The format width changes: the lines are laid out again, as for a new size.
        if (wParam & EC_LEFTMARGIN) st.leftMargin = LOWORD(lParam);
        if (wParam & EC_RIGHTMARGIN) st.rightMargin = HIWORD(lParam);
        st.lines.clear();
        Refresh(hwnd, st);
        return 0;
    case EM_GETMARGINS: return MAKELRESULT(static_cast<WORD>(st.leftMargin), static_cast<WORD>(st.rightMargin));
    case EM_GETMODIFY: return st.modified ? TRUE : FALSE;
    case EM_SETMODIFY: st.modified = wParam != 0; return 0;
    case EM_CANUNDO: return st.canUndo ? TRUE : FALSE;
    case EM_UNDO:
    case WM_UNDO: return Undo(hwnd, sp) ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
        st.canUndo = false;
        st.undoText.clear();
        st.typingRun = false;
        return 0;
    case EM_SETREADONLY: {
        DWORD style = StyleOf(hwnd);
        DWORD wanted = wParam ? (style | ES_READONLY) : (style & ~ES_READONLY);
        if (wanted != style) SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case EM_SETPASSWORDCHAR: {
        st.passwordChar = static_cast<WCHAR>(wParam);
        DWORD style = StyleOf(hwnd);
        DWORD wanted = wParam ? (style | ES_PASSWORD) : (style & ~ES_PASSWORD);
        if (wanted != style) SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));
        st.lines.clear();
        Refresh(hwnd, st);
        return 0;
    }
    case EM_GETPASSWORDCHAR: return (StyleOf(hwnd) & ES_PASSWORD) ? st.passwordChar : 0;
    case EM_GETRECT:
        if (auto* r = reinterpret_cast<LPRECT>(lParam)) *r = FormatRect(hwnd, st);
        return 0;
    case EM_GETLINECOUNT:
    case EM_GETFIRSTVISIBLELINE:
    case EM_LINEFROMCHAR:
    case EM_LINEINDEX:
    case EM_LINELENGTH:
    case EM_GETLINE:
    case EM_LINESCROLL:
    case EM_POSFROMCHAR:
    case EM_CHARFROMPOS: return LineMessage(hwnd, st, msg, wParam, lParam);
    case WM_COPY: Copy(hwnd, st); return 0;
    case WM_CUT:
        Copy(hwnd, st);
        DeleteSelection(hwnd, sp);
        return 0;
    case WM_CLEAR: DeleteSelection(hwnd, sp); return 0;
    case WM_PASTE: Paste(hwnd, sp); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
