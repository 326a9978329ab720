// Windows and their classes: creation and destruction order, window values, texts, the tree and
// its z-order, coordinates, hit testing, and handles that are gone.

#include "UiTestSupport.h"

using namespace uitest;

namespace {

class WindowTree : public UiTest {};

std::vector<std::pair<HWND, UINT>> Sequence(const std::vector<UINT>& only) {
    std::lock_guard lock(LogLock());
    std::vector<std::pair<HWND, UINT>> out;
    for (const Logged& l : Log())
        if (std::find(only.begin(), only.end(), l.msg) != only.end()) out.emplace_back(l.hwnd, l.msg);
    return out;
}

TEST_F(WindowTree, ClassRegistrationTwiceFailsHarmlessly) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"TwiceClass";
    EXPECT_NE(RegisterClassW(&wc), 0);
    wc.lpfnWndProc = RecordingProc;
    EXPECT_EQ(RegisterClassW(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    WNDCLASSW info{};
    ASSERT_TRUE(GetClassInfoW(nullptr, L"twiceclass", &info));  // names ignore case
    EXPECT_EQ(info.lpfnWndProc, DefWindowProcW) << "the first registration stays";
    EXPECT_TRUE(UnregisterClassW(L"TwiceClass", nullptr));
    EXPECT_FALSE(UnregisterClassW(L"TwiceClass", nullptr));
    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_EQ(RegisterClassW(nullptr), 0);
}

TEST_F(WindowTree, CreationSendsMessagesInTheDeviceOrder) {
    HWND top = Top(0, 26, 240, 294);
    ASSERT_TRUE(top);
    auto seq = MessagesOf(top, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS});
    std::vector<UINT> want{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS};
    EXPECT_EQ(seq, want);
    auto sizes = Matching(WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(LOWORD(sizes[0].lParam), 240);
    EXPECT_EQ(HIWORD(sizes[0].lParam), 294);
    EXPECT_EQ(GetActiveWindow(), top);
    EXPECT_EQ(GetFocus(), top);

    ClearLog();
    HWND hidden = Child(top, 7, 1, 2, 30, 40, 0);
    EXPECT_EQ(MessagesOf(hidden), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
    EXPECT_FALSE(IsWindowVisible(hidden));
}

TEST_F(WindowTree, CreateFailsWhenTheProcedureRefuses) {
    CurrentHandler() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        if (msg == WM_CREATE) {
            r = -1;
            return true;
        }
        return false;
    };
    EXPECT_EQ(Top(0, 0, 10, 10), nullptr);
    auto destroyed = Matching(WM_NCDESTROY);
    ASSERT_EQ(destroyed.size(), 1u);
    EXPECT_FALSE(IsWindow(destroyed[0].hwnd));

    CurrentHandler() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        if (msg == WM_NCCREATE) {
            r = FALSE;
            return true;
        }
        return false;
    };
    EXPECT_EQ(Top(0, 0, 10, 10), nullptr);
}

TEST_F(WindowTree, DestroyReachesParentFirstThenChildrenAndNcDestroyChildrenFirst) {
    HWND top = Top(0, 26, 100, 100);
    HWND child = Child(top, 1, 0, 0, 50, 50);
    HWND grand = Child(child, 2, 0, 0, 20, 20);
    HWND owned = CreateWindowExW(0, kClass, L"owned", WS_POPUP, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
    ASSERT_EQ(GetWindow(owned, GW_OWNER), top);
    ClearLog();
    EXPECT_TRUE(DestroyWindow(top));
    auto seq = Sequence({WM_DESTROY, WM_NCDESTROY});
    std::vector<std::pair<HWND, UINT>> want{{owned, WM_DESTROY}, {owned, WM_NCDESTROY}, {top, WM_DESTROY},
                                            {child, WM_DESTROY},  {grand, WM_DESTROY},   {grand, WM_NCDESTROY},
                                            {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(seq, want);
    for (HWND h : {top, child, grand, owned}) EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowTree, WindowDestroyedInsideItsOwnHandler) {
    HWND top = Top(0, 26, 100, 100);
    CurrentHandler() = [](HWND h, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        if (msg == WM_APP + 1) {
            DestroyWindow(h);
            DestroyWindow(h);  // a second time while the first runs: no harm
            r = 42;
            return true;
        }
        if (msg == WM_DESTROY) PostMessageW(h, WM_APP + 2, 0, 0);  // to a window about to go
        return false;
    };
    EXPECT_EQ(SendMessageW(top, WM_APP + 1, 0, 0), 42);
    EXPECT_FALSE(IsWindow(top));
    EXPECT_EQ(device::ui::PumpUntilIdle(), 0) << "nothing is left for the dead window";
    EXPECT_EQ(MessagesOf(top, {WM_NCDESTROY}).size(), 1u);
}

TEST_F(WindowTree, DestroyedAndMadeUpHandlesGiveDefinedResults) {
    HWND top = Top(0, 26, 100, 100);
    DestroyWindow(top);
    HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0xDEAD0));
    for (HWND h : {top, bogus}) {
        SetLastError(0);
        EXPECT_EQ(SendMessageW(h, WM_APP, 0, 0), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_FALSE(PostMessageW(h, WM_APP, 0, 0));
        EXPECT_FALSE(DestroyWindow(h));
        EXPECT_FALSE(ShowWindow(h, SW_SHOW));
        EXPECT_FALSE(SetWindowPos(h, nullptr, 0, 0, 1, 1, 0));
        EXPECT_EQ(GetWindowLongW(h, GWL_STYLE), 0);
        RECT r{1, 2, 3, 4};
        EXPECT_FALSE(GetWindowRect(h, &r));
        wchar_t buf[8] = L"x";
        EXPECT_EQ(GetWindowTextW(h, buf, 8), 0);
        EXPECT_EQ(buf[0], 0);
        EXPECT_EQ(GetParent(h), nullptr);
        EXPECT_EQ(SetFocus(h), nullptr);
        EXPECT_FALSE(InvalidateRect(h, nullptr, TRUE));
        EXPECT_EQ(GetDC(h), nullptr);
        EXPECT_EQ(SetTimer(h, 1, 10, nullptr), 0u);
        MSG m{h, WM_APP, 0, 0, 0, {0, 0}};
        EXPECT_EQ(DispatchMessageW(&m), 0);
    }
    EXPECT_EQ(CreateWindowExW(0, kClass, L"", WS_CHILD, 0, 0, 1, 1, top, nullptr, nullptr, nullptr), nullptr)
        << "a child of a dead window";
}

TEST_F(WindowTree, WindowValuesSubclassingAndDialogSlots) {
    HWND top = Top(0, 26, 100, 100);
    HWND child = Child(top, 1234, 5, 6, 20, 20);
    EXPECT_EQ(GetDlgCtrlID(child), 1234);
    EXPECT_EQ(GetDlgItem(top, 1234), child);
    EXPECT_EQ(GetWindowLongW(child, GWL_ID), 1234);
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_CHILD);

    EXPECT_EQ(SetWindowLongW(top, GWL_USERDATA, 0x12345678abcdLL), 0);
    EXPECT_EQ(GetWindowLongW(top, GWL_USERDATA), 0x12345678abcdLL);
    SetWindowLongW(top, DWL_MSGRESULT, 77);
    SetWindowLongW(top, DWL_USER, reinterpret_cast<LONG_PTR>(&top));
    EXPECT_EQ(GetWindowLongW(top, DWL_MSGRESULT), 77);
    EXPECT_EQ(GetWindowLongW(top, DWL_USER), reinterpret_cast<LONG_PTR>(&top));
    SetLastError(0);
    EXPECT_EQ(GetWindowLongW(top, DLGWINDOWEXTRA), 0) << "past the extra bytes";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // Subclassing: the new procedure sees the message first and chains to the old one.
    static WNDPROC s_old = nullptr;
    static int s_seen = 0;
    s_seen = 0;
    WNDPROC sub = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_APP + 5) ++s_seen;
        return CallWindowProcW(s_old, h, m, w, l);
    };
    s_old = reinterpret_cast<WNDPROC>(SetWindowLongW(child, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(sub)));
    EXPECT_EQ(s_old, RecordingProc);
    SendMessageW(child, WM_APP + 5, 0, 0);
    EXPECT_EQ(s_seen, 1);
    EXPECT_EQ(MessagesOf(child, {WM_APP + 5}).size(), 1u);

