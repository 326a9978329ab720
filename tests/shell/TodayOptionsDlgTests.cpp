// The Today options dialog: the two registry values it reads with their defaults, what it writes
// on closing either way, and its layout and header band.

#include "core/CoreMessages.h"
#include "core/RegistryKey.h"
#include "platform/display/Display.h"
#include "platform/display/HeadlessTest.h"
#include "shell/TodayOptionsDlg.h"
#include "resources/resource.h"
#include "support/StorageMessages.h"
#include "support/FileSizeLimit.h"
#include "support/FreshDevice.h"
#include "support/UserAction.h"

#include <functional>
#include <optional>

namespace {

class TodayOptionsDlgTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::display::Start();
    }
    CRegistryKey m_reg;
    void Write(LPCWSTR name, DWORD value) { m_reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", name, value); }
    // -1 when the value is missing.
    long long Read(LPCWSTR name) {
        DWORD value = m_reg.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", name);
        return m_reg.RegistryStatus == CRegistryKey::kFound ? value : -1;
    }

    // Runs the dialog; once it is shown the script acts as the user, then closeId closes it.
    // Returns the combo's text and the check box state as they were shown.
    static std::pair<CString, int> Run(std::function<void(CTodayOptionsDlg&)> script, UINT closeId = IDOK) {
        static std::function<void(CTodayOptionsDlg&)> s_script;
        static std::pair<CString, int> s_shown;
        static UINT s_close;
        s_script = std::move(script);
        s_shown = {};
        s_close = closeId;
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            auto* dlg = dynamic_cast<CTodayOptionsDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
            if (!dlg || !dlg->IsWindowVisible()) return; // shown at the modal loop's first idle moment
            ::KillTimer(nullptr, id);
            dlg->m_comboClocks.GetWindowText(s_shown.first);
            s_shown.second = dlg->m_checkCurrency.GetCheck();
            if (s_script) s_script(*dlg);
            dlg->SendMessage(WM_COMMAND, s_close);
        });
        CTodayOptionsDlg dlg;
        dlg.DoModal();
        return s_shown;
    }
};

TEST_F(TodayOptionsDlgTest, FirstOpeningShowsTheDefaultsAndClosingWritesThem) {
    CString checkText;
    auto shown = Run([&](CTodayOptionsDlg& dlg) { dlg.m_checkCurrency.GetWindowText(checkText); });
    EXPECT_EQ(shown, std::make_pair(CString(L"3"), int(BST_CHECKED)));
    EXPECT_EQ(checkText, CString(L"Show Currency rates"));
    EXPECT_EQ(Read(L"todaynbcs"), 3);
    EXPECT_EQ(Read(L"todayscur"), 1);
}

TEST_F(TodayOptionsDlgTest, StoredValuesShowAndTheChoiceIsWrittenOnOkAndOnCancel) {
    Write(L"todaynbcs", 2);
    Write(L"todayscur", 0);
    auto shown = Run([](CTodayOptionsDlg& dlg) {
        dlg.m_comboClocks.SetCurSel(4);
        dlg.m_checkCurrency.SetCheck(BST_CHECKED);
    });
    EXPECT_EQ(shown, std::make_pair(CString(L"2"), int(BST_UNCHECKED)));
    EXPECT_EQ(Read(L"todaynbcs"), 5);
    EXPECT_EQ(Read(L"todayscur"), 1);

    Run([](CTodayOptionsDlg& dlg) {
        dlg.m_comboClocks.SetCurSel(0);
        dlg.m_checkCurrency.SetCheck(BST_UNCHECKED);
    }, IDCANCEL);
    EXPECT_EQ(Read(L"todaynbcs"), 1);
    EXPECT_EQ(Read(L"todayscur"), 0);
}

