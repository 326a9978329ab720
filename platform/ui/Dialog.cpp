// The dialog manager: dialogs built from templates, the default dialog procedure, the modal loop,
// dialog units and the shell's dialog conventions.
#include "platform/ui/Dialog.h"

#include "platform/base/CaseFold.h"
#include "platform/system/Modules.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/DialogInternal.h"
#include "platform/ui/ModalOwner.h"
#include "platform/ui/Sip.h"
#include "platform/ui/WindowManager.h"

#include <cwchar>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>

namespace device::ui {
namespace {

std::mutex g_lock;
std::unordered_map<HWND, std::shared_ptr<DialogState>> g_dialogs;

// a * b / c rounded half away from zero, as dialog-unit arithmetic wants.
int MulDivRound(int a, int b, int c) {
    long long p = static_cast<long long>(a) * b;
    long long q = p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c);
    return static_cast<int>(q);
}

// [SECTION] Dialog fonts and base units

struct DialogFont {
    HFONT font = nullptr;
    int baseX = 0;
    int baseY = 0;
};

// Base units of a font: the average width of the 52 letters, rounded, and the font's height.
void MeasureBaseUnits(HFONT font, int& baseX, int& baseY) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, kLetters, 52, &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    baseX = (size.cx / 26 + 1) / 2;
    baseY = tm.tmHeight;
    if (baseX <= 0) baseX = 1;
    if (baseY <= 0) baseY = 1;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// Fonts are made once per face, size, weight, slant and screen resolution, and shared.
DialogFont FontFor(const device::DialogTemplate& tpl) {
    static std::mutex lock;
    static std::map<std::tuple<std::wstring, int, int, int, int>, DialogFont> cache;
    int dpi = ScreenDpi();
    bool custom = (tpl.style & DS_SETFONT) && tpl.pointSize > 0;
    std::wstring face = custom ? device::ToLower(tpl.faceName) : L"";
    auto key = std::make_tuple(face, custom ? tpl.pointSize : 0, custom ? tpl.weight : 0, custom ? tpl.italic : 0, dpi);
    std::lock_guard guard(lock);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    DialogFont f;
    if (custom) {
        LOGFONTW lf{};
        lf.lfHeight = -MulDivRound(tpl.pointSize, dpi, 72);
        lf.lfWeight = tpl.weight ? tpl.weight : FW_NORMAL;
        lf.lfItalic = tpl.italic ? 1 : 0;
        lf.lfCharSet = DEFAULT_CHARSET;
        size_t n = std::min<size_t>(tpl.faceName.size(), LF_FACESIZE - 1);
        std::wmemcpy(lf.lfFaceName, tpl.faceName.c_str(), n);
        lf.lfFaceName[n] = 0;
        f.font = CreateFontIndirectW(&lf);
    }
    if (!f.font) f.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    MeasureBaseUnits(f.font, f.baseX, f.baseY);
    cache[key] = f;
    return f;
}

RECT ToPixels(const DialogState& st, int x, int y, int cx, int cy) {
    return RECT{MulDivRound(x, st.baseX, 4), MulDivRound(y, st.baseY, 8), MulDivRound(x + cx, st.baseX, 4),
                MulDivRound(y + cy, st.baseY, 8)};
}

// [SECTION] The dialog class

bool ReturnsDirectly(UINT msg) {
    return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_COMPAREITEM || msg == WM_VKEYTOITEM ||
           msg == WM_CHARTOITEM || msg == WM_INITDIALOG || msg == 0x0037 /* WM_QUERYDRAGICON */;
}

bool IsOwnChild(HWND dialog, HWND hwnd) { return hwnd && IsWindow(hwnd) && IsChild(dialog, hwnd); }

void FocusControl(HWND control) {
    SetFocus(control);
    if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(control, EM_SETSEL, 0, -1);
}

// A control the focus can go back to: still the dialog's, shown and enabled.
bool CanRestoreTo(HWND dialog, HWND control) {
    return IsOwnChild(dialog, control) && IsWindowVisible(control) && IsWindowEnabled(control);
}

void RestoreFocus(HWND dialog, const std::shared_ptr<DialogState>& st) {
    HWND target = st && CanRestoreTo(dialog, st->savedFocus) ? st->savedFocus : nullptr;
    if (!target) target = GetNextDlgTabItem(dialog, nullptr, FALSE);
    // A shown page with no control to take the focus (every one hidden) hands it on to the next
    // stop of the window it lies in, the tab strip above it for instance: keys never rest where
    // nothing shows them.
    if (!target && (GetWindowLongW(dialog, GWL_STYLE) & (WS_CHILD | WS_VISIBLE)) == (WS_CHILD | WS_VISIBLE) &&
        IsWindowVisible(dialog)) {
        HWND root = NavigationRoot(dialog);
        if (root != dialog) target = NextTabStop(root, dialog, false);
    }
    if (target) FocusControl(target);
}

WORD DefaultId(HWND dialog, const std::shared_ptr<DialogState>& st) {
    if (st && st->defId) return st->defId;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (SendMessageW(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return static_cast<WORD>(GetDlgCtrlID(c));
    return 0;
}

void SetDefaultId(HWND dialog, const std::shared_ptr<DialogState>& st, WORD id) {
    // The old default push button loses its bold frame, the new one gains it.
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        LRESULT code = SendMessageW(c, WM_GETDLGCODE, 0, 0);
        int cid = GetDlgCtrlID(c);
        if ((code & DLGC_DEFPUSHBUTTON) && cid != id) SendMessageW(c, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        if ((code & DLGC_UNDEFPUSHBUTTON) && cid == id) SendMessageW(c, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
    if (st) st->defId = id;
}

void DrawCaptionOk(HWND dialog) {
    RECT ok = CaptionOkButtonRect(dialog);
    if (IsRectEmpty(&ok)) return;
    RECT window;
    GetWindowRect(dialog, &window);
    OffsetRect(&ok, -window.left, -window.top);
    HDC dc = GetWindowDC(dialog);
    if (!dc) return;
    DrawOkButton(dc, ok, GetSysColor(COLOR_CAPTIONTEXT));
    ReleaseDC(dialog, dc);
}

LRESULT DefaultDialogHandling(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: {
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)));
        if (!brush) return DefWindowProcW(dialog, msg, wParam, lParam);
        RECT client;
        GetClientRect(dialog, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        return 1;
    }
    case WM_CLOSE:
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return 0;
    case WM_ACTIVATE: {
        auto st = FindDialog(dialog);
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (st && IsOwnChild(dialog, focus)) st->savedFocus = focus;
            return 0;
        }
        if (st && CanRestoreTo(dialog, st->savedFocus)) {
            FocusControl(st->savedFocus);
            return 0;
        }
        return DefWindowProcW(dialog, msg, wParam, lParam);
    }
    case WM_SETFOCUS: RestoreFocus(dialog, FindDialog(dialog)); return 0;
    case WM_GETFONT: {
        auto st = FindDialog(dialog);
        return reinterpret_cast<LRESULT>(st ? st->font : nullptr);
    }
    case DM_GETDEFID: {
        WORD id = DefaultId(dialog, FindDialog(dialog));
        return id ? MAKELRESULT(id, DC_HASDEFID) : 0;
    }
    case DM_SETDEFID: SetDefaultId(dialog, FindDialog(dialog), static_cast<WORD>(wParam)); return TRUE;
    case WM_NCPAINT: {
        LRESULT r = DefWindowProcW(dialog, msg, wParam, lParam);
        DrawCaptionOk(dialog);
        return r;
    }
    case WM_LBUTTONDOWN: {
        RECT ok = CaptionOkButtonRect(dialog);
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(dialog, &pt);
        if (PtInRect(&ok, pt)) {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return 0;
        }
        return DefWindowProcW(dialog, msg, wParam, lParam);
    }
    case WM_NCDESTROY: {
        std::lock_guard guard(g_lock);
        g_dialogs.erase(dialog);
        return 0;
    }
    default: return DefWindowProcW(dialog, msg, wParam, lParam);
    }
}

// [SECTION] Building a dialog

void AddInitialItems(HWND dialog, HINSTANCE instance, DWORD resourceId) {
    const void* data = nullptr;
    size_t size = 0;
    if (!resourceId || !device::FindResourceData(instance, device::kResDialogInit, resourceId, data, size)) return;
    auto items = device::ParseDialogInit(data, size);
    if (!items) return;
    for (const auto& item : *items) {
        HWND control = GetDlgItem(dialog, static_cast<int>(item.controlId));
        if (!control) continue;
        WCHAR cls[64];
        GetClassNameW(control, cls, 64);
        UINT msg = device::EqualNoCase(cls, L"COMBOBOX") ? CB_ADDSTRING
                   : device::EqualNoCase(cls, L"LISTBOX") ? LB_ADDSTRING
                                                           : 0;
        if (msg) SendMessageW(control, msg, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
    }
}

POINT PlaceDialog(const device::DialogTemplate& tpl, const DialogState& st, HWND owner, int width, int height) {
    RECT units = ToPixels(st, tpl.x, tpl.y, 0, 0);
    POINT pt{units.left, units.top};
    bool child = (tpl.style & WS_CHILD) != 0;
    if (tpl.style & (DS_CENTER | DS_CENTERMOUSE)) {
        RECT area;
        if (child && owner) {
            GetClientRect(owner, &area);
        } else {
            area = WorkArea();
        }
        pt.x = area.left + ((area.right - area.left) - width) / 2;
        pt.y = area.top + ((area.bottom - area.top) - height) / 2;
        if (!child) {
            pt.x = std::max<int>(pt.x, area.left);
            pt.y = std::max<int>(pt.y, area.top);
        }
        return pt;
    }
    if (!child && owner && !(tpl.style & DS_ABSALIGN)) ClientToScreen(owner, &pt);
    return pt;
}

} // namespace

std::shared_ptr<DialogState> FindDialog(HWND dialog) {
    std::lock_guard guard(g_lock);
    auto it = g_dialogs.find(dialog);
    return it == g_dialogs.end() ? nullptr : it->second;
}

HWND OwnerTopLevel(HWND owner) {
    if (!owner || !IsWindow(owner)) return nullptr;
    while (GetWindowLongW(owner, GWL_STYLE) & WS_CHILD) {
        HWND parent = GetParent(owner);
        if (!parent) break;
        owner = parent;
    }
    return owner;
}

HWND CreateDialogFromTemplate(HINSTANCE instance, const device::DialogTemplate& tpl, DWORD resourceId, HWND owner,
                              DLGPROC proc, LPARAM param, bool modal) {
    RegisterDialogClasses();
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto st = std::make_shared<DialogState>();
    DialogFont font = FontFor(tpl);
    st->font = font.font;
    st->baseX = font.baseX;
    st->baseY = font.baseY;
    st->modal = modal;

    DWORD style = tpl.style;
    DWORD exStyle = tpl.exStyle;
    bool visible = modal || (style & WS_VISIBLE);
    style &= ~WS_VISIBLE;
    if (modal) style &= ~WS_CHILD;
    if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
    if (style & DS_CONTROL) exStyle |= WS_EX_CONTROLPARENT;

    RECT client = ToPixels(*st, 0, 0, tpl.cx, tpl.cy);
    RECT frame = client;
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    POINT pos = PlaceDialog(tpl, *st, owner, width, height);

    const wchar_t* cls = tpl.className.empty() ? WC_DIALOG : tpl.className.c_str();
    HWND dialog = CreateWindowExW(exStyle, cls, tpl.caption.c_str(), style, pos.x, pos.y, width, height, owner,
                                  nullptr, instance, reinterpret_cast<LPVOID>(param));
    if (!dialog) return nullptr;
    {
        std::lock_guard guard(g_lock);
        g_dialogs[dialog] = st;
    }
    SetWindowLongW(dialog, DWL_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (style & DS_SETFONT) SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(st->font), FALSE);

    for (const auto& item : tpl.items) {
        RECT r = ToPixels(*st, item.x, item.y, item.cx, item.cy);
        auto id = static_cast<intptr_t>(static_cast<int>(item.id));
        HWND control = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(), item.text.c_str(),
                                       item.style | WS_CHILD, r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                                       reinterpret_cast<HMENU>(id), instance, nullptr);
        if (!control) {
            // A control that cannot be made fails the whole dialog.
            WNDCLASSW wc{};
            DWORD error = GetClassInfoW(instance, item.className.c_str(), &wc) ? GetLastError()
                                                                               : ERROR_CANNOT_FIND_WND_CLASS;
            DestroyWindow(dialog);
            SetLastError(error ? error : ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(st->font), FALSE);
    }
    AddInitialItems(dialog, instance, resourceId);

    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    LRESULT focusFirst = SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
    if (!IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (st->ended) return dialog; // EndDialog inside WM_INITDIALOG: the modal loop returns at once
    if (visible) ShowWindow(dialog, SW_SHOWNORMAL);
    // TRUE: the focus goes to the first tab stop (a hidden child dialog, such as a page made in
    // advance, leaves the focus where it is). FALSE: the dialog procedure placed it, and the
    // dialog gives it back there when it is given the focus itself (a tool shown again).
    first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (focusFirst && first && (visible || !(style & WS_CHILD))) FocusControl(first);
    if (!focusFirst && IsOwnChild(dialog, GetFocus())) st->savedFocus = GetFocus();
    return dialog;
}

INT_PTR RunModalDialog(HWND dialog, HWND owner) {
    auto st = FindDialog(dialog);
    if (!st) return -1;
    // The owner and the windows it is owned by take no input while the dialog is up.
    ModalOwnerLock owners(owner);
    MSG msg;
    while (!st->ended && IsWindow(dialog)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The application is quitting: leave the loop and let the outer loop see WM_QUIT.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // The owners come back before the dialog goes, so that one of them is the one activated.
    owners.Restore(dialog);
    INT_PTR result = st->result;
    if (IsWindow(dialog)) DestroyWindow(dialog);
    return result;
}

void RegisterDialogClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DefDlgProcW;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
        wc.lpszClassName = WC_DIALOG;
        RegisterClassW(&wc);
        RegisterMessageBoxClasses();
    });
}