    // Style changes are announced.
    ClearLog();
    LONG_PTR style = GetWindowLongW(child, GWL_STYLE);
    EXPECT_EQ(SetWindowLongW(child, GWL_STYLE, style | WS_BORDER), style);
    EXPECT_EQ(MessagesOf(child, {WM_STYLECHANGING, WM_STYLECHANGED}),
              (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
    RECT client;
    GetClientRect(child, &client);
    EXPECT_EQ(client.right, 18) << "a border takes a pixel each side";

    EXPECT_TRUE(SetPropW(top, L"Key", reinterpret_cast<HANDLE>(5)));
    EXPECT_EQ(GetPropW(top, L"key"), reinterpret_cast<HANDLE>(5));
    EXPECT_EQ(RemovePropW(top, L"KEY"), reinterpret_cast<HANDLE>(5));
    EXPECT_EQ(GetPropW(top, L"Key"), nullptr);
}

TEST_F(WindowTree, TextsGoThroughMessages) {
    HWND top = Top(0, 26, 100, 100);
    ClearLog();
    EXPECT_TRUE(SetWindowTextW(top, L"Hello device"));
    EXPECT_EQ(MessagesOf(top, {WM_SETTEXT}).size(), 1u);
    wchar_t buf[64];
    EXPECT_EQ(GetWindowTextW(top, buf, 64), 12);
    EXPECT_STREQ(buf, L"Hello device");
    EXPECT_EQ(GetWindowTextLengthW(top), 12);
    EXPECT_EQ(GetWindowTextW(top, buf, 6), 5) << "cut to the buffer, null included";
    EXPECT_STREQ(buf, L"Hello");
    EXPECT_EQ(GetWindowTextW(top, buf, 0), 0);
    EXPECT_EQ(FindWindowW(kClass, L"Hello device"), top);
    EXPECT_EQ(FindWindowW(L"uitestwindow", nullptr), top);
    EXPECT_EQ(FindWindowW(nullptr, L"hello device"), nullptr) << "titles compare exactly";
}

TEST_F(WindowTree, ParentAndOwnerAreDifferentLinks) {
    HWND main = Top(0, 26, 240, 294);
    HWND container = Child(main, 1000, 0, 0, 240, 260);
    HWND toolsPage = Child(container, 1, 0, 0, 240, 30);
    HWND tool = Child(container, 2, 0, 30, 240, 200);
    SetWindowLongW(tool, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(toolsPage));
    EXPECT_EQ(GetParent(tool), container);
    EXPECT_EQ(GetWindow(tool, GW_OWNER), toolsPage);
    EXPECT_TRUE(IsChild(main, tool));
    EXPECT_FALSE(IsChild(toolsPage, tool));

    HWND popup = CreateWindowExW(0, kClass, L"", WS_POPUP, 0, 0, 10, 10, tool, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), main) << "a top-level window is owned by a top-level window";
    EXPECT_EQ(GetParent(popup), main);

    // Children in z-order: the first created is on top.
    EXPECT_EQ(GetWindow(container, GW_CHILD), toolsPage);
    EXPECT_EQ(GetWindow(toolsPage, GW_HWNDNEXT), tool);
    EXPECT_EQ(GetWindow(tool, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(tool, GW_HWNDPREV), toolsPage);
}

TEST_F(WindowTree, SetWindowPosZOrderMoveSizeAndShow) {
    HWND top = Top(0, 26, 240, 294);
    HWND a = Child(top, 1, 0, 0, 50, 50);
    HWND b = Child(top, 2, 0, 0, 50, 50);
    HWND c = Child(top, 3, 0, 0, 50, 50);
    EXPECT_TRUE(SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(GetWindow(top, GW_CHILD), c);
    EXPECT_TRUE(SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);
    EXPECT_TRUE(SetWindowPos(c, a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), c);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), b);
    EXPECT_FALSE(SetWindowPos(c, top, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE)) << "insert after a non-sibling";

    ClearLog();
    EXPECT_TRUE(SetWindowPos(a, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    EXPECT_EQ(MessagesOf(a, {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}));
    RECT r;
    GetWindowRect(a, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 46);
    ClearLog();
    EXPECT_TRUE(MoveWindow(a, 10, 20, 70, 30, TRUE));
    EXPECT_EQ(MessagesOf(a, {WM_MOVE, WM_SIZE}), (std::vector<UINT>{WM_SIZE})) << "same place: no WM_MOVE";
    auto sizes = Matching(WM_SIZE);
    EXPECT_EQ(sizes.back().lParam, MAKELPARAM(70, 30));

    EXPECT_TRUE(SetWindowPos(b, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW));
    EXPECT_FALSE(IsWindowVisible(b));
    EXPECT_TRUE(SetWindowPos(b, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW));
    EXPECT_TRUE(IsWindowVisible(b));
    EXPECT_TRUE(ShowWindow(b, SW_HIDE)) << "was visible";
    EXPECT_FALSE(ShowWindow(b, SW_HIDE));
    ShowWindow(top, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(a)) << "a hidden parent hides its children";

    // Top-most windows stay above the others.
    HWND t1 = Top(0, 0, 10, 10, WS_VISIBLE | WS_POPUP, WS_EX_TOPMOST);
    HWND t2 = Top(0, 0, 10, 10);
    EXPECT_EQ(GetTopWindow(nullptr), t1);
    EXPECT_EQ(GetWindow(t1, GW_HWNDNEXT), t2);
    SetWindowPos(t2, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetTopWindow(nullptr), t2);
    EXPECT_TRUE(GetWindowLongW(t2, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WindowTree, CoordinatesThroughTheTree) {
    HWND top = Top(10, 30, 200, 200, WS_VISIBLE | WS_POPUP | WS_BORDER);
    HWND child = Child(top, 1, 5, 7, 50, 50);
    POINT p{0, 0};
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 10 + 1 + 5);
    EXPECT_EQ(p.y, 30 + 1 + 7);
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 7);
    POINT pts[2] = {{0, 0}, {3, 4}};
    MapWindowPoints(child, top, pts, 2);
    EXPECT_EQ(pts[1].x, 8);
    EXPECT_EQ(pts[1].y, 11);
    RECT r;
    GetClientRect(top, &r);
    EXPECT_EQ(r.right, 198);
    RECT adj{0, 0, 100, 100};
    AdjustWindowRectEx(&adj, WS_CAPTION, FALSE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(adj.top, -(GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CXDLGFRAME) + GetSystemMetrics(SM_CXEDGE)));
}

TEST_F(WindowTree, WindowFromPointFollowsZOrderVisibilityAndEnabling) {
    HWND main = Top(0, 26, 240, 294);
    HWND page = Child(main, 1, 0, 0, 240, 268);
    HWND lower = Child(page, 2, 0, 100, 240, 168);   // created first: on top
    HWND upper = Child(page, 3, 0, 0, 240, 200);
    HWND hidden = Child(page, 4, 0, 0, 240, 268, 0);
    SetWindowPos(hidden, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The main window's probe: (work width - 3, work height - menu height), in screen coordinates.
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    POINT probe{work.right - work.left - 3, work.bottom - work.top - GetSystemMetrics(SM_CYMENU)};
    EXPECT_EQ(WindowFromPoint(probe), lower) << "the hidden window on top is passed over";
    EXPECT_EQ(WindowFromPoint(POINT{5, 26 + 150}), lower);
    EXPECT_EQ(WindowFromPoint(POINT{5, 26 + 50}), upper);
    SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(WindowFromPoint(POINT{5, 26 + 150}), upper) << "overlap goes to the higher sibling";
    EnableWindow(upper, FALSE);
    EXPECT_EQ(WindowFromPoint(POINT{5, 26 + 150}), page) << "a disabled child's area belongs to its parent";
    EXPECT_EQ(WindowFromPoint(POINT{5, 26 + 280}), main) << "below the page: the main window";
    EXPECT_EQ(WindowFromPoint(POINT{5, 10}), nullptr) << "the taskbar is the shell's";
    EXPECT_EQ(WindowFromPoint(POINT{500, 100}), nullptr);
    // A popup above the main window takes the point.
    HWND popup = Top(200, 250, 40, 40);
    EXPECT_EQ(WindowFromPoint(POINT{220, 270}), popup);
    EXPECT_EQ(ChildWindowFromPoint(page, POINT{5, 5}), upper) << "disabled children count";
    SetWindowPos(hidden, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(ChildWindowFromPoint(page, POINT{5, 5}), hidden) << "and so do hidden ones";
    EXPECT_EQ(ChildWindowFromPointEx(page, POINT{5, 5}, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED), page)
        << "hidden and disabled children skipped: the parent itself";
    EXPECT_EQ(ChildWindowFromPointEx(page, POINT{5, 150}, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED), lower);
    EXPECT_EQ(ChildWindowFromPoint(page, POINT{-1, 5}), nullptr);
}

TEST_F(WindowTree, EnableWindowSendsEnableAndTakesTheFocus) {
    HWND top = Top(0, 26, 100, 100);
    HWND edit = Child(top, 1, 0, 0, 50, 20);
    SetFocus(edit);
    ClearLog();
    EXPECT_FALSE(EnableWindow(edit, FALSE)) << "was enabled";
    EXPECT_FALSE(IsWindowEnabled(edit));
    EXPECT_EQ(GetFocus(), nullptr);
    auto enables = Matching(WM_ENABLE);
    ASSERT_EQ(enables.size(), 1u);
    EXPECT_EQ(enables[0].wParam, static_cast<WPARAM>(FALSE));
    EXPECT_TRUE(EnableWindow(edit, TRUE));
    EXPECT_TRUE(IsWindowEnabled(edit));
}

TEST_F(WindowTree, EnumeratesChildrenDepthFirst) {
    HWND top = Top(0, 26, 100, 100);
    HWND a = Child(top, 1, 0, 0, 10, 10);
    HWND a1 = Child(a, 11, 0, 0, 5, 5);
    HWND b = Child(top, 2, 0, 0, 10, 10);
    std::vector<HWND> seen;
    EnumChildWindows(top, [](HWND h, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(seen, (std::vector<HWND>{a, a1, b}));
}

} // namespace
