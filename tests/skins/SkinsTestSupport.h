#pragma once
// Shared by the appearance settings tests: a fresh device whose program folder holds the shipped
// skin, the sheet run with a test's steps, and the small moves a user makes on a page.

#include "core/RegistryKey.h"
#include "core/SkinFile.h"
#include "platform/display/Display.h"
#include "platform/framework/WinApp.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"
#include "skins/Ui.h"
#include "support/DeviceFileAccess.h"
#include "support/FreshDevice.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace skinstest {

using testsupport::DeviceFileExists;
using testsupport::HostPath;
using testsupport::InProgramFolder;
using testsupport::kProgramFolder;
using testsupport::ReadDeviceFile;
using testsupport::WriteDeviceFile;

inline const std::filesystem::path kData = JORVANA_DATA_DIR;

// Copies the shipped skin (file, image folders, icon sets, map) into a device folder.
inline void PlaceShippedSkin(const std::wstring& folder) {
    namespace fs = std::filesystem;
    fs::path target = HostPath(folder);
    fs::create_directories(target);
    for (const char* name : {"Portrait", "Landscape", "Square", "toolbar", "toolbar2", "wiconset", "wiconset2"})
        fs::copy(kData / name, target / name, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const char* name : {"default.skn", "worldmap.jpg"})
        fs::copy_file(kData / name, target / name, fs::copy_options::overwrite_existing);
}

inline std::string ShippedSkinText() { return ReadDeviceFile(InProgramFolder(L"default.skn")); }

inline CString ReadSkinRegistry() { return CRegistryKey().ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin"); }
inline void WriteSkinRegistry(LPCWSTR value) { CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", value); }

// The value of a key of a section of a skin file as it stands on the device.
inline std::wstring SkinFileValue(const std::wstring& file, LPCWSTR section, LPCWSTR key) {
    std::string bytes = ReadDeviceFile(file);
    CString text(std::wstring(bytes.begin(), bytes.end()).c_str());
    return std::wstring(GetSkinValue(GetSkinSection(text, section), key).GetString());
}

// The sheet running a test's steps once it is up, then closing.
class ScriptedUi : public CUi {
public:
    ScriptedUi() : CUi(L"User Interface...", nullptr, 0) {}
    std::function<void(ScriptedUi&)> steps;

    BOOL OnInitDialog() override {
        PostMessage(WM_APP);
        return CUi::OnInitDialog();
    }
    LRESULT OnRunSteps(WPARAM, LPARAM) {
        if (steps) steps(*this);
        PressButton(PSBTN_OK);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

class SkinsTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::display::Start();
        device::ui::SetScreenShape(240, 320);
        device::SetModuleDevicePath(InProgramFolder(L"Jorvana.exe"));
        PlaceShippedSkin(kProgramFolder);
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK, IDOK, IDOK, IDOK});
    }
    void TearDown() override {
        device::ui::ClearMessageBoxRecords();
        device::SetModuleDevicePath(L"");
        FreshDevice::TearDown();
    }
    // Runs the sheet on a page with the test's steps; false when the steps never ran.
    bool Run(int page, std::function<void(ScriptedUi&)> steps) {
        bool ran = false;
        ScriptedUi sheet;
        sheet.steps = [&](ScriptedUi& s) {
            ran = true;
            steps(s);
        };
        sheet.SetActivePage(page);
        sheet.DoModal();
        return ran;
    }
    std::vector<std::wstring> MessageTexts() {
        std::vector<std::wstring> texts;
        for (const auto& r : device::ui::MessageBoxRecords()) texts.push_back(r.text);
        return texts;
    }
};

// A tap on an entry of a page's list box.
inline void ChooseListEntry(CWnd& page, CListBox& list, int index) {
    list.SetCurSel(index);
    page.SendMessage(WM_COMMAND, MAKEWPARAM(list.GetDlgCtrlID(), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list.m_hWnd));
}

// A choice in a page's combo box.
inline void ChooseComboEntry(CWnd& page, CComboBox& combo, int index) {
    combo.SetCurSel(index);
    page.SendMessage(WM_COMMAND, MAKEWPARAM(combo.GetDlgCtrlID(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo.m_hWnd));
}

// A slider dragged to a position.
inline void DragSlider(CWnd& page, CSliderCtrl& slider, int position) {
    slider.SetPos(position);
    page.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider.m_hWnd));
}

} // namespace skinstest