void DrawOkButton(HDC dc, const RECT& button, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, button.left, button.top, button.right, button.bottom, 5, 5);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, colour);
    RECT text = button;
    DrawTextW(dc, L"ok", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

RECT CaptionOkButtonRect(HWND dialog) {
    RECT none{0, 0, 0, 0};
    if (!IsWindow(dialog)) return none;
    auto style = static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE));
    auto ex = static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE));
    if ((style & WS_CAPTION) != WS_CAPTION || !(ex & WS_EX_CAPTIONOKBTN)) return none;
    if (FillsWorkArea(dialog)) return none; // no caption row: its "ok" is in the taskbar
    RECT window;
    GetWindowRect(dialog, &window);
    int border = GetSystemMetrics(SM_CXDLGFRAME);
    int caption = GetSystemMetrics(SM_CYCAPTION);
    int width = caption * 3 / 2 + 4;
    return RECT{window.right - border - width - 2, window.top + border + 2, window.right - border - 2,
                window.top + border + caption - 2};
}

} // namespace device::ui

using namespace device::ui;

// [SECTION] The public calls

LRESULT CALLBACK DefDlgProcW(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A dialog the shell sized to the work area takes its new size before it hears of the change.
    if (msg == WM_SETTINGCHANGE && wParam == SPI_SETWORKAREA) device::ui::FollowWorkAreaIfShellSized(dialog);
    auto proc = reinterpret_cast<DLGPROC>(GetWindowLongW(dialog, DWL_DLGPROC));
    if (proc) {
        SetWindowLongW(dialog, DWL_MSGRESULT, 0);
        INT_PTR handled = proc(dialog, msg, wParam, lParam);
        if (msg == WM_NCDESTROY) return DefaultDialogHandling(dialog, msg, wParam, lParam);
        if (handled) {
            if (ReturnsDirectly(msg)) return handled;
            return IsWindow(dialog) ? GetWindowLongW(dialog, DWL_MSGRESULT) : 0;
        }
        if (!IsWindow(dialog)) return 0;
    }
    return DefaultDialogHandling(dialog, msg, wParam, lParam);
}

HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent, DLGPROC proc,
                                LPARAM param) {
    size_t size = dialogTemplate ? device::DialogRecordSize(dialogTemplate) : 0;
    auto tpl = size ? device::ParseDialog(dialogTemplate, size) : std::nullopt;
    if (!tpl) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateDialogFromTemplate(instance, *tpl, 0, parent, proc, param, false);
}

namespace {

bool LoadTemplate(HINSTANCE instance, LPCWSTR name, std::optional<device::DialogTemplate>& tpl, DWORD& id) {
    HRSRC found = FindResourceW(instance, name, RT_DIALOG);
    if (!found) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    const void* data = LockResource(LoadResource(instance, found));
    DWORD size = SizeofResource(instance, found);
    tpl = data ? device::ParseDialog(data, size) : std::nullopt;
    if (!tpl) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    id = 0;
    if (IS_INTRESOURCE(name)) {
        id = static_cast<DWORD>(reinterpret_cast<uintptr_t>(name));
    } else if (name[0] == L'#') {
        id = static_cast<DWORD>(std::wcstoul(name + 1, nullptr, 10));
    }
    return true;
}

} // namespace

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
    std::optional<device::DialogTemplate> tpl;
    DWORD id = 0;
    if (!LoadTemplate(instance, templateName, tpl, id)) return nullptr;
    return CreateDialogFromTemplate(instance, *tpl, id, parent, proc, param, false);
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner, DLGPROC proc,
                                LPARAM param) {
    size_t size = dialogTemplate ? device::DialogRecordSize(dialogTemplate) : 0;
    auto tpl = size ? device::ParseDialog(dialogTemplate, size) : std::nullopt;
    if (!tpl) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    HWND top = OwnerTopLevel(owner);
    HWND dialog = CreateDialogFromTemplate(instance, *tpl, 0, top, proc, param, true);
    return dialog ? RunModalDialog(dialog, top) : -1;
}

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
    std::optional<device::DialogTemplate> tpl;
    DWORD id = 0;
    if (!LoadTemplate(instance, templateName, tpl, id)) return -1;
    HWND top = OwnerTopLevel(owner);
    HWND dialog = CreateDialogFromTemplate(instance, *tpl, id, top, proc, param, true);
    return dialog ? RunModalDialog(dialog, top) : -1;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    auto st = FindDialog(dialog);
    if (!st) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    st->ended = true;
    st->result = result;
    if (st->modal) {
        // Wake the modal loop; the dialog goes away when its loop returns.
        PostMessageW(dialog, WM_NULL, 0, 0);
    } else {
        ShowWindow(dialog, SW_HIDE);
    }
    return TRUE;
}

