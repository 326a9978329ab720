#pragma once
// Shared by the dialog manager tests: the test module holding the test dialogs (loaded once per
// program from the device file system), a control class that answers WM_GETDLGCODE as each test
// says and records what it is sent, and a fixture.

#include "UiTestSupport.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/Modules.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace dlgtest {

inline HMODULE Module() {
    static HMODULE module = [] {
        namespace fs = std::filesystem;
        fs::path folder = device::FileSystemFolder() / "Windows";
        fs::create_directories(folder);
        fs::copy_file(TEST_DIALOGS_MODULE, folder / "Dialogs.dll", fs::copy_options::overwrite_existing);
        return LoadLibraryW(L"\\Windows\\Dialogs.dll");
    }();
    return module;
}

// WM_GETDLGCODE answers of the test controls, by control id (0 when absent).
inline std::map<int, LRESULT>& DlgCodes() {
    static std::map<int, LRESULT> codes;
    return codes;
}
// Strings added to each test control (CB_ADDSTRING / LB_ADDSTRING), by control id.
inline std::map<int, std::vector<std::wstring>>& AddedStrings() {
    static std::map<int, std::vector<std::wstring>> added;
    return added;
}

inline LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(uitest::LogLock());
        uitest::Log().push_back(uitest::Logged{hwnd, msg, wParam, lParam});
    }
    switch (msg) {
    case WM_GETDLGCODE: {
        auto it = DlgCodes().find(GetDlgCtrlID(hwnd));
        return it == DlgCodes().end() ? 0 : it->second;
    }
    case CB_ADDSTRING:
    case LB_ADDSTRING:
        AddedStrings()[GetDlgCtrlID(hwnd)].push_back(reinterpret_cast<LPCWSTR>(lParam));
        return static_cast<LRESULT>(AddedStrings()[GetDlgCtrlID(hwnd)].size() - 1);
    case BM_GETCHECK: return GetWindowLongW(hwnd, GWL_USERDATA);
    case BM_SETCHECK: SetWindowLongW(hwnd, GWL_USERDATA, static_cast<LONG_PTR>(wParam)); return 0;
    case WM_SETFONT: SetPropW(hwnd, L"font", reinterpret_cast<HANDLE>(wParam)); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

inline void RegisterControlClass(const wchar_t* name) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ControlProc;
    wc.lpszClassName = name;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
    RegisterClassW(&wc);
}

// The dialog procedure of the tests: runs the test's handler, records WM_COMMAND.
using DlgHandler = std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)>;
inline DlgHandler& CurrentDlgHandler() {
    static DlgHandler h;
    return h;
}
inline std::vector<std::pair<HWND, WPARAM>>& Commands() {
    static std::vector<std::pair<HWND, WPARAM>> commands;
    return commands;
}
inline INT_PTR CALLBACK TestDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) Commands().emplace_back(dialog, wParam);
    if (CurrentDlgHandler()) return CurrentDlgHandler()(dialog, msg, wParam, lParam);
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

class DialogTest : public uitest::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        device::ui::RegisterDialogClasses();
        RegisterControlClass(L"DlgTestCtl");
        ASSERT_NE(Module(), nullptr);
        DlgCodes().clear();
        AddedStrings().clear();
        Commands().clear();
        device::ui::ClearMessageBoxRecords();
    }
    void TearDown() override {
        CurrentDlgHandler() = nullptr;
        device::ui::ClearMessageBoxRecords();
        UiTest::TearDown();
    }
    static void Key(HWND target, UINT vk) {
        MSG m{target, WM_KEYDOWN, vk, 1, 0, {0, 0}};
        IsDialogMessageW(GetAncestorDialog(target), &m);
    }
    static HWND GetAncestorDialog(HWND hwnd) {
        HWND h = hwnd;
        while (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) h = GetParent(h);
        return h;
    }
};

} // namespace dlgtest
