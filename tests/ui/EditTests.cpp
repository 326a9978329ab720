// The edit control: notifications in order for typed and programmatic changes, re-entrant
// handlers, the digits-only filter, undo, the limit, the clipboard, selection and alignment.

#include "UiTestSupport.h"
#include "platform/ui/Controls.h"

#include <cstring>
#include <string>

using namespace uitest;

namespace {

class EditTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        device::ui::RegisterBasicControlClasses();
        parent = Top(0, 30, 240, 200);
    }
    HWND MakeEdit(int id, DWORD style = 0, const wchar_t* text = L"", int y = 10) {
        return CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | WS_BORDER | style, 10, y, 150, 20, parent,
                               reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    }
    static std::wstring Text(HWND h) {
        wchar_t buf[256] = {};
        GetWindowTextW(h, buf, 256);
        return buf;
    }
    // The notification codes the parent received from control id, in order.
    std::vector<int> Codes(int id) {
        std::vector<int> out;
        for (const Logged& l : Matching(WM_COMMAND))
            if (l.hwnd == parent && LOWORD(l.wParam) == id) out.push_back(HIWORD(l.wParam));
        return out;
    }
    void Focus(HWND h) {
        SetFocus(h);
        device::ui::PumpUntilIdle();
    }
    HWND parent = nullptr;
};

TEST_F(EditTest, TypedAndProgrammaticChangesSendUpdateThenChange) {
    HWND e = MakeEdit(100);
    Focus(e);
    ClearLog();
    device::ui::InjectText(L"ab");
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Text(e), L"ab");
    EXPECT_EQ(Codes(100), (std::vector<int>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
    ClearLog();
    SetWindowTextW(e, L"xyz");
    EXPECT_EQ(Codes(100), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    EXPECT_EQ(Text(e), L"xyz");
    EXPECT_EQ(GetWindowTextLengthW(e), 3);
}

TEST_F(EditTest, CreationTextIsQuietAndFocusIsReported) {
    HWND e = MakeEdit(101, 0, L"start");
    EXPECT_EQ(Text(e), L"start");
    EXPECT_TRUE(Codes(101).empty());
    HWND other = MakeEdit(102, 0, L"", 40);
    Focus(e);
    Focus(other);
    EXPECT_EQ(Codes(101), (std::vector<int>{EN_SETFOCUS, EN_KILLFOCUS}));
    EXPECT_EQ(Codes(102), (std::vector<int>{EN_SETFOCUS}));
}

TEST_F(EditTest, ReentrantHandlersTwoLevelsDeep) {
    // As a converter does: a change of field A writes B, whose change writes C; C's own change
    // handler fixes its own text once.
    HWND a = MakeEdit(1, 0, L"", 10);
    HWND b = MakeEdit(2, 0, L"", 40);
    HWND c = MakeEdit(3, 0, L"", 70);
    std::vector<std::pair<int, int>> order;
    CurrentHandler() = [&](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT&) {
        if (msg != WM_COMMAND) return false;
        int id = LOWORD(wp), code = HIWORD(wp);
        order.emplace_back(id, code);
        if (code != EN_CHANGE) return true;
        if (id == 1) SetWindowTextW(b, (L"b" + Text(a)).c_str());
        if (id == 2) SetWindowTextW(c, (L"c" + Text(b)).c_str());
        if (id == 3 && Text(c).back() != L'!') SetWindowTextW(c, (Text(c) + L"!").c_str());
        return true;
    };
    Focus(a);
    order.clear();
    device::ui::InjectText(L"7");
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Text(a), L"7");
    EXPECT_EQ(Text(b), L"b7");
    EXPECT_EQ(Text(c), L"cb7!");
    std::vector<std::pair<int, int>> expected = {
        {1, EN_UPDATE}, {1, EN_CHANGE}, {2, EN_UPDATE}, {2, EN_CHANGE}, {3, EN_UPDATE},
        {3, EN_CHANGE}, {3, EN_UPDATE}, {3, EN_CHANGE}};
    EXPECT_EQ(order, expected);
}

TEST_F(EditTest, UpdateHandlerRewritingItsOwnTextKeepsCaretWhereItPutsIt) {
    HWND e = MakeEdit(5);
    CurrentHandler() = [&](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT&) {
        if (msg == WM_COMMAND && HIWORD(wp) == EN_UPDATE) {
            std::wstring t = Text(e);
            size_t bad = t.find(L'x');
            if (bad != std::wstring::npos) {
                t.erase(bad, 1);
                SetWindowTextW(e, t.c_str());
                SendMessageW(e, EM_SETSEL, t.size(), t.size());
            }
            return true;
        }
        return false;
    };
    Focus(e);
    device::ui::InjectText(L"1x2");
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Text(e), L"12");
    DWORD s = 0, t = 0;
    SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&t));
    EXPECT_EQ(s, 2u);
    EXPECT_EQ(t, 2u);
}