// [SECTION] Controls of a dialog

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int count) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) {
        if (buffer && count > 0) buffer[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(control, buffer, count));
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowTextW(control, text) : FALSE;
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated) *translated = FALSE;
    HWND control = GetDlgItem(dialog, id);
    if (!control) return 0;
    WCHAR text[64];
    int n = GetWindowTextLengthW(control);
    if (n >= 64) return 0; // longer than any number
    GetWindowTextW(control, text, 64);
    const WCHAR* p = text;
    while (*p == L' ' || *p == L'\t') ++p;
    bool negative = false;
    if (isSigned && *p == L'-') {
        negative = true;
        ++p;
    } else if (*p == L'+') {
        ++p;
    }
    if (*p < L'0' || *p > L'9') return 0;
    unsigned long long value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        value = value * 10 + static_cast<unsigned>(*p - L'0');
        if (value > 0xFFFFFFFFull) return 0;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    if (*p) return 0;
    if (isSigned) {
        if (negative ? value > 2147483648ull : value > 2147483647ull) return 0;
        if (translated) *translated = TRUE;
        long long v = negative ? -static_cast<long long>(value) : static_cast<long long>(value);
        return static_cast<UINT>(static_cast<int>(v));
    }
    if (translated) *translated = TRUE;
    return static_cast<UINT>(value);
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    WCHAR text[16];
    if (isSigned) {
        std::swprintf(text, 16, L"%d", static_cast<int>(value));
    } else {
        std::swprintf(text, 16, L"%u", value);
    }
    return SetDlgItemTextW(dialog, id, text);
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageW(control, msg, wParam, lParam) : 0;
}

