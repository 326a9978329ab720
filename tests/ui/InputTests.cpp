// Focus, activation, capture, stylus and keys.

#include "UiTestSupport.h"

#include <thread>

using namespace uitest;
using device::ui::InjectKey;
using device::ui::InjectStylus;
using device::ui::StylusAction;

namespace {

class Input : public UiTest {};

TEST_F(Input, FocusMovesWithKillThenSetFocus) {
    HWND top = Top(0, 26, 100, 100);
    HWND a = Child(top, 1, 0, 0, 20, 20);
    HWND b = Child(top, 2, 30, 0, 20, 20);
    SetFocus(a);
    ClearLog();
    EXPECT_EQ(SetFocus(b), a);
    std::vector<Logged> seq;
    for (const Logged& l : Log())
        if (l.msg == WM_KILLFOCUS || l.msg == WM_SETFOCUS) seq.push_back(l);
    ASSERT_EQ(seq.size(), 2u);
    EXPECT_EQ(seq[0].hwnd, a);
    EXPECT_EQ(seq[0].msg, static_cast<UINT>(WM_KILLFOCUS));
    EXPECT_EQ(reinterpret_cast<HWND>(seq[0].wParam), b);
    EXPECT_EQ(seq[1].hwnd, b);
    EXPECT_EQ(seq[1].msg, static_cast<UINT>(WM_SETFOCUS));
    EXPECT_EQ(reinterpret_cast<HWND>(seq[1].wParam), a);
    EXPECT_EQ(GetFocus(), b);
    ClearLog();
    EXPECT_EQ(SetFocus(b), b);
    EXPECT_TRUE(Log().empty()) << "no messages when nothing changes";
    DestroyWindow(b);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Input, FocusNeverGoesToAHiddenOrDisabledWindowAndLeavesOneBeingHidden) {
    HWND top = Top(0, 26, 100, 100);
    HWND field = Child(top, 1, 0, 0, 20, 20);
    HWND hidden = Child(top, 2, 30, 0, 20, 20, 0);
    HWND disabled = Child(top, 3, 60, 0, 20, 20, WS_VISIBLE | WS_DISABLED);
    HWND panel = Child(top, 4, 0, 30, 60, 60);
    HWND inner = Child(panel, 5, 0, 0, 20, 20);
    SetFocus(field);
    EXPECT_EQ(SetFocus(hidden), nullptr);
    EXPECT_EQ(SetFocus(disabled), nullptr);
    EXPECT_EQ(GetFocus(), field) << "the focus stays where the user was";
    // A shown control of a window not shown yet may take it (a dialog placing its focus
    // before it appears).
    HWND later = Top(0, 26, 100, 100, WS_POPUP);
    HWND control = Child(later, 6, 0, 0, 20, 20);
    EXPECT_EQ(SetFocus(control), field);
    EXPECT_EQ(GetFocus(), control);

    // Hiding the focus, or a window holding it, gives the focus to the hidden window's parent.
    SetFocus(inner);
    ShowWindow(panel, SW_HIDE);
    EXPECT_EQ(GetFocus(), top);
    SetFocus(field);
    SetWindowPos(field, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
    EXPECT_EQ(GetFocus(), top);
}

TEST_F(Input, ActivationSendsActivateInactiveToTheOldWindow) {
    HWND first = Top(0, 26, 100, 100);
    HWND second = Top(0, 26, 100, 100);
    EXPECT_EQ(GetActiveWindow(), second);
    ClearLog();
    EXPECT_EQ(SetActiveWindow(first), second);
    auto acts = Matching(WM_ACTIVATE);
    ASSERT_EQ(acts.size(), 2u);
    EXPECT_EQ(acts[0].hwnd, second);
    EXPECT_EQ(LOWORD(acts[0].wParam), WA_INACTIVE);
    EXPECT_EQ(reinterpret_cast<HWND>(acts[0].lParam), first);
    EXPECT_EQ(acts[1].hwnd, first);
    EXPECT_EQ(LOWORD(acts[1].wParam), WA_ACTIVE);
    EXPECT_EQ(GetFocus(), first) << "the default handling focuses the activated window";
    EXPECT_EQ(GetTopWindow(nullptr), first) << "and it comes to the top";
    HWND dialog = CreateWindowExW(0, kClass, L"owned", WS_POPUP | WS_VISIBLE, 0, 26, 50, 50, second, nullptr, nullptr,
                                  nullptr);
    SetActiveWindow(second);
    EXPECT_EQ(GetTopWindow(nullptr), dialog) << "an owned window stays above its owner";
    EXPECT_EQ(GetWindow(dialog, GW_HWNDNEXT), second);
    SetActiveWindow(first);
    EXPECT_EQ(GetTopWindow(nullptr), first);
    // A box owned by a hidden window of second stays above second too.
    HWND hidden = CreateWindowExW(0, kClass, L"form", WS_POPUP, 0, 26, 50, 50, second, nullptr, nullptr, nullptr);
    HWND box = CreateWindowExW(0, kClass, L"box", WS_POPUP | WS_VISIBLE, 0, 60, 50, 20, hidden, nullptr, nullptr, nullptr);
    SetActiveWindow(first);
    SetActiveWindow(second);
    EXPECT_EQ(GetTopWindow(nullptr), box) << "owned through a window it owns";
    DestroyWindow(hidden);
    SetActiveWindow(first);
    // Focusing a child of another top-level window activates that window.
    HWND field = Child(second, 5, 0, 0, 10, 10);
    SetFocus(field);
    EXPECT_EQ(GetActiveWindow(), second);
    // Destroying the active window activates the next one.
    DestroyWindow(second);
    EXPECT_EQ(GetActiveWindow(), first);
}

TEST_F(Input, TapsBecomeButtonMessagesInClientCoordinates) {
    HWND top = Top(0, 26, 200, 200);
    HWND button = Child(top, 1, 50, 60, 40, 30);
    device::ui::PumpUntilIdle();
    ClearLog();
    InjectStylus(StylusAction::Down, POINT{55, 26 + 65});
    InjectStylus(StylusAction::Move, POINT{57, 26 + 66});
    InjectStylus(StylusAction::Up, POINT{58, 26 + 67});
    device::ui::PumpUntilIdle();
    auto seq = MessagesOf(button, {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP});
    EXPECT_EQ(seq, (std::vector<UINT>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}));
    auto downs = Matching(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(downs[0].lParam), 5);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 58);