TEST_F(EditTest, HandlerDestroyingTheFieldInItsNotification) {
    HWND e = MakeEdit(6);
    CurrentHandler() = [&](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT&) {
        if (msg == WM_COMMAND && HIWORD(wp) == EN_UPDATE) DestroyWindow(e);
        return msg == WM_COMMAND;
    };
    Focus(e);
    // One key: characters queued for a window that is gone would linger in the key queue.
    device::ui::InjectText(L"a");
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(IsWindow(e));
    // The change was reported up to the point the field went away, and nothing after.
    EXPECT_EQ(Codes(6), (std::vector<int>{EN_SETFOCUS, EN_UPDATE}));
}

TEST_F(EditTest, NumberFieldRejectsNonDigitsWithABeep) {
    HWND e = MakeEdit(7, ES_NUMBER);
    Focus(e);
    int beeps = device::ui::BeepCount();
    device::ui::InjectText(L"1a2-3.");
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Text(e), L"123");
    EXPECT_EQ(device::ui::BeepCount() - beeps, 3);
    // The program may still set any text.
    SetWindowTextW(e, L"-4.5");
    EXPECT_EQ(Text(e), L"-4.5");
}

TEST_F(EditTest, UndoAfterTypingAndAfterPaste) {
    HWND e = MakeEdit(8, ES_AUTOHSCROLL, L"12");
    Focus(e);
    SendMessageW(e, EM_SETSEL, 2, 2);
    EXPECT_FALSE(SendMessageW(e, EM_CANUNDO, 0, 0));
    EXPECT_FALSE(SendMessageW(e, EM_GETMODIFY, 0, 0));
    device::ui::InjectText(L"345");
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(SendMessageW(e, EM_GETMODIFY, 0, 0));
    ASSERT_TRUE(SendMessageW(e, EM_CANUNDO, 0, 0));
    ClearLog();
    EXPECT_TRUE(SendMessageW(e, EM_UNDO, 0, 0));
    EXPECT_EQ(Text(e), L"12");  // the whole run of typing undoes at once
    EXPECT_EQ(Codes(8), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    SendMessageW(e, EM_UNDO, 0, 0);  // undoing the undo brings it back
    EXPECT_EQ(Text(e), L"12345");

    ASSERT_TRUE(device::ui::SetClipboardText(nullptr, L"ab"));
    SendMessageW(e, EM_SETSEL, 0, 2);
    SendMessageW(e, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(e), L"ab345");
    SendMessageW(e, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(e), L"12345");

    SendMessageW(e, EM_EMPTYUNDOBUFFER, 0, 0);
    EXPECT_FALSE(SendMessageW(e, EM_CANUNDO, 0, 0));
    EXPECT_FALSE(SendMessageW(e, EM_UNDO, 0, 0));
    // Setting the text is not undoable and clears the modified flag.
    device::ui::InjectText(L"9");
    device::ui::PumpUntilIdle();
    SetWindowTextW(e, L"new");
    EXPECT_FALSE(SendMessageW(e, EM_CANUNDO, 0, 0));
    EXPECT_FALSE(SendMessageW(e, EM_GETMODIFY, 0, 0));
}

TEST_F(EditTest, CutCopyPasteClearThroughTheClipboard) {
    HWND e = MakeEdit(9, ES_AUTOHSCROLL, L"hello world");
    SendMessageW(e, EM_SETSEL, 0, 5);
    SendMessageW(e, WM_COPY, 0, 0);
    std::wstring clip;
    ASSERT_TRUE(device::ui::GetClipboardText(clip));
    EXPECT_EQ(clip, L"hello");
    SendMessageW(e, EM_SETSEL, 5, -1);
    SendMessageW(e, WM_CUT, 0, 0);
    EXPECT_EQ(Text(e), L"hello");
    ASSERT_TRUE(device::ui::GetClipboardText(clip));
    EXPECT_EQ(clip, L" world");
    SendMessageW(e, EM_SETSEL, 0, 0);
    SendMessageW(e, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(e), L" worldhello");
    SendMessageW(e, EM_SETSEL, 0, 6);
    SendMessageW(e, WM_CLEAR, 0, 0);
    EXPECT_EQ(Text(e), L"hello");
    // A single-line field takes the clipboard's first line only.
    device::ui::SetClipboardText(nullptr, L"one\r\ntwo");
    SendMessageW(e, EM_SETSEL, 0, -1);
    SendMessageW(e, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(e), L"one");
    // Read-only fields copy but do not change.
    SendMessageW(e, EM_SETREADONLY, TRUE, 0);
    SendMessageW(e, EM_SETSEL, 0, -1);
    SendMessageW(e, WM_CUT, 0, 0);
    EXPECT_EQ(Text(e), L"one");
}

TEST_F(EditTest, LimitStopsTypingAndPastingButNotSetText) {
    HWND e = MakeEdit(10, ES_AUTOHSCROLL);
    SendMessageW(e, EM_LIMITTEXT, 4, 0);
    EXPECT_EQ(SendMessageW(e, EM_GETLIMITTEXT, 0, 0), 4);
    Focus(e);
    ClearLog();
    device::ui::InjectText(L"123456");
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Text(e), L"1234");
    auto codes = Codes(10);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EN_MAXTEXT), 2);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EN_CHANGE), 4);
    device::ui::SetClipboardText(nullptr, L"abcdef");
    SendMessageW(e, EM_SETSEL, 2, 3);
    SendMessageW(e, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(e), L"12a4");
    SetWindowTextW(e, L"longer than four");
    EXPECT_EQ(Text(e), L"longer than four");
}

