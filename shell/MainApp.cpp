#include "shell/MainApp.h"

#include "core/DamagedSettings.h"
#include "core/StorageFaults.h"
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
        m_registry.RegistryStatus == CRegistryKey::kKeyMissing ||
        m_registry.RegistryStatus == CRegistryKey::kValueDamaged) {
        // A damaged choice is asked for again, as a missing one is, and stored anew.
        if (m_registry.RegistryStatus == CRegistryKey::kValueDamaged) SettingDamageHandled(kProgramKey, L"lang");
        RunLanguageDialog(-1);
        lang = static_cast<int>(m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"lang"));
    }

    bool moduleFailed = false;
    if (HMODULE module = LoadLanguageModule(lang, moduleFailed)) {
        AfxSetResourceHandle(module);
        ReportMissingTexts(module);
    } else if (moduleFailed) {
        AfxMessageBox(kModuleLoadFailed, MB_OK);
        // The failed entry stays selected, so the user sees which language did not load.
        RunLanguageDialog(lang);
        return FALSE;
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
    // A start that could not use the device's storage, or a save at the end that failed, is a
    // failure, not a run that ended.
    return m_bStorageUnusable || SaveFailedAtEnd() ? 1 : result;
}

HMODULE CMainApp::LoadLanguageModule(int lang, bool& failed) {
    failed = false;
    CString listText = ReadLanguageListText(GetLanguageListPath());
    CString moduleName = FindLanguageModuleName(listText, lang);
    if (lang == 0 || moduleName == kOwnResourcesModule) return nullptr;
    HMODULE module = nullptr;
    // A name from the file that reaches outside LangsRes is never turned into a path.
    if (IsNameInsideFolder(moduleName)) module = LoadLibraryW(GetLanguageModulesFolder() + L"\\" + moduleName);
    if (module && IsLanguageModule(module)) return module;
    if (module) FreeLibrary(module);
    failed = true;
    return nullptr;
}

bool CMainApp::DeviceStorageUsable() {
    // A store another program holds is waited for a few seconds, under the wait cursor.
    device::DeviceStorage storage;
    {
        CWaitCursor wait;
        storage = device::CheckDeviceStorage();
    }
    StorageCause cause = StorageCause::ReadOnly;
    switch (storage) {
    case device::DeviceStorage::Ready:
        return true;
    case device::DeviceStorage::Ending:
        return false; // asked to end while it waited
    case device::DeviceStorage::InUse:
        cause = StorageCause::InUse;
        break;
    case device::DeviceStorage::Full:
        cause = StorageCause::Full;
        break;
    case device::DeviceStorage::CannotOpen:
    case device::DeviceStorage::Damaged:
    case device::DeviceStorage::ReadOnly:
        cause = StorageCause::ReadOnly;
        break;
    }
    m_bStorageUnusable = true;
    // The language is chosen in the store: where it can still be read (a store that is full,
    // read-only or held only against writers), the message comes in that language, else in the
    // program's own.
    const DWORD lang = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kProgramKey, L"lang");
    bool moduleFailed = false;
    if (m_registry.RegistryStatus == CRegistryKey::kFound)
        if (HMODULE module = LoadLanguageModule(static_cast<int>(lang), moduleFailed)) AfxSetResourceHandle(module);
    AfxClosingMessageBox(StorageMessageId(StorageSituation::StartCloses, cause), MB_OK | MB_ICONSTOP);
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
    // A first start that gave up on a fault ends the program as a failure.
    if (dlg.m_bStartFailed) m_bStorageUnusable = true;
}
