#pragma once
// Shared by the Currencies page tests: a fresh device with a fixed clock, the program in
// "\Program Files\Jorvana" with the shipped default skin, a small currency list handed to the
// page, and the page created as a child of a plain window covering the work area, as the page
// container would.

#include "currency/CurrencyPanel.h"
#include "core/RegistryKey.h"
#include "platform/display/HeadlessTest.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"
#include "support/DeviceFileAccess.h"
#include "support/PageHost.h"
#include "support/WindowedDevice.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace currencytest {

inline constexpr LPCWSTR kCurrencyKey = L"Jorvana\\currencies";

// Name order of the store: Australian Dollar 0, Euro 1, Pound Sterling 2, US Dollar 3, Yen 4.
enum Record : DWORD { Aud = 0, Eur = 1, Gbp = 2, Usd = 3, Jpy = 4 };

class CurrencyPageTest : public testsupport::WindowedDevice {
protected:
    void SetUp() override {
        WindowedDevice::SetUp();
        device::ui::SetScreenShape(240, 320);
        device::SetModuleDevicePath(testsupport::InProgramFolder(L"Jorvana.exe"));
        device::SetDeviceClock("2026-07-15T10:20:30Z");
        std::ifstream skin(JORVANA_DATA_DIR "/default.skn", std::ios::binary);
        std::stringstream text;
        text << skin.rdbuf();
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"default.skn"), text.str());
        SetList({{L"USD", L"US Dollar", L"1"},
                 {L"EUR", L"Euro", L"1.25"},
                 {L"GBP", L"Pound Sterling", L"2"},
                 {L"JPY", L"Yen", L"0.01"},
                 {L"AUD", L"Australian Dollar", L"0.5"}});
    }
    void TearDown() override {
        if (m_page && m_page->m_hWnd) m_page->DestroyWindow();
        m_page.reset();
        if (m_parent.m_hWnd) m_parent.DestroyWindow();
        device::display::test::PumpUntilIdle();
        CWnd::DeleteTempMap();
        device::ui::SetScreenShape(240, 320);
        device::SetDeviceClock("");
        device::SetModuleDevicePath(L"");
        WindowedDevice::TearDown();
    }

    void SetList(const std::vector<CurrencyListEntry>& entries) {
        m_entries = entries;
        m_table.clear();
        for (CurrencyListEntry& entry : m_entries) m_table.push_back(&entry);
    }
    void SelectColumns(DWORD c1, DWORD c2, DWORD c3) {
        CRegistryKey key;
        key.WriteDword(HKEY_LOCAL_MACHINE, kCurrencyKey, L"curp", c1);
        key.WriteDword(HKEY_LOCAL_MACHINE, kCurrencyKey, L"curp2", c2);
        key.WriteDword(HKEY_LOCAL_MACHINE, kCurrencyKey, L"curp3", c3);
    }
    static DWORD Selected(LPCWSTR name, LONG* status = nullptr) {
        CRegistryKey key;
        DWORD v = key.ReadDword(HKEY_LOCAL_MACHINE, kCurrencyKey, name);
        if (status) *status = key.RegistryStatus;
        return v;
    }

    CCurrencyPanel& CreatePage() {
        testsupport::CreateWorkAreaParent(m_parent);
        m_page = std::make_unique<CCurrencyPanel>(&m_parent);
        m_page->SetCurrencyList(m_table.data(), static_cast<int>(m_table.size()));
        EXPECT_TRUE(m_page->Create(IDD_CURRENCY, &m_parent));
        m_page->ApplySkin();
        testsupport::FillParentAndShow(*m_page, m_parent);
        return *m_page;
    }

    CString Text(int id) {
        CString text;
        m_page->GetDlgItem(id)->GetWindowText(text);
        return text;
    }
    CString Field(int column, int line) {
        CString text;
        m_page->GetAmountField(column, line)->GetWindowText(text);
        return text;
    }
    // Typing as the user does: the field has the focus when its text changes.
    void Type(int column, int line, LPCWSTR text) {
        CEdit* field = m_page->GetAmountField(column, line);
        field->SetFocus();
        field->SetWindowText(text);
        device::display::test::PumpUntilIdle();
    }
    CRect PlaceOf(int id) {
        CRect rect;
        m_page->GetDlgItem(id)->GetWindowRect(&rect);
        m_page->ScreenToClient(&rect);
        return rect;
    }
    CComboBox& Combo(int id) { return *static_cast<CComboBox*>(m_page->GetDlgItem(id)); }

    std::vector<CurrencyListEntry> m_entries;
    std::vector<CurrencyListEntry*> m_table;
    CWnd m_parent;
    std::unique_ptr<CCurrencyPanel> m_page;
};

} // namespace currencytest
