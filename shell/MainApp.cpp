#include "shell/MainApp.h"

#include "core/TextFiles.h"
#include "resources/resource.h"
#include "shell/InterruptedWrites.h"
#include "shell/LanguageDlg.h"
#include "shell/LanguageList.h"
#include "shell/MainDlg.h"
#include "platform/framework/WaitCursor.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/Modules.h"
#include "platform/ui/MessageBox.h"

namespace {
constexpr const wchar_t* kProgramKey = L"Jorvana";
}

CMainApp::CMainApp() : CWinApp(nullptr) {}

CMainApp::~CMainApp() = default;

BOOL CMainApp::InitInstance() {
    if (!AfxSocketInit()) {
        AfxMessageBox(IDS_SOCKETS_INIT_FAILED, MB_OK);
        return FALSE;
    }
    // COM and the shell's extra controls need no set-up on this device.

    if (!DeviceStorageUsable()) return FALSE;

    // What a writer killed at the last run left half-done is put right before anything reads it.
    RecoverInterruptedWrites();

    int lang = static_cast<int>(m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"lang"));
    if (m_registry.RegistryStatus == CRegistryKey::kValueMissing ||
        m_registry.RegistryStatus == CRegistryKey::kKeyMissing) {
        RunLanguageDialog(-1);
        lang = static_cast<int>(m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"lang"));
    }

    CString listText = ReadLanguageListText(GetLanguageListPath());
    CString moduleName = FindLanguageModuleName(listText, lang);

    if (lang != 0 && moduleName != kOwnResourcesModule) {
        HMODULE module = nullptr;
        // A name from the file that reaches outside LangsRes is never turned into a path.
        if (IsNameInsideFolder(moduleName))
            module = LoadLibraryW(GetLanguageModulesFolder() + L"\\" + moduleName);
        if (module && IsLanguageModule(module)) {
            AfxSetResourceHandle(module);
            ReportMissingTexts(module);
        } else {
            if (module) FreeLibrary(module);
            AfxMessageBox(kModuleLoadFailed, MB_OK);
            // The failed entry stays selected, so the user sees which language did not load.
            RunLanguageDialog(lang);
            return FALSE;
        }
    }

    RunMainWindow(lang);
    return FALSE;
}

int CMainApp::ExitInstance() {
    HINSTANCE resources = AfxGetResourceHandle();
    if (resources != AfxGetInstanceHandle()) {
        AfxSetResourceHandle(AfxGetInstanceHandle());
        FreeLibrary(resources);
    }
    const int result = CWinApp::ExitInstance();
    // A start that could not use the device's storage is a failure, not a run that ended.
    return m_bStorageUnusable ? 1 : result;
}

bool CMainApp::DeviceStorageUsable() {
    // A store another program holds is waited for a few seconds, under the wait cursor.
    device::DeviceStorage storage;
    {
        CWaitCursor wait;
        storage = device::CheckDeviceStorage();
    }
    UINT message = 0;
    switch (storage) {
    case device::DeviceStorage::Ready:
        return true;
    case device::DeviceStorage::Ending:
        return false; // asked to end while it waited
    case device::DeviceStorage::InUse:
        message = IDS_STORAGE_IN_USE;
        break;
    case device::DeviceStorage::CannotOpen:
        message = IDS_STORAGE_CANNOT_OPEN;
        break;
    case device::DeviceStorage::ReadOnly:
        message = IDS_STORAGE_READ_ONLY;
        break;
    }
    // The language is chosen in the store, so the message is the program's own (English) text.
    m_bStorageUnusable = true;
    AfxClosingMessageBox(message, MB_OK | MB_ICONSTOP);
    return false;
}

void CMainApp::ReportMissingTexts(HMODULE module) {
    // Once per start, in one message: the pages show the program's own text for each of them.
    int missing = CountMissingResources(module);
    if (missing <= 0) return;
    CString format, text;
    format.LoadString(IDS_LANGUAGE_TEXTS_MISSING);
    text.Format(format, missing);
    AfxMessageBox(text, MB_OK);
}

void CMainApp::RunLanguageDialog(int initialSelection) {
    CLanguageDlg dlg(nullptr);
    dlg.m_nInitialSelection = initialSelection;
    dlg.DoModal();
}

void CMainApp::RunMainWindow(int lang) {
    CMainDlg dlg(nullptr);
    m_pMainWnd = &dlg;
    dlg.m_nLanguageIndex = lang;
    dlg.DoModal();
    m_pMainWnd = nullptr;
}
