// Message boxes: scripted answers and records for headless tests, and the box itself driven by
// keys and taps.
#include "DialogTestSupport.h"

#include "platform/base/Utf8.h"
#include "platform/gdi/Recorder.h"
#include "platform/system/ProgramPath.h"

#include <memory>

using namespace dlgtest;
using device::ui::MessageBoxRecords;
using device::ui::ScriptMessageBoxAnswers;

namespace {

class MessageBoxTest : public DialogTest {
protected:
    void TearDown() override {
        device::SetModuleDevicePath(L"");
        DialogTest::TearDown();
    }
    // Runs f from inside the next message loop (the message box's own).
    void DuringTheBox(std::function<void(HWND box)> f) {
        helper = Top(0, 0, 10, 10, WS_POPUP);
        uitest::CurrentHandler() = [f](HWND, UINT msg, WPARAM, LPARAM, LRESULT&) {
            if (msg != WM_APP) return false;
            f(device::ui::CurrentMessageBox());
            return true;
        };
        PostMessageW(helper, WM_APP, 0, 0);
    }
    static void Press(UINT vk) {
        device::ui::InjectKey(vk, true);
        device::ui::InjectKey(vk, false);
    }
    HWND helper = nullptr;
};

std::vector<int> ButtonIds(HWND box) {
    std::vector<int> ids;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ids.push_back(GetDlgCtrlID(c));
    return ids;
}

} // namespace

TEST_F(MessageBoxTest, ScriptedAnswersAreReturnedAndEveryBoxRecorded) {
    WCHAR text[128];
    ASSERT_GT(LoadStringW(Module(), 32996, text, 128), 0);
    HWND main = Top(0, 26, 240, 294, WS_VISIBLE | WS_POPUP | WS_CAPTION);
    SetWindowTextW(main, L"Jorvana Main");
    HWND child = Child(main, 5, 0, 0, 20, 20);
    device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");

    ScriptMessageBoxAnswers({IDOK, IDNO, IDCANCEL});
    EXPECT_EQ(MessageBoxW(child, text, nullptr, MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"Delete?", nullptr, MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBoxW(main, L"Go on?", L"Quillmoor", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(device::ui::PendingMessageBoxAnswers(), 0u);

    auto records = MessageBoxRecords();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].text, L"Cities file not found\nDatabase not created!");
    EXPECT_EQ(records[0].caption, L"Jorvana Main"); // the owner's caption, through its child
    EXPECT_EQ(records[0].owner, child);
    EXPECT_EQ(records[0].type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(records[0].answer, IDOK);
    EXPECT_EQ(records[1].caption, L"Jorvana"); // no owner: the application's name
    EXPECT_EQ(records[1].answer, IDNO);
    EXPECT_EQ(records[2].caption, L"Quillmoor");
    EXPECT_EQ(device::ui::CurrentMessageBox(), nullptr); // scripted boxes are never shown
}

TEST_F(MessageBoxTest, AnAnswerTheBoxCannotGiveIsRefused) {
    ScriptMessageBoxAnswers({IDYES});
    EXPECT_EQ(MessageBoxW(nullptr, L"Saved.", L"Note", MB_OK), 0);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].answer, 0);
    EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(0x1234), L"x", L"y", MB_OK), 0); // bad owner
}

TEST_F(MessageBoxTest, EnterPressesTheDefaultButtonOfTheShownBox) {
    HWND owner = Top(0, 26, 240, 200, WS_VISIBLE | WS_POPUP);
    bool ownerDisabled = false;
    std::vector<int> ids;
    std::wstring caption;
    RECT boxRect{};
    DuringTheBox([&](HWND box) {
        ASSERT_NE(box, nullptr);
        ids = ButtonIds(box);
        WCHAR buf[64];
        GetWindowTextW(box, buf, 64);
        caption = buf;
        GetWindowRect(box, &boxRect);
        ownerDisabled = !IsWindowEnabled(owner);
        Press(VK_RETURN);
    });
    EXPECT_EQ(MessageBoxW(owner, L"Replace the file?", L"Files", MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING), IDNO);
    EXPECT_EQ(ids, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(caption, L"Files");
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(device::ui::CurrentMessageBox(), nullptr);
    // Sized to its text, on the screen.
    EXPECT_GE(boxRect.left, 0);
    EXPECT_LE(boxRect.right, 240);
    EXPECT_GT(boxRect.right - boxRect.left, 100);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].answer, IDNO);
}

