#pragma once
// Shared by the shell tests: a fresh device with the program in "\Program Files\Jorvana", device
// files written and read byte for byte, the test language modules, and a language dialog that
// runs a test's steps once it is up and then closes.

#include "platform/display/Display.h"
#include "platform/framework/WinApp.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/ProgramPath.h"
#include "core/RegistryKey.h"
#include "platform/ui/MessageBox.h"
#include "shell/LanguageDlg.h"
#include "support/DeviceFileAccess.h"
#include "support/FreshDevice.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace shelltest {

using testsupport::DeviceFileExists;
using testsupport::HostPath;
using testsupport::InProgramFolder;
using testsupport::kProgramFolder;
using testsupport::ReadDeviceFile;
using testsupport::WriteDeviceFile;

// Copies a built test module to a device path.
inline void PlaceModule(const char* builtModule, const std::wstring& devicePath) {
    std::filesystem::path host = HostPath(devicePath);
    std::filesystem::create_directories(host.parent_path());
    std::filesystem::copy_file(builtModule, host, std::filesystem::copy_options::overwrite_existing);
}

// The registry value lang, or -1 when it is missing.
inline long ReadLang() {
    CRegistryKey key;
    DWORD value = key.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"lang");
    return key.RegistryStatus == CRegistryKey::kFound ? static_cast<long>(value) : -1;
}

inline void WriteLang(DWORD value) { CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"lang", value); }

class ShellTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::display::Start();
        device::SetModuleDevicePath(InProgramFolder(L"Jorvana.exe"));
        std::filesystem::create_directories(HostPath(kProgramFolder));
        device::ui::ClearMessageBoxRecords();
        // Message boxes answer OK at once; a test never waits on one.
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK, IDOK});
    }
    void TearDown() override {
        AfxSetResourceHandle(nullptr);
        device::ui::ClearMessageBoxRecords();
        device::SetModuleDevicePath(L"");
        FreshDevice::TearDown();
    }
    std::vector<std::wstring> MessageTexts() {
        std::vector<std::wstring> texts;
        for (const auto& r : device::ui::MessageBoxRecords()) texts.push_back(r.text);
        return texts;
    }
};

// The language dialog running a test's steps once it is shown, then closing.
class ScriptedLanguageDlg : public CLanguageDlg {
public:
    std::function<void(ScriptedLanguageDlg&)> steps;

    CComboBox& Combo() { return m_comboLanguages; }
    CListBox& Modules() { return m_listModules; }
    CButton& AddButton() { return m_buttonAdd; }
    CListCtrl& Folders() { return m_listFolders; }
    CButton& RemoveCheck() { return m_checkRemove; }
    void Add(LPCWSTR module) {
        m_listModules.SetCurSel(m_listModules.FindStringExact(-1, module));
        OnAddModule();
    }
    void SelectLanguage(int index) {
        m_comboLanguages.SetCurSel(index);
        OnSelChangeLanguage();
    }
    void SelectModule(int index) {
        m_listModules.SetCurSel(index);
        OnSelChangeModule();
    }

    BOOL OnInitDialog() override {
        BOOL result = CLanguageDlg::OnInitDialog();
        PostMessage(WM_APP);
        return result;
    }
    afx_msg LRESULT OnRunSteps(WPARAM, LPARAM) {
        if (steps) steps(*this);
        EndDialog(IDOK);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

} // namespace shelltest
