// The Today options dialog: the two registry values it reads with their defaults, what it writes
// on closing either way, and where it puts its controls.

#include "platform/display/Display.h"
#include "platform/display/HeadlessTest.h"
#include "platform/system/Registry.h"
#include "shell/TodayOptionsDlg.h"
#include "support/FreshDevice.h"

#include <functional>
#include <optional>

namespace {

class TodayOptionsDlgTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::display::Start();
    }

    static void Write(LPCWSTR name, DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, nullptr, 0, 0, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }
    static std::optional<DWORD> Read(LPCWSTR name) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, 0, &key) != ERROR_SUCCESS) return std::nullopt;
        DWORD value = 0, size = sizeof(value), type = 0;
        LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
        return value;
    }

    // What the dialog shows when it comes up: the combo's text and the check box state.
    struct Shown {
        CString clocks;
        int checked = -1;
        CString checkText;
    };

    // Runs the dialog; the script acts as the user once it is up, then it closes with closeId.
    static Shown Run(std::function<void(CTodayOptionsDlg&)> script, UINT closeId = IDOK) {
        static std::function<void(CTodayOptionsDlg&)> s_script;
        static Shown s_shown;
        static UINT s_close;
        s_script = std::move(script);
        s_shown = Shown{};
        s_close = closeId;
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            auto* dlg = dynamic_cast<CTodayOptionsDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
            if (!dlg || !dlg->IsWindowVisible()) return; // shown at the modal loop's first idle moment
            ::KillTimer(nullptr, id);
            dlg->m_comboClocks.GetWindowText(s_shown.clocks);
            s_shown.checked = dlg->m_checkCurrency.GetCheck();
            dlg->m_checkCurrency.GetWindowText(s_shown.checkText);
            if (s_script) s_script(*dlg);
            dlg->SendMessage(WM_COMMAND, s_close);
        });
        CTodayOptionsDlg dlg;
        dlg.DoModal();
        return s_shown;
    }
};

TEST_F(TodayOptionsDlgTest, FirstOpeningShowsTheDefaultsAndClosingWritesThem) {
    EXPECT_FALSE(Read(L"todaynbcs"));
    Shown shown = Run(nullptr);
    EXPECT_EQ(shown.clocks, CString(L"3"));
    EXPECT_EQ(shown.checked, BST_CHECKED);
    EXPECT_EQ(shown.checkText, CString(L"Show Currency rates"));
    EXPECT_EQ(Read(L"todaynbcs"), 3u);
    EXPECT_EQ(Read(L"todayscur"), 1u);
}

TEST_F(TodayOptionsDlgTest, StoredValuesShowAndTheChoiceIsWrittenOnOkAndOnCancel) {
    Write(L"todaynbcs", 2);
    Write(L"todayscur", 0);
    Shown shown = Run([](CTodayOptionsDlg& dlg) {
        dlg.m_comboClocks.SetCurSel(4);
        dlg.m_checkCurrency.SetCheck(BST_CHECKED);
    });
    EXPECT_EQ(shown.clocks, CString(L"2"));
    EXPECT_EQ(shown.checked, BST_UNCHECKED);
    EXPECT_EQ(Read(L"todaynbcs"), 5u);
    EXPECT_EQ(Read(L"todayscur"), 1u);

    // Cancel writes the same way.
    Run([](CTodayOptionsDlg& dlg) {
        dlg.m_comboClocks.SetCurSel(0);
        dlg.m_checkCurrency.SetCheck(BST_UNCHECKED);
    }, IDCANCEL);
    EXPECT_EQ(Read(L"todaynbcs"), 1u);
    EXPECT_EQ(Read(L"todayscur"), 0u);
}

TEST_F(TodayOptionsDlgTest, SpecialStoredValues) {
    // 0 clock lines reads as 1; any nonzero currency value shows the strip and is written back as 1.
    Write(L"todaynbcs", 0);
    Write(L"todayscur", 7);
    Shown shown = Run(nullptr);
    EXPECT_EQ(shown.clocks, CString(L"1"));
    EXPECT_EQ(shown.checked, BST_CHECKED);
    EXPECT_EQ(Read(L"todaynbcs"), 1u);
    EXPECT_EQ(Read(L"todayscur"), 1u);

    // A count above the range shows as the largest choice instead of losing the setting.
    Write(L"todaynbcs", 9);
    EXPECT_EQ(Run(nullptr).clocks, CString(L"5"));
    EXPECT_EQ(Read(L"todaynbcs"), 5u);

    // No selection at all is written as 0, which both sides read as one line.
    Run([](CTodayOptionsDlg& dlg) { dlg.m_comboClocks.SetCurSel(-1); });
    EXPECT_EQ(Read(L"todaynbcs"), 0u);
    EXPECT_EQ(Run(nullptr).clocks, CString(L"1"));
}

TEST_F(TodayOptionsDlgTest, ControlsStandBesideTheMeasuredLabel) {
    RECT combo{}, check{};
    LONG labelWidth = 0;
    Run([&](CTodayOptionsDlg& dlg) {
        dlg.m_comboClocks.GetWindowRect(&combo);
        dlg.ScreenToClient(&combo);
        dlg.m_checkCurrency.GetWindowRect(&check);
        dlg.ScreenToClient(&check);
        labelWidth = dlg.m_sizeLabel.cx;
    });
    EXPECT_GT(labelWidth, 10);
    EXPECT_EQ(combo.left, labelWidth + 10);
    EXPECT_EQ(combo.top, 35);
    EXPECT_EQ(combo.right - combo.left, 60);
    EXPECT_EQ(check.left, 5);
    EXPECT_EQ(check.top, 65);
    EXPECT_EQ(check.right - check.left, 240);
    EXPECT_EQ(check.bottom - check.top, 20);
}

TEST_F(TodayOptionsDlgTest, HeaderBandIsPaintedAcrossTheTop) {
    COLORREF inside = 0, edge = 0, below = 0;
    Run([&](CTodayOptionsDlg& dlg) {
        device::display::test::PumpUntilIdle();
        POINT origin{0, 0};
        dlg.ClientToScreen(&origin);
        // Right of the title text, inside the band; its bottom outline; under the band.
        inside = device::display::test::PixelAt(origin.x + 200, origin.y + 12);
        edge = device::display::test::PixelAt(origin.x + 200, origin.y + 27);
        below = device::display::test::PixelAt(origin.x + 200, origin.y + 30);
    });
    EXPECT_EQ(inside, RGB(194, 211, 228));
    EXPECT_EQ(edge, RGB(160, 172, 192));
    EXPECT_NE(below, RGB(194, 211, 228));
}

} // namespace