TEST_F(EditTest, SelectionMessagesClampAndKeysMoveTheCaret) {
    HWND e = MakeEdit(11, ES_AUTOHSCROLL, L"abcdef");
    DWORD s = 0, t = 0;
    SendMessageW(e, EM_SETSEL, 2, 100);
    SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&t));
    EXPECT_EQ(s, 2u);
    EXPECT_EQ(t, 6u);
    SendMessageW(e, EM_SETSEL, 0, -1);
    EXPECT_EQ(SendMessageW(e, EM_GETSEL, 0, 0), MAKELRESULT(0, 6));
    SendMessageW(e, EM_SETSEL, 5, 1);  // a backward selection reports low to high
    EXPECT_EQ(SendMessageW(e, EM_GETSEL, 0, 0), MAKELRESULT(1, 5));
    SendMessageW(e, EM_GETSEL, 0, 0);  // null pointers are fine
    Focus(e);
    SendMessageW(e, EM_SETSEL, 3, 3);
    device::ui::InjectKey(VK_BACK, true, L'\b');
    device::ui::InjectKey(VK_BACK, false, L'\b');
    device::ui::InjectKey(VK_DELETE, true);
    device::ui::InjectKey(VK_DELETE, false);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Text(e), L"abef");
    device::ui::InjectKey(VK_HOME, true);
    device::ui::InjectKey(VK_HOME, false);
    device::ui::InjectText(L"<");
    device::ui::InjectKey(VK_END, true);
    device::ui::InjectKey(VK_END, false);
    device::ui::InjectText(L">");
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Text(e), L"<abef>");
    SendMessageW(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(nullptr)));
    EXPECT_EQ(Text(e), L"<abef>");
}

TEST_F(EditTest, StylusTapPlacesCaretAndDragSelects) {
    HWND e = MakeEdit(12, ES_AUTOHSCROLL, L"iiiiiiii");
    RECT r;
    GetWindowRect(e, &r);
    device::ui::InjectStylus(device::ui::StylusAction::Down, POINT{r.left + 2, r.top + 8});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(GetFocus(), e);
    device::ui::InjectStylus(device::ui::StylusAction::Move, POINT{r.right - 4, r.top + 8});
    device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{r.right - 4, r.top + 8});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(SendMessageW(e, EM_GETSEL, 0, 0), MAKELRESULT(0, 8));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditTest, MultiLineCountsWrapsAndScrolls) {
    HWND e = CreateWindowExW(0, L"EDIT", L"one\r\ntwo\r\nthree", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 200, 40,
                             parent, reinterpret_cast<HMENU>(13), nullptr, nullptr);
    EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, 2, 0), 10);
    EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, 7, 0), -1);
    EXPECT_EQ(SendMessageW(e, EM_LINELENGTH, 10, 0), 5);
    EXPECT_EQ(SendMessageW(e, EM_LINEFROMCHAR, 6, 0), 1);
    WCHAR buf[8] = {};
    const WORD room = 8; // the buffer's size goes in its first WORD
    std::memcpy(buf, &room, sizeof room);
    EXPECT_EQ(SendMessageW(e, EM_GETLINE, 1, reinterpret_cast<LPARAM>(buf)), 3);
    EXPECT_EQ(std::wstring(buf, 3), L"two");
    EXPECT_EQ(SendMessageW(e, EM_GETLINE, 9, reinterpret_cast<LPARAM>(buf)), 0);
    SendMessageW(e, EM_LINESCROLL, 0, 2);
    EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 2);
    SendMessageW(e, EM_LINESCROLL, 0, -10);
    EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    // Long text wraps at the width without sideways scrolling.
    SetWindowTextW(e, L"a long line of words that will certainly not fit in two hundred pixels across");
    EXPECT_GT(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 1);
    // The caret's line is brought into view.
    SendMessageW(e, EM_SETSEL, 70, 70);
    SendMessageW(e, EM_SCROLLCARET, 0, 0);
    EXPECT_GT(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(EditTest, AlignmentChangesAtRunTime) {
    HWND e = MakeEdit(14, ES_AUTOHSCROLL, L"42");
    EXPECT_LT(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0)), 10);
    SetWindowLongW(e, GWL_STYLE, (GetWindowLongW(e, GWL_STYLE) & ~0x3) | ES_RIGHT);
    EXPECT_GT(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0)), 100);
    SetWindowLongW(e, GWL_STYLE, (GetWindowLongW(e, GWL_STYLE) & ~0x3) | ES_CENTER);
    int centred = LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0));
    EXPECT_GT(centred, 50);
    EXPECT_LT(centred, 80);
}