    // The message position is the screen point of the message being handled.
    DWORD pos = 0;
    CurrentHandler() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_LBUTTONDOWN) pos = GetMessagePos();
        return false;
    };
    InjectStylus(StylusAction::Down, POINT{100, 150});
    InjectStylus(StylusAction::Move, POINT{10, 30});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(LOWORD(pos), 100);
    EXPECT_EQ(HIWORD(pos), 150);
    InjectStylus(StylusAction::Up, POINT{10, 30});
    device::ui::PumpUntilIdle();
}

// A tap, however it moves, and a key, with its character, each begin one user action when they
// are taken from the queue; the program's own messages begin none.
TEST_F(Input, EachTapOrKeyBeginsOneUserAction) {
    HWND top = Top(0, 26, 200, 200);
    SetFocus(top);
    device::ui::PumpUntilIdle();
    const uint64_t start = device::ui::UserActionSerial();
    InjectStylus(StylusAction::Down, POINT{55, 26 + 65});
    InjectStylus(StylusAction::Move, POINT{57, 26 + 66});
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(device::ui::UserActionSerial(), start) << "only taken input counts";
    InjectStylus(StylusAction::Up, POINT{58, 26 + 67});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(device::ui::UserActionSerial(), start + 1);
    InjectKey(VK_LEFT, true);
    InjectKey(VK_LEFT, false);
    PostMessageW(top, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(top, WM_COMMAND, 1, 0);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(device::ui::UserActionSerial(), start + 2);
}

TEST_F(Input, DoubleTapsNeedTheClassStyle) {
    HWND top = Top(0, 26, 200, 200);
    device::ui::PumpUntilIdle();
    ClearLog();
    for (int i = 0; i < 2; ++i) {
        InjectStylus(StylusAction::Down, POINT{20, 50});
        InjectStylus(StylusAction::Up, POINT{20, 50});
    }
    device::ui::PumpUntilIdle();
    EXPECT_EQ(MessagesOf(top, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONUP}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));

    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"NoDoubleClicks";
    RegisterClassW(&wc);
    HWND plain = CreateWindowExW(0, L"NoDoubleClicks", L"", WS_POPUP | WS_VISIBLE, 0, 26, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    device::ui::PumpUntilIdle();
    ClearLog();
    for (int i = 0; i < 2; ++i) {
        InjectStylus(StylusAction::Down, POINT{20, 50});
        InjectStylus(StylusAction::Up, POINT{20, 50});
    }
    device::ui::PumpUntilIdle();
    EXPECT_EQ(MessagesOf(plain, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST_F(Input, CaptureTakesTheStylusEverywhere) {
    HWND top = Top(0, 26, 200, 200);
    HWND a = Child(top, 1, 0, 0, 50, 50);
    HWND b = Child(top, 2, 100, 100, 50, 50);
    device::ui::PumpUntilIdle();
    SetCapture(a);
    ClearLog();
    InjectStylus(StylusAction::Down, POINT{120, 26 + 120});
    InjectStylus(StylusAction::Up, POINT{120, 26 + 120});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(MessagesOf(a, {WM_LBUTTONDOWN, WM_LBUTTONUP}).size(), 2u);
    EXPECT_TRUE(MessagesOf(b, {WM_LBUTTONDOWN}).empty());
    auto downs = Matching(WM_LBUTTONDOWN);
    EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), 120) << "coordinates relative to the capture window";
    ClearLog();
    ReleaseCapture();
    EXPECT_EQ(MessagesOf(a, {WM_CAPTURECHANGED}).size(), 1u);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Input, WithoutCaptureTheStylusGoesToTheWindowUnderIt) {
    HWND top = Top(0, 26, 200, 200);
    HWND a = Child(top, 1, 0, 0, 50, 50);
    HWND b = Child(top, 2, 100, 100, 50, 50);
    device::ui::PumpUntilIdle();
    ClearLog();
    InjectStylus(StylusAction::Down, POINT{10, 26 + 10});
    InjectStylus(StylusAction::Move, POINT{110, 26 + 110});
    InjectStylus(StylusAction::Up, POINT{110, 26 + 110});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(MessagesOf(a, {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}), (std::vector<UINT>{WM_LBUTTONDOWN}));
    EXPECT_EQ(MessagesOf(b, {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}),
              (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONUP}));
    auto moves = Matching(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].wParam, static_cast<WPARAM>(MK_LBUTTON)) << "the stylus is still down";
    EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 10);
}

