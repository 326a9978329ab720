// Message boxes drawn by the layer, on top of the dialog manager, with their own push buttons
// (so that they need no control library), and the scripted answers tests use.
#include "platform/ui/MessageBox.h"

#include "platform/base/Utf8.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/DialogInternal.h"
#include "platform/ui/ResourceImages.h"

#include <algorithm>
#include <cwchar>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

namespace device::ui {
namespace {

const wchar_t kButtonClass[] = L"JvMessageBoxButton";

std::mutex g_lock;
std::deque<int> g_answers;
std::vector<MessageBoxRecord> g_records;
bool g_onTerminal = false; // boxes go to standard error: nobody is at the screen
std::vector<HWND> g_shown; // message boxes on show, innermost last

struct Button {
    int id;
    const wchar_t* text;
};

std::vector<Button> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, L"OK"}, {IDCANCEL, L"Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, L"Abort"}, {IDRETRY, L"Retry"}, {IDIGNORE, L"Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, L"Yes"}, {IDNO, L"No"}, {IDCANCEL, L"Cancel"}};
    case MB_YESNO: return {{IDYES, L"Yes"}, {IDNO, L"No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, L"Retry"}, {IDCANCEL, L"Cancel"}};
    default: return {{IDOK, L"OK"}};
    }
}

// Which of the type's buttons is the default: the one MB_DEFBUTTONn names, else the first.
size_t DefaultButton(UINT type) {
    size_t index = (type & MB_DEFMASK) >> 8;
    return index < ButtonsOf(type).size() ? index : 0;
}

LPCWSTR IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return nullptr;
    }
}

std::wstring ApplicationName() {
    std::wstring path = device::ModuleDevicePath();
    size_t slash = path.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return name;
}

// [SECTION] The push buttons of message boxes

constexpr LONG_PTR kPressed = 1;