TEST_F(EditTest, MarginsMoveTheTextAndRewrapIt) {
    HWND e = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 200, 60, parent,
                             reinterpret_cast<HMENU>(15), nullptr, nullptr);
    RECT client{}, format{};
    GetClientRect(e, &client);
    SendMessageW(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int left = format.left, right = client.right - format.right;
    EXPECT_GT(left, 0) << "some room between the border and the text by default";
    EXPECT_EQ(SendMessageW(e, EM_GETMARGINS, 0, 0), MAKELRESULT(left, right));
    // Words that fill about one and a half lines at the default margins.
    std::wstring text;
    for (int i = 0; i < 100; ++i) {
        SetWindowTextW(e, (text + L"word ").c_str());
        if (SendMessageW(e, EM_GETLINECOUNT, 0, 0) > 1) break;
        text += L"word ";
    }
    text += L"word word word";
    SetWindowTextW(e, text.c_str());
    const LRESULT lines = SendMessageW(e, EM_GETLINECOUNT, 0, 0);
    ASSERT_EQ(lines, 2);
    const int firstX = LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0));

    // Wide margins on both sides: the text starts further in and wraps at the narrower width.
    SendMessageW(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(40, 50));
    EXPECT_EQ(SendMessageW(e, EM_GETMARGINS, 0, 0), MAKELRESULT(40, 50));
    SendMessageW(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.left, 40);
    EXPECT_EQ(format.right, client.right - 50);
    EXPECT_EQ(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0)), firstX - left + 40);
    EXPECT_GT(SendMessageW(e, EM_GETLINECOUNT, 0, 0), lines) << "the text wraps at the new width";

    // One side alone; no margins at all puts the text against the borders, in as many lines as at first.
    SendMessageW(e, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(99, 0));
    EXPECT_EQ(SendMessageW(e, EM_GETMARGINS, 0, 0), MAKELRESULT(40, 0)) << "only the right margin changed";
    SendMessageW(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    EXPECT_EQ(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0)), firstX - left);
    EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), lines);
}

TEST_F(EditTest, CaretShowsWhileFocusedAndHideCaretHidesIt) {
    HWND e = MakeEdit(15, ES_AUTOHSCROLL, L"abc");
    RECT caret;
    EXPECT_FALSE(device::ui::VisibleCaretRect(e, caret));
    Focus(e);
    SendMessageW(e, EM_SETSEL, 3, 3);
    ASSERT_TRUE(device::ui::VisibleCaretRect(e, caret));
    POINT pos;
    ASSERT_TRUE(GetCaretPos(&pos));
    EXPECT_EQ(pos.x, LOWORD(SendMessageW(e, EM_POSFROMCHAR, 3, 0)));
    EXPECT_TRUE(HideCaret(e));
    EXPECT_FALSE(device::ui::VisibleCaretRect(e, caret));
    EXPECT_TRUE(ShowCaret(e));
    EXPECT_TRUE(device::ui::VisibleCaretRect(e, caret));
    EXPECT_FALSE(HideCaret(parent));  // not the caret's owner
    SetFocus(parent);
    EXPECT_FALSE(device::ui::VisibleCaretRect(e, caret));
    EXPECT_FALSE(GetCaretPos(&pos));
}

TEST_F(EditTest, UpperCaseAndPasswordFields) {
    HWND up = MakeEdit(16, ES_UPPERCASE | ES_AUTOHSCROLL);
    Focus(up);
    device::ui::InjectText(L"abc");
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Text(up), L"ABC");
    HWND pw = MakeEdit(17, ES_PASSWORD | ES_AUTOHSCROLL, L"secret", 40);
    EXPECT_EQ(SendMessageW(pw, EM_GETPASSWORDCHAR, 0, 0), L'*');
    device::ui::SetClipboardText(nullptr, L"before");
    SendMessageW(pw, EM_SETSEL, 0, -1);
    SendMessageW(pw, WM_COPY, 0, 0);
    std::wstring clip;
    device::ui::GetClipboardText(clip);
    EXPECT_EQ(clip, L"before");  // a password never reaches the clipboard
}

} // namespace