// [SECTION] Dialog units

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    auto st = FindDialog(dialog);
    if (!st || !rect) {
        SetLastError(st ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = RECT{MulDivRound(rect->left, st->baseX, 4), MulDivRound(rect->top, st->baseY, 8),
                 MulDivRound(rect->right, st->baseX, 4), MulDivRound(rect->bottom, st->baseY, 8)};
    return TRUE;
}

LONG GetDialogBaseUnits() {
    device::DialogTemplate none;
    DialogFont f = FontFor(none);
    return MAKELONG(f.baseX, f.baseY);
}

// [SECTION] The shell's dialog conventions

namespace {

constexpr DWORD kSizingFlags = SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR;
const wchar_t kSizingProp[] = L"JvShellSizing";

// Fills the work area (above a raised input panel for SHIDIF_SIZEDLG alone), without a caption
// row of its own: the taskbar shows its title and its "ok".
void SizeToWorkArea(HWND dialog, DWORD sizing) {
    RECT area = WorkArea();
    if ((sizing & SHIDIF_SIZEDLG) && !(sizing & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) && IsSipUp())
        area.bottom = SipRect().top;
    RECT before;
    GetWindowRect(dialog, &before);
    bool reframed = SetFillsWorkArea(dialog, true);
    SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (reframed ? SWP_FRAMECHANGED : 0));
    // Already that size: the client area still grew by the caption row it lost.
    if (reframed && before.right - before.left == area.right - area.left &&
        before.bottom - before.top == area.bottom - area.top) {
        RECT client;
        GetClientRect(dialog, &client);
        SendMessageW(dialog, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
}

} // namespace

namespace device::ui {
void FollowWorkAreaIfShellSized(HWND dialog) {
    auto sizing = static_cast<DWORD>(reinterpret_cast<uintptr_t>(GetPropW(dialog, kSizingProp)));
    if (sizing) SizeToWorkArea(dialog, sizing);
}
} // namespace device::ui

BOOL SHInitDialog(PSHINITDLGINFO info) {
    if (!info || !IsWindow(info->hDlg)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!(info->dwMask & SHIDIM_FLAGS)) return TRUE;
    HWND dialog = info->hDlg;
    DWORD flags = info->dwFlags;
    if (flags & SHIDIF_DONEBUTTON) SHDoneButton(dialog, SHDB_SHOW);
    if (flags & SHIDIF_SIPDOWN) SHSipPreference(dialog, SIP_DOWN);
    bool child = (GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD) != 0;
    DWORD sizing = flags & kSizingFlags;
    if (!child && sizing) {
        // Remembered so the dialog follows the work area when the screen turns.
        SetPropW(dialog, kSizingProp, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(sizing)));
        SizeToWorkArea(dialog, sizing);
    }
    return TRUE;
}

BOOL SHDoneButton(HWND dialog, DWORD state) {
    if (!IsWindow(dialog) || (state != SHDB_SHOW && state != SHDB_HIDE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto ex = static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE));
    DWORD wanted = state == SHDB_SHOW ? (ex | WS_EX_CAPTIONOKBTN) : (ex & ~WS_EX_CAPTIONOKBTN);
    if (wanted != ex) {
        SetWindowLongW(dialog, GWL_EXSTYLE, static_cast<LONG_PTR>(wanted));
        SetWindowPos(dialog, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    return TRUE;
}