TEST_F(MessageBoxTest, EscapeAnswersCancelOrOkAndIsIgnoredByYesNo) {
    DuringTheBox([](HWND) { Press(VK_ESCAPE); });
    EXPECT_EQ(MessageBoxW(nullptr, L"a", L"b", MB_OKCANCEL), IDCANCEL);
    DuringTheBox([](HWND) { Press(VK_ESCAPE); });
    EXPECT_EQ(MessageBoxW(nullptr, L"a", L"b", MB_OK | MB_ICONINFORMATION), IDOK);
    DuringTheBox([](HWND) {
        Press(VK_ESCAPE); // nothing
        Press(VK_TAB);    // Yes -> No
        Press(VK_RETURN);
    });
    EXPECT_EQ(MessageBoxW(nullptr, L"a", L"b", MB_YESNO), IDNO);
}

TEST_F(MessageBoxTest, TappingAButtonAnswersIt) {
    DuringTheBox([](HWND box) {
        HWND retry = GetDlgItem(box, IDRETRY);
        ASSERT_NE(retry, nullptr);
        device::ui::PumpUntilIdle();
        RECT r;
        GetWindowRect(retry, &r);
        POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        device::ui::InjectStylus(device::ui::StylusAction::Down, at);
        device::ui::InjectStylus(device::ui::StylusAction::Up, at);
    });
    EXPECT_EQ(MessageBoxW(nullptr, L"Connection lost.", nullptr, MB_RETRYCANCEL | MB_TOPMOST), IDRETRY);
}

