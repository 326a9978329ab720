// The input-panel preference control: the panel follows the focus in and out of the edit boxes
// of its dialog, without dropping between two edit boxes, and goes down with the dialog.

#include "platform/ui/Dialog.h"
#include "platform/ui/Sip.h"
#include "platform/ui/SipPref.h"

#include "MenuTestSupport.h"

#include <vector>

using namespace menutest;

namespace {

HMODULE FormModule() {
    static HMODULE module = [] {
        std::filesystem::path dir = device::FileSystemFolder() / "Modules";
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(TEST_SHEETS_MODULE, dir / "SipPrefForm.dll",
                                   std::filesystem::copy_options::overwrite_existing);
        return LoadLibraryW(L"\\Modules\\SipPrefForm.dll");
    }();
    return module;
}

std::vector<UINT> g_seen; // EN_SETFOCUS / EN_KILLFOCUS and WM_SETTINGCHANGE the dialog heard
int g_sipChanges = 0;

INT_PTR CALLBACK FormProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND && (HIWORD(wParam) == EN_SETFOCUS || HIWORD(wParam) == EN_KILLFOCUS))
        g_seen.push_back(HIWORD(wParam));
    if (msg == WM_SETTINGCHANGE && wParam == SPI_SETSIPINFO) ++g_sipChanges;
    return msg == WM_INITDIALOG;
}

class SipPrefTest : public uitest::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_seen.clear();
        g_sipChanges = 0;
        m_form = CreateDialogParamW(FormModule(), MAKEINTRESOURCEW(192), nullptr, FormProc, 0);
        ASSERT_NE(m_form, nullptr);
        ShowWindow(m_form, SW_SHOW);
        device::ui::PumpUntilIdle();
    }
    void Focus(int id) {
        SetFocus(GetDlgItem(m_form, id));
        device::ui::PumpUntilIdle();
    }
    HWND m_form = nullptr;
};

} // namespace

TEST_F(SipPrefTest, ThePanelComesUpForAnEditBoxStaysBetweenEditBoxesAndGoesDownWhenTheFocusLeaves) {
    HWND pref = nullptr;
    for (HWND c = GetWindow(m_form, GW_CHILD); c && !pref; c = GetWindow(c, GW_HWNDNEXT)) {
        WCHAR cls[16] = {};
        GetClassNameW(c, cls, 16);
        if (std::wstring(cls) == WC_SIPPREF) pref = c;
    }
    ASSERT_NE(pref, nullptr);
    EXPECT_TRUE(device::ui::IsSipUp()); // the form opened with the focus in its first edit box

    Focus(1012);
    EXPECT_FALSE(device::ui::IsSipUp());
    Focus(1010);
    EXPECT_TRUE(device::ui::IsSipUp());
    g_sipChanges = 0;
    Focus(1011);
    EXPECT_TRUE(device::ui::IsSipUp());
    EXPECT_EQ(g_sipChanges, 0); // no drop between the two edit boxes
    Focus(1012);
    EXPECT_FALSE(device::ui::IsSipUp());
    // The dialog's own procedure still hears its edit boxes.
    EXPECT_EQ(g_seen, (std::vector<UINT>{EN_SETFOCUS, EN_KILLFOCUS, EN_SETFOCUS, EN_KILLFOCUS, EN_SETFOCUS, EN_KILLFOCUS}));

    SIPINFO info{};
    info.cbSize = sizeof(info);
    Focus(1010);
    ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &info, 0));
    EXPECT_TRUE(info.fdwFlags & SIPF_ON);
}

TEST_F(SipPrefTest, ThePanelGoesDownWithTheDialogButAPanelItDidNotRaiseStays) {
    Focus(1010);
    ASSERT_TRUE(device::ui::IsSipUp());
    DestroyWindow(m_form);
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(device::ui::IsSipUp());

    // The user raised the panel after the form had lowered its own: closing the form leaves it up.
    HWND form = CreateDialogParamW(FormModule(), MAKEINTRESOURCEW(192), nullptr, FormProc, 0);
    ASSERT_NE(form, nullptr);
    SetFocus(GetDlgItem(form, 1012));
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(device::ui::IsSipUp());
    SipShowIM(SIPF_ON);
    DestroyWindow(form);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(device::ui::IsSipUp());
    SipShowIM(SIPF_OFF);
}
