#pragma once
// Shared by the list control tests: a fixture that registers the list control classes, gives a
// parent window that records the WM_COMMAND and WM_NOTIFY codes it hears, and taps the stylus.

#include "platform/ui/ListControls.h"
#include "UiTestSupport.h"

#include <string>
#include <vector>

namespace uitest {

struct Heard {
    HWND from;
    UINT message;  // WM_COMMAND or WM_NOTIFY
    int code;      // HIWORD(wParam) of a command, NMHDR::code of a notification
};

class ListControlTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        device::ui::RegisterListControlClasses();
        heard.clear();
        parent = Top(0, device::ui::kTaskbarHeight, 240, 320 - device::ui::kTaskbarHeight);
        // Every test hears its controls through this handler; a test may add its own reaction.
        CurrentHandler() = [this](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            if (hwnd != parent) return false;
            if (msg == WM_COMMAND && lParam) {
                heard.push_back(Heard{reinterpret_cast<HWND>(lParam), msg, static_cast<int>(HIWORD(wParam))});
                if (onCommand) onCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
                result = 0;
                return true;
            }
            if (msg == WM_NOTIFY) {
                auto* nm = reinterpret_cast<NMHDR*>(lParam);
                heard.push_back(Heard{nm->hwndFrom, msg, static_cast<int>(nm->code)});
                result = onNotify ? onNotify(nm) : 0;
                return true;
            }
            if (msg == WM_DRAWITEM && onDrawItem) {
                onDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
                result = TRUE;
                return true;
            }
            return false;
        };
    }
    void TearDown() override {
        onCommand = nullptr;
        onNotify = nullptr;
        onDrawItem = nullptr;
        UiTest::TearDown();
    }

    HWND Create(const wchar_t* cls, DWORD style, int id, int x, int y, int w, int h, const wchar_t* text = L"") {
        HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                    reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
        device::ui::PumpUntilIdle();
        return hwnd;
    }

    // Codes the parent heard from one control, in order (commands and notifications alike).
    std::vector<int> CodesFrom(HWND control) const {
        std::vector<int> out;
        for (const Heard& h : heard)
            if (h.from == control) out.push_back(h.code);
        return out;
    }

    static POINT ScreenOf(HWND hwnd, int x, int y) {
        POINT p{x, y};
        ClientToScreen(hwnd, &p);
        return p;
    }
    static void Tap(POINT screen) {
        device::ui::InjectStylus(device::ui::StylusAction::Down, screen);
        device::ui::PumpUntilIdle();
        device::ui::InjectStylus(device::ui::StylusAction::Up, screen);
        device::ui::PumpUntilIdle();
    }
    static void TapClient(HWND hwnd, int x, int y) { Tap(ScreenOf(hwnd, x, y)); }
    static void Key(UINT vk, WCHAR ch = 0) {
        device::ui::InjectKey(vk, true, ch);
        device::ui::PumpUntilIdle();
        device::ui::InjectKey(vk, false, ch);
        device::ui::PumpUntilIdle();
    }

    static std::wstring LbText(HWND lb, int i, UINT lenMsg = LB_GETTEXTLEN, UINT textMsg = LB_GETTEXT) {
        LRESULT len = SendMessageW(lb, lenMsg, static_cast<WPARAM>(i), 0);
        if (len < 0) return L"<err>";
        std::wstring s(static_cast<size_t>(len) + 1, L'\0');
        SendMessageW(lb, textMsg, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(len));
        return s;
    }
    static void Add(HWND control, const std::vector<std::wstring>& texts, UINT msg = LB_ADDSTRING) {
        for (const auto& t : texts) SendMessageW(control, msg, 0, reinterpret_cast<LPARAM>(t.c_str()));
    }

    HWND parent = nullptr;
    std::vector<Heard> heard;
    std::function<void(HWND, int)> onCommand;
    std::function<LRESULT(NMHDR*)> onNotify;
    std::function<void(const DRAWITEMSTRUCT&)> onDrawItem;
};

} // namespace uitest