TEST_F(MessageBoxTest, TheBoxStaysOnTheScreenWhenItTurnsAndAboveARaisedPanel) {
    device::ui::SetScreenShape(240, 320);
    RECT turned{}, raised{}, button{};
    DuringTheBox([&](HWND box) {
        device::ui::PumpUntilIdle();
        device::ui::RotateScreen();
        device::ui::PumpUntilIdle();
        GetWindowRect(box, &turned);
        device::ui::SetSipUp(true);
        device::ui::PumpUntilIdle();
        GetWindowRect(box, &raised);
        GetWindowRect(GetDlgItem(box, IDOK), &button);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    MessageBoxW(nullptr, L"The rates could not be updated. Check the connection and try again later.", L"Rates",
                MB_OK | MB_ICONEXCLAMATION);
    const RECT work = device::ui::WorkArea();
    // Landscape now: centred across the new width, its buttons above the screen's bottom edge.
    EXPECT_EQ(turned.left - work.left, work.right - turned.right);
    EXPECT_GE(turned.top, work.top);
    EXPECT_LE(turned.bottom, 240);
    EXPECT_LE(raised.bottom, device::ui::SipRect().top);
    EXPECT_LE(button.bottom, device::ui::SipRect().top);
    device::ui::SetSipUp(false);
}

// A box with more lines than a square screen's work area holds keeps its buttons on the screen,
// its text whole inside it.
TEST_F(MessageBoxTest, ATallBoxOnASquareScreenKeepsItsButtonsOnTheScreen) {
    device::ui::SetScreenShape(240, 240);
    RECT boxRect{}, yes{}, client{};
    RECT text{};
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    device::gdi::SetDefaultRecorder(recorder);
    DuringTheBox([&](HWND box) {
        device::ui::PumpUntilIdle();
        GetWindowRect(box, &boxRect);
        GetWindowRect(GetDlgItem(box, IDYES), &yes);
        GetClientRect(box, &client);
        for (const auto& call : recorder->Calls("DrawText"))
            if (call.text.find(L"City:") == 0) text = call.rect;
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    MessageBoxW(nullptr,
                L"City: New York\nCountry: United States of America\nLong: -74 Lat: 41\nDaylight saving: Not "
                L"observing now\nDST start/end: 8/3/2026 - 1/11/2026\nGmt: -5h\n\nShow sunrise and sunset?",
                L"City information", MB_YESNO | MB_ICONINFORMATION);
    device::gdi::SetDefaultRecorder(nullptr);
    EXPECT_GE(boxRect.top, 0);
    EXPECT_LE(yes.bottom, 240);
    EXPECT_LE(text.bottom, client.bottom);
    device::ui::SetScreenShape(240, 320);
}

// A word wider than the box may be (a long path) is broken, at a folder's end where it can be:
// every piece drawn fits the box, and together they read the whole path.
TEST_F(MessageBoxTest, AWordTooWideForTheBoxIsBrokenNotCut) {
    device::ui::SetScreenShape(240, 320);
    const std::wstring text =
        L"today-host cannot keep its data in /tmp/a-rather-long-folder-name/with-another-long-part/device.db and "
        L"will close.";
    const std::wstring path = L"/tmp/a-rather-long-folder-name/with-another-long-part/device.db";
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    device::gdi::SetDefaultRecorder(recorder);
    std::vector<std::wstring> lines; // the words drawn
    bool allFit = true;
    RECT boxRect{};
    DuringTheBox([&](HWND box) {
        device::ui::PumpUntilIdle();
        GetWindowRect(box, &boxRect);
        HDC dc = GetDC(box);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
        for (const auto& call : recorder->Calls("DrawText")) {
            if (call.text.find(L"cannot keep") == std::wstring::npos) continue;
            // The word wrap breaks between words only: each word must fit the rectangle.
            size_t start = 0;
            for (size_t i = 0; i <= call.text.size(); ++i) {
                if (i < call.text.size() && call.text[i] != L'\n' && call.text[i] != L' ') continue;
                const std::wstring word = call.text.substr(start, i - start);
                SIZE size{};
                GetTextExtentPoint32W(dc, word.c_str(), static_cast<int>(word.size()), &size);
                if (size.cx > call.rect.right - call.rect.left) allFit = false;
                lines.push_back(word);
                start = i + 1;
            }
            break;
        }
        SelectObject(dc, old);
        ReleaseDC(box, dc);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    MessageBoxW(nullptr, text.c_str(), L"today-host", MB_OK | MB_ICONSTOP);
    device::gdi::SetDefaultRecorder(nullptr);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(allFit);
    EXPECT_LE(boxRect.right, 240);
    std::wstring joined;
    for (const auto& word : lines) joined += word;
    EXPECT_NE(joined.find(path), std::wstring::npos) << device::ToUtf8(joined);
    EXPECT_EQ(MessageBoxRecords().back().text, text) << "the record keeps the text as given";
}

TEST_F(MessageBoxTest, TheWaitCursorGivesWayWhileABoxWaitsForTheUser) {
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), wait = LoadCursorW(nullptr, IDC_WAIT);
    SetCursor(wait);
    bool busyDuringBox = true;
    DuringTheBox([&](HWND) {
        busyDuringBox = device::ui::IsBusyCursor();
        Press(VK_RETURN);
    });
    EXPECT_EQ(MessageBoxW(nullptr, L"The feed server did not answer.", nullptr, MB_OK), IDOK);
    EXPECT_FALSE(busyDuringBox);
    // The work goes on after the answer: the wait cursor is back.
    EXPECT_TRUE(device::ui::IsBusyCursor());
    EXPECT_EQ(GetCursor(), wait);

    // A handler that ended the wait while the box showed keeps its cursor.
    DuringTheBox([&](HWND) {
        SetCursor(nullptr);
        Press(VK_RETURN);
    });
    MessageBoxW(nullptr, L"Done.", nullptr, MB_OK);
    EXPECT_FALSE(device::ui::IsBusyCursor());
    SetCursor(arrow);
}

// A box shown while its owner goes away (a form that saves on its way out and says so): the
// window the user sees under it takes no tap, and is the active one again once the box ends.
TEST_F(MessageBoxTest, TheWindowUnderABoxOfAClosingFormTakesNoTapAndIsActiveAfterIt) {
    HWND main = Top(0, 26, 240, 294);
    HWND bar = Child(main, 7, 0, 268, 240, 26);
    HWND form = CreateWindowExW(0, uitest::kClass, L"form", WS_POPUP, 0, 26, 240, 294, main, nullptr, nullptr, nullptr);
    ASSERT_EQ(GetWindow(form, GW_OWNER), main);
    SetActiveWindow(main);
    bool mainDisabled = false;
    int answer = 0;
    uitest::CurrentHandler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (h == form && msg == WM_DESTROY) {
            PostMessageW(main, WM_APP, 0, 0);
            answer = MessageBoxW(form, L"Saved", nullptr, MB_OK);
            return true;
        }
        if (h == main && msg == WM_APP) {
            mainDisabled = !IsWindowEnabled(main);
            const POINT onBar{120, 26 + 280};
            device::ui::InjectStylus(device::ui::StylusAction::Down, onBar);
            device::ui::InjectStylus(device::ui::StylusAction::Up, onBar);
            // Queued after the taps: the box ends once they have gone wherever they go.
            PostMessageW(device::ui::CurrentMessageBox(), WM_COMMAND, IDOK, 0);
            return true;
        }
        return false;
    };
    DestroyWindow(form);
    EXPECT_EQ(answer, IDOK);
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(uitest::MessagesOf(bar, {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
    EXPECT_TRUE(uitest::MessagesOf(main, {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(GetActiveWindow(), main) << "the taskbar shows the caption of the window under the box";
}

// A box over a dialog over a window: both stay disabled while the box is up, and the dialog is
// active again after it. A box the dialog shows on its way out keeps the window under it disabled
// too, and leaves that window active, not the dialog that is gone.
TEST_F(MessageBoxTest, NestedLoopsDisableTheWholeOwnerChainAndHandItBackInOrder) {
    constexpr int kPlainDialog = 101; // a dialog of the test module without controls
    HWND main = Top(0, 26, 240, 294);
    SetActiveWindow(main);
    std::vector<bool> duringBox, afterBox, duringLastBox;
    dlgtest::CurrentDlgHandler() = [&](HWND d, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            PostMessageW(d, WM_APP, 0, 0);
            return TRUE;
        }
        if (msg == WM_DESTROY) {
            DuringTheBox([&](HWND) {
                duringLastBox = {IsWindowEnabled(main) != FALSE};
                Press(VK_RETURN);
            });
            MessageBoxW(d, L"Saved", nullptr, MB_OK);
            return TRUE;
        }
        if (msg != WM_APP) return FALSE;
        DuringTheBox([&](HWND) {
            duringBox = {IsWindowEnabled(main) != FALSE, IsWindowEnabled(d) != FALSE};
            Press(VK_RETURN);
        });
        MessageBoxW(d, L"Sure?", nullptr, MB_OK);
        afterBox = {IsWindowEnabled(main) != FALSE, IsWindowEnabled(d) != FALSE, GetActiveWindow() == d};
        EndDialog(d, IDOK);
        return TRUE;
    };
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(kPlainDialog), main, dlgtest::TestDlgProc, 0), IDOK);
    EXPECT_EQ(duringBox, (std::vector<bool>{false, false}));
    EXPECT_EQ(afterBox, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(duringLastBox, (std::vector<bool>{false}));
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(GetActiveWindow(), main) << "the taskbar shows the caption of the window under the box";
}

// The box's owner destroyed while the box is up (its box goes with it): the window further up
// the chain comes back enabled and active all the same.
TEST_F(MessageBoxTest, AnOwnerDestroyedUnderItsBoxLeavesTheWindowAboveItEnabledAndActive) {
    HWND main = Top(0, 26, 240, 294);
    HWND form = CreateWindowExW(0, uitest::kClass, L"form", WS_POPUP | WS_VISIBLE, 0, 26, 240, 294, main, nullptr,
                                nullptr, nullptr);
    SetActiveWindow(form);
    DuringTheBox([&](HWND) { DestroyWindow(form); });
    EXPECT_EQ(MessageBoxW(form, L"Going", nullptr, MB_OK), 0);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_EQ(device::ui::CurrentMessageBox(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(GetActiveWindow(), main);
}

// Two quick taps on a button whose tap opens a box, both read from the screen before the first
// is handled: the second tap finds the window under the box disabled and opens no second box;
// a key typed ahead goes to the box.
TEST_F(MessageBoxTest, ASecondTapQueuedBeforeTheBoxOpensDoesNotReachTheWindowUnderIt) {
    HWND main = Top(0, 26, 240, 294);
    HWND button = Child(main, 7, 20, 20, 100, 30);
    SetActiveWindow(main);
    int boxes = 0;
    uitest::CurrentHandler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (h == main && msg == WM_APP) { // queued behind the second tap: ends the box on show
            if (HWND box = device::ui::CurrentMessageBox()) SendMessageW(box, WM_COMMAND, IDOK, 0);
            return true;
        }
        if (h != button || msg != WM_LBUTTONUP) return false;
        ++boxes;
        PostMessageW(main, WM_APP, 0, 0);
        MessageBoxW(main, L"Opened", nullptr, MB_OK);
        return true;
    };
    const POINT at{50, 26 + 35};
    for (int tap = 0; tap < 2; ++tap) {
        device::ui::InjectStylus(device::ui::StylusAction::Down, at);
        device::ui::InjectStylus(device::ui::StylusAction::Up, at);
    }
    device::ui::PumpUntilIdle();
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(IsWindowEnabled(main));

    // Enter typed twice on the button: the second one goes to the box that the first opened.
    SetFocus(button);
    int answer = 0;
    boxes = 0;
    uitest::CurrentHandler() = [&](HWND h, UINT msg, WPARAM w, LPARAM, LRESULT&) {
        if (h == main && msg == WM_APP) { // the box left open by a key gone astray ends all the same
            if (HWND box = device::ui::CurrentMessageBox()) SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
            return true;
        }
        if (h != button || msg != WM_KEYDOWN || w != VK_RETURN) return false;
        if (boxes++ == 0) answer = MessageBoxW(main, L"Opened", nullptr, MB_OKCANCEL);
        return true;
    };
    Press(VK_RETURN);
    Press(VK_RETURN);
    PostMessageW(main, WM_APP, 0, 0);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(device::ui::CurrentMessageBox(), nullptr);
}

// A notification raised while the program shows a box of its own: Enter ends the notification,
// which lies on top, and leaves the program's box up for the next Enter; without a box of the
// program's, Esc ends a notification as well.
TEST_F(MessageBoxTest, ARaisedNotificationTakesItsKeysOverTheProgramsOwnBox) {
    HWND main = Top(0, 26, 240, 294);
    SetActiveWindow(main);
    HWND raised = nullptr;
    bool raisedEndedFirst = false;
    DuringTheBox([&](HWND box) {
        raised = device::ui::ShowNotificationBox(L"Reminder", L"Call the hotel");
        Press(VK_RETURN);
        device::ui::PumpUntilIdle();
        raisedEndedFirst = !IsWindow(raised) && device::ui::CurrentMessageBox() == box;
        Press(VK_RETURN);
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0); // reached only when the Enter went astray
    });
    EXPECT_EQ(MessageBoxW(main, L"Saved", nullptr, MB_OKCANCEL), IDOK);
    EXPECT_TRUE(raisedEndedFirst);

    raised = device::ui::ShowNotificationBox(L"Reminder", L"Check out");
    ASSERT_TRUE(IsWindow(raised));
    Press(VK_ESCAPE);
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(IsWindow(raised));
    EXPECT_EQ(GetActiveWindow(), main);
}