void Click(HWND button) {
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void PaintButton(HWND button) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(button, &ps);
    RECT r;
    GetClientRect(button, &r);
    bool pressed = (GetWindowLongW(button, GWL_USERDATA) & kPressed) != 0;
    bool isDefault = (GetWindowLongW(button, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
    FillRect(dc, &r, GetSysColorBrush(pressed ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT frame = r;
    FrameRect(dc, &frame, black);
    if (isDefault) {
        InflateRect(&frame, -1, -1);
        FrameRect(dc, &frame, black);
    }
    WCHAR text[32];
    GetWindowTextW(button, text, 32);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetParent(button), WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(pressed ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (GetFocus() == button) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
    if (old) SelectObject(dc, old);
    EndPaint(button, &ps);
}

bool IsModelessBox(HWND box);

LRESULT CALLBACK ButtonProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
        // A raised notification's box is the device's, not the program's: its Enter, Esc, Tab
        // and arrows work whatever loop the program runs (a box of its own included), none of
        // which knows the box.
        if (IsModelessBox(GetParent(button)) &&
            (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_TAB ||
             (wParam >= VK_LEFT && wParam <= VK_DOWN))) {
            MSG key{button, msg, wParam, lParam, 0, POINT{0, 0}};
            IsDialogMessageW(GetParent(button), &key);
            return 0;
        }
        return DefWindowProcW(button, msg, wParam, lParam);
    case WM_GETDLGCODE:
        return DLGC_BUTTON |
               ((GetWindowLongW(button, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE: {
        LONG_PTR style = GetWindowLongW(button, GWL_STYLE);
        SetWindowLongW(button, GWL_STYLE, (style & ~0xF) | static_cast<LONG_PTR>(wParam & 0xF));
        if (lParam) InvalidateRect(button, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK: Click(button); return 0;
    case WM_PAINT: PaintButton(button); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(button, nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN:
        SetCapture(button);
        SetWindowLongW(button, GWL_USERDATA, kPressed);
        InvalidateRect(button, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        bool wasPressed = GetCapture() == button;
        ReleaseCapture();
        SetWindowLongW(button, GWL_USERDATA, 0);
        InvalidateRect(button, nullptr, FALSE);
        RECT r;
        GetClientRect(button, &r);
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (wasPressed && PtInRect(&r, pt)) Click(button);
        return 0;
    }
    case WM_KEYUP:
        if (wParam == VK_SPACE) Click(button);
        return 0;
    default: return DefWindowProcW(button, msg, wParam, lParam);
    }
}

// [SECTION] The box

struct BoxInfo {
    std::wstring text;
    UINT type = 0;
    HICON icon = nullptr;
    RECT textRect{0, 0, 0, 0};
    POINT iconAt{0, 0};
    bool modeless = false;         // then owned by its window from WM_INITDIALOG on
    bool* adopted = nullptr;       // set true when the window takes it over
};

constexpr int kMargin = 8;
constexpr int kIconSize = 32;
constexpr int kButtonHeight = 22;
constexpr int kButtonGap = 6;
constexpr int kMinButtonWidth = 52;

// Centres the box in the work area, and lifts it above the input panel while that is up, so that
// its buttons stay on the screen; again whenever the screen turns or the panel moves.
void Place(HWND box) {
    RECT r{}, work = WorkArea();
    GetWindowRect(box, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int left = work.left + std::max(0, static_cast<int>((work.right - work.left) - width) / 2);
    int top = work.top + std::max(0, static_cast<int>((work.bottom - work.top) - height) / 2);
    const RECT sip = SipRect();
    // A box taller than the room above the panel, or than the work area (a square screen), may
    // cover the taskbar: its buttons come first.
    const int bottom = IsSipUp() ? std::min<int>(work.bottom, sip.top) : work.bottom;
    if (top + height > bottom) top = std::max(0, bottom - height);
    SetWindowPos(box, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The text with a line break put into every word wider than the text may be (a long path,
// which the word wrap would leave whole and the box would cut): after its last "\\" or "/"
// that fits, else after the last character that does.
std::wstring BreakLongWords(HDC dc, const std::wstring& text, int maxWidth) {
    const auto width = [&](const std::wstring& part) {
        SIZE size{0, 0};
        GetTextExtentPoint32W(dc, part.c_str(), static_cast<int>(part.size()), &size);
        return static_cast<int>(size.cx);
    };
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        if (std::wcschr(L" \t\r\n", text[i])) {
            out += text[i++];
            continue;
        }
        size_t end = i;
        while (end < text.size() && !std::wcschr(L" \t\r\n", text[end])) ++end;
        std::wstring word = text.substr(i, end - i);
        i = end;
        while (word.size() > 1 && width(word) > maxWidth) {
            size_t fits = 1;
            while (fits < word.size() && width(word.substr(0, fits + 1)) <= maxWidth) ++fits;
            const size_t slash = word.substr(0, fits).find_last_of(L"\\/");
            const size_t cut = slash != std::wstring::npos && slash > 0 ? slash + 1 : fits;
            out += word.substr(0, cut) + L"\n";
            word.erase(0, cut);
        }
        out += word;
    }
    return out;
}

void Layout(HWND box, BoxInfo& info) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
    HDC dc = GetDC(box);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;

    RECT work = WorkArea();
    int screenWidth = work.right - work.left;
    RECT frameProbe{0, 0, 100, 100};
    AdjustWindowRectEx(&frameProbe, static_cast<DWORD>(GetWindowLongW(box, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(box, GWL_EXSTYLE)));
    int frameX = (frameProbe.right - frameProbe.left) - 100;
    int frameY = (frameProbe.bottom - frameProbe.top) - 100;
    int iconSpace = info.icon ? kIconSize + kMargin : 0;
    int maxText = std::max(40, screenWidth - 2 * kMargin - frameX - 2 * kMargin - iconSpace);

    info.text = BreakLongWords(dc, info.text, maxText);
    RECT text{0, 0, maxText, 0};
    DrawTextW(dc, info.text.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    int textWidth = std::min<int>(text.right, maxText);
    int textHeight = text.bottom;

    std::vector<Button> buttons = ButtonsOf(info.type);
    int buttonWidth = kMinButtonWidth;
    for (const Button& b : buttons) {
        SIZE size{0, 0};
        GetTextExtentPoint32W(dc, b.text, static_cast<int>(wcslen(b.text)), &size);
        buttonWidth = std::max<int>(buttonWidth, size.cx + 16);
    }
    int rowWidth = static_cast<int>(buttons.size()) * buttonWidth + (static_cast<int>(buttons.size()) - 1) * kButtonGap;
    if (old) SelectObject(dc, old);
    ReleaseDC(box, dc);

    int bodyHeight = std::max(textHeight, info.icon ? kIconSize : 0);
    int clientWidth = std::max(iconSpace + textWidth, rowWidth) + 2 * kMargin;
    int clientHeight = kMargin + bodyHeight + kMargin + kButtonHeight + kMargin;
    info.iconAt = POINT{kMargin, kMargin};
    int textTop = kMargin + (bodyHeight - textHeight) / 2;
    info.textRect = RECT{kMargin + iconSpace, textTop, kMargin + iconSpace + textWidth, textTop + textHeight};

    int x = (clientWidth - rowWidth) / 2;
    int y = clientHeight - kMargin - kButtonHeight;
    const size_t defIndex = DefaultButton(info.type);
    HWND defButton = nullptr;
    for (size_t i = 0; i < buttons.size(); ++i) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == defIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        if (i == 0) style |= WS_GROUP;
        HWND b = CreateWindowExW(0, kButtonClass, buttons[i].text, style, x, y, buttonWidth, kButtonHeight, box,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(buttons[i].id)), nullptr, nullptr);
        if (i == defIndex) defButton = b;
        x += buttonWidth + kButtonGap;
    }
    SendMessageW(box, DM_SETDEFID, static_cast<WPARAM>(buttons[defIndex].id), 0);

    SetWindowPos(box, nullptr, 0, 0, clientWidth + frameX, clientHeight + frameY, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Place(box);
    if (defButton) SetFocus(defButton);
}

bool HasButton(UINT type, int id) {
    for (const Button& b : ButtonsOf(type))
        if (b.id == id) return true;
    return false;
}

bool IsModelessBox(HWND box) {
    const auto* info = box ? reinterpret_cast<const BoxInfo*>(GetWindowLongW(box, DWL_USER)) : nullptr;
    return info && info->modeless;
}

INT_PTR CALLBACK BoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* info = reinterpret_cast<BoxInfo*>(GetWindowLongW(box, DWL_USER));
    switch (msg) {
    case WM_INITDIALOG:
        info = reinterpret_cast<BoxInfo*>(lParam);
        SetWindowLongW(box, DWL_USER, lParam);
        if (info->adopted) *info->adopted = true;
        Layout(box, *info);
        return FALSE; // the default button has the focus
    case WM_PAINT: {
        if (!info) return FALSE;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(box, &ps);
        if (info->icon) DrawIconEx(dc, info->iconAt.x, info->iconAt.y, info->icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
        HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        RECT r = info->textRect;
        DrawTextW(dc, info->text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        if (old) SelectObject(dc, old);
        EndPaint(box, &ps);
        return TRUE;
    }
    case WM_DESTROY:
        if (info && info->modeless) {
            SetWindowLongW(box, DWL_USER, 0);
            delete info;
        }
        return FALSE;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA || wParam == SPI_SETSIPINFO) Place(box);
        return FALSE;
    case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    case WM_COMMAND: {
        if (!info) return FALSE;
        int id = LOWORD(wParam);
        if (info->modeless) {
            if (id == IDOK || id == IDCANCEL) DestroyWindow(box);
        } else if (HasButton(info->type, id)) {
            EndDialog(box, id);
        } else if (id == IDCANCEL && (info->type & MB_TYPEMASK) == MB_OK) {
            EndDialog(box, IDOK);
        }
        return TRUE;
    }
    default: return FALSE;
    }
}

} // namespace

void RegisterMessageBoxClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ButtonProc;
        wc.lpszClassName = kButtonClass;
        RegisterClassW(&wc);
    });
}

void ScriptMessageBoxAnswers(const std::vector<int>& answers) {
    std::lock_guard guard(g_lock);
    g_answers.insert(g_answers.end(), answers.begin(), answers.end());
}

void AnswerMessageBoxesOnTerminal(bool on) {
    std::lock_guard guard(g_lock);
    g_onTerminal = on;
}

size_t PendingMessageBoxAnswers() {
    std::lock_guard guard(g_lock);
    return g_answers.size();
}

std::vector<MessageBoxRecord> MessageBoxRecords() {
    std::lock_guard guard(g_lock);
    return g_records;
}

void ClearMessageBoxRecords() {
    std::lock_guard guard(g_lock);
    g_records.clear();
    g_answers.clear();
}

HWND ShowNotificationBox(const std::wstring& title, const std::wstring& text) {
    RegisterDialogClasses();
    auto info = std::make_unique<BoxInfo>();
    info->text = text;
    info->type = MB_OK;
    info->modeless = true;
    device::DialogTemplate tpl;
    tpl.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    tpl.exStyle = WS_EX_TOPMOST;
    tpl.caption = title;
    bool adopted = false;
    info->adopted = &adopted;
    BoxInfo* raw = info.release();
    HWND box = CreateDialogFromTemplate(nullptr, tpl, 0, nullptr, BoxProc, reinterpret_cast<LPARAM>(raw), false);
    if (box) raw->adopted = nullptr; // the window lives and owns it now
    if (!box) {
        if (!adopted) delete raw;
        return nullptr;
    }
    ShowWindow(box, SW_SHOWNORMAL);
    SetForegroundWindow(box);
    return box;
}

HWND CurrentMessageBox() {
    std::lock_guard guard(g_lock);
    return g_shown.empty() ? nullptr : g_shown.back();
}

} // namespace device::ui

using namespace device::ui;

namespace {

int ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, bool toTerminal) {
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    HWND top = OwnerTopLevel(owner);
    std::wstring title;
    if (caption) {
        title = caption;
    } else {
        if (top) {
            int n = GetWindowTextLengthW(top);
            title.resize(static_cast<size_t>(n) + 1);
            title.resize(static_cast<size_t>(GetWindowTextW(top, title.data(), n + 1)));
        }
        if (title.empty()) title = ApplicationName();
    }
    MessageBoxRecord record{owner, text ? text : L"", title, type, 0};

    std::optional<int> scripted;
    size_t index;
    {
        std::lock_guard guard(g_lock);
        if (!g_answers.empty()) {
            scripted = g_answers.front();
            g_answers.pop_front();
        }
        index = g_records.size();
        g_records.push_back(record);
    }
    auto finish = [&](int answer) {
        std::lock_guard guard(g_lock);
        if (index < g_records.size()) g_records[index].answer = answer;
        return answer;
    };
    if (scripted) return finish(HasButton(type, *scripted) ? *scripted : 0);
    bool onTerminal = toTerminal;
    {
        std::lock_guard guard(g_lock);
        onTerminal = onTerminal || g_onTerminal;
    }
    if (onTerminal) {
        // Nobody could answer a box on this screen: its text goes where the user of a command
        // reads it, and its default button answers, as Enter would.
        std::fprintf(stderr, "%s: %s\n", device::ToUtf8(title).c_str(), device::ToUtf8(record.text).c_str());
        return finish(ButtonsOf(type)[DefaultButton(type)].id);
    }
    // A program that is ending shows no box (it would vanish before it could be read): the box
    // answers with its default button, as Enter would, so a "save?" on the way out saves.
    if (IsProgramEnding()) return finish(ButtonsOf(type)[DefaultButton(type)].id);

    RegisterDialogClasses();
    BoxInfo info;
    info.text = record.text;
    info.type = type;
    if (LPCWSTR icon = IconOf(type)) info.icon = LoadIconW(nullptr, icon);

    device::DialogTemplate tpl;
    tpl.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    tpl.exStyle = (type & (MB_TOPMOST | MB_SYSTEMMODAL)) ? WS_EX_TOPMOST : 0;
    tpl.caption = title;
    HWND box = CreateDialogFromTemplate(nullptr, tpl, 0, top, BoxProc, reinterpret_cast<LPARAM>(&info), true);
    if (!box) {
        if (info.icon) DestroyIcon(info.icon);
        return finish(0);
    }
    if (type & MB_SETFOREGROUND) SetForegroundWindow(box);
    MessageBeep(type & MB_ICONMASK);
    {
        std::lock_guard guard(g_lock);
        g_shown.push_back(box);
    }
    // A box waits for the user, so the wait cursor (which stands in the middle of the screen, over
    // the box's text) goes while it shows and comes back when it closes if nothing changed it.
    const bool wasBusy = IsBusyCursor();
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR busyCursor = wasBusy ? SetCursor(arrow) : nullptr;
    INT_PTR answer = RunModalDialog(box, top);
    if (wasBusy && GetCursor() == arrow) SetCursor(busyCursor);
    {
        std::lock_guard guard(g_lock);
        g_shown.erase(std::remove(g_shown.begin(), g_shown.end(), box), g_shown.end());
    }
    if (info.icon) DestroyIcon(info.icon);
    return finish(answer > 0 ? static_cast<int>(answer) : 0);
}

} // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return ShowMessageBox(owner, text, caption, type, false);
}

namespace device::ui {

int TerminalMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return ShowMessageBox(owner, text, caption, type, true);
}

} // namespace device::ui