TEST_F(Input, KeysGoToTheFocusAndTranslateIntoCharacters) {
    HWND top = Top(0, 26, 200, 200);
    HWND edit = Child(top, 1, 0, 0, 100, 20);
    SetFocus(edit);
    device::ui::PumpUntilIdle();
    ClearLog();
    device::ui::InjectText(L"aB1\n");
    device::ui::PumpUntilIdle();
    std::wstring chars;
    for (const Logged& l : Matching(WM_CHAR)) {
        EXPECT_EQ(l.hwnd, edit);
        chars.push_back(static_cast<wchar_t>(l.wParam));
    }
    EXPECT_EQ(chars, L"aB1\r");
    auto seq = MessagesOf(edit, {WM_KEYDOWN, WM_CHAR, WM_KEYUP});
    ASSERT_GE(seq.size(), 3u);
    EXPECT_EQ(seq[0], static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(seq[1], static_cast<UINT>(WM_CHAR)) << "the character comes right after its key";
    EXPECT_EQ(seq[2], static_cast<UINT>(WM_KEYUP));
    auto downs = Matching(WM_KEYDOWN);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(downs[3].wParam, static_cast<WPARAM>(VK_RETURN));

    // Keys without a character make none.
    ClearLog();
    InjectKey(VK_LEFT, true);
    InjectKey(VK_LEFT, false);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(Matching(WM_CHAR).empty());
    EXPECT_EQ(Matching(WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(GetKeyState(VK_LEFT) & 0x8000, 0);
}

TEST_F(Input, HelpKeyAsksTheActiveTopLevelWindowForHelpAndTypesNothing) {
    HWND other = Top(0, 26, 100, 100);
    HWND top = Top(0, 26, 100, 100);
    HWND field = Child(top, 1, 0, 0, 20, 20);
    SetFocus(field);
    ASSERT_EQ(GetActiveWindow(), top);
    device::ui::PumpUntilIdle();
    ClearLog();
    InjectKey(VK_F1, true);
    InjectKey(VK_F1, true); // held down: the key repeats
    InjectKey(VK_F1, false);
    device::ui::PumpUntilIdle();
    auto help = Matching(WM_HELP);
    ASSERT_EQ(help.size(), 1u) << "once per press, not on repeats nor on release";
    EXPECT_EQ(help[0].hwnd, top) << "the active window, not the focused field nor another window";
    EXPECT_EQ(help[0].lParam, 0);
    EXPECT_TRUE(Matching(WM_KEYDOWN).empty());
    EXPECT_TRUE(Matching(WM_KEYUP).empty());
    EXPECT_TRUE(Matching(WM_CHAR).empty());

    // With no active window the key does nothing.
    DestroyWindow(top);
    DestroyWindow(other);
    ASSERT_EQ(GetActiveWindow(), nullptr);
    ClearLog();
    InjectKey(VK_F1, true);
    InjectKey(VK_F1, false);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(Matching(WM_HELP).empty());
}

TEST_F(Input, BusyCursorAndBeep) {
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    ASSERT_NE(wait, nullptr);
    HCURSOR old = SetCursor(wait);
    EXPECT_TRUE(device::ui::IsBusyCursor());
    SetCursor(old);
    EXPECT_FALSE(device::ui::IsBusyCursor());
    int before = device::ui::BeepCount();
    MessageBeep(static_cast<UINT>(-1));
    EXPECT_EQ(device::ui::BeepCount(), before + 1);
}

} // namespace