TEST_F(TodayOptionsDlgTest, SpecialStoredValues) {
    // 0 clock lines reads as 1; any nonzero currency value shows the strip and is written back as 1.
    Write(L"todaynbcs", 0);
    Write(L"todayscur", 7);
    EXPECT_EQ(Run(nullptr), std::make_pair(CString(L"1"), int(BST_CHECKED)));
    EXPECT_EQ(Read(L"todaynbcs"), 1);
    EXPECT_EQ(Read(L"todayscur"), 1);

    // A count above the range shows as the largest choice instead of losing the setting.
    Write(L"todaynbcs", 9);
    EXPECT_EQ(Run(nullptr).first, CString(L"5"));
    EXPECT_EQ(Read(L"todaynbcs"), 5);

    // No selection at all is written as 0, which both sides read as one line.
    Run([](CTodayOptionsDlg& dlg) { dlg.m_comboClocks.SetCurSel(-1); });
    EXPECT_EQ(Read(L"todaynbcs"), 0);
    EXPECT_EQ(Run(nullptr).first, CString(L"1"));
}

// The Today item takes the two values together: a device that is full, or fills up between them,
// keeps both old values or stores both new ones, and only a close that stored them says nothing.
TEST_F(TodayOptionsDlgTest, AFullOrFillingDeviceKeepsBothValuesOrNeither) {
    const std::pair<long long, long long> before{3, 1}, after{5, 0};
    bool fitted = false;
    for (rlim_t more = 0; !fitted; more += 256) {
        Write(L"todaynbcs", 3);
        Write(L"todayscur", 1);
        testsupport::StartUserAction();
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
        const rlim_t limit = testsupport::RoomLeft(Root(), more);
        std::optional<testsupport::FileSizeLimit> full;
        Run([&](CTodayOptionsDlg& dlg) {
            dlg.m_comboClocks.SetCurSel(4);
            dlg.m_checkCurrency.SetCheck(BST_UNCHECKED);
            full.emplace(limit);
        }, IDCANCEL);
        full.reset();
        const std::pair<long long, long long> stored{Read(L"todaynbcs"), Read(L"todayscur")};
        fitted = stored == after;
        EXPECT_TRUE(fitted || stored == before) << "room for " << more << ": " << stored.first << "," << stored.second;
        EXPECT_EQ(testsupport::StorageMessagesShown(), fitted ? 0u : 1u) << "room for " << more;
        ASSERT_LT(more, 64u * 1024) << "the values never fitted";
    }
}

TEST_F(TodayOptionsDlgTest, ControlsBesideTheMeasuredLabelUnderThePaintedBand) {
    RECT combo{}, check{};
    LONG labelWidth = 0;
    COLORREF inside = 0, edge = 0, below = 0;
    Run([&](CTodayOptionsDlg& dlg) {
        dlg.m_comboClocks.GetWindowRect(&combo);
        dlg.ScreenToClient(&combo);
        dlg.m_checkCurrency.GetWindowRect(&check);
        dlg.ScreenToClient(&check);
        labelWidth = dlg.m_sizeLabel.cx;
        // Right of the title: inside the band, its bottom outline, under it.
        device::display::test::PumpUntilIdle();
        POINT o{0, 0};
        dlg.ClientToScreen(&o);
        inside = device::display::test::PixelAt(o.x + 200, o.y + 12);
        edge = device::display::test::PixelAt(o.x + 200, o.y + 27);
        below = device::display::test::PixelAt(o.x + 200, o.y + 30);
    });
    EXPECT_GT(labelWidth, 10);
    EXPECT_EQ(combo.left, labelWidth + 10);
    EXPECT_EQ(combo.top, 35);
    EXPECT_EQ(combo.right - combo.left, 60);
    EXPECT_EQ(check.left, 5);
    EXPECT_EQ(check.top, 65);
    // 240 wide where the screen leaves room for it; on this 240-pixel screen it ends 5 pixels
    // short of the right edge instead of 5 past it.
    EXPECT_EQ(check.right - check.left, std::min(240, static_cast<int>(GetSystemMetrics(SM_CXSCREEN)) - 10));
    EXPECT_EQ(check.bottom - check.top, 20);
    EXPECT_EQ(inside, RGB(194, 211, 228));
    EXPECT_EQ(edge, RGB(160, 172, 192));
    EXPECT_NE(below, RGB(194, 211, 228));
}

} // namespace
