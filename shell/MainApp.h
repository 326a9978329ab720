#pragma once
// CMainApp: the program's application object. Start-up chooses the interface language, makes
// the chosen language module the resource module and runs the main window; exit frees the
// module again. InitInstance always returns FALSE: the main window's modal loop is the run.

#include "core/RegistryKey.h"
#include "platform/framework/WinApp.h"

class CMainApp : public CWinApp {
public:
    CMainApp();
    ~CMainApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The message of a module that cannot be loaded or holds no dialog 318.
    static constexpr const wchar_t* kModuleLoadFailed =
        L"Error. Could not load Language Module\n\nPlease select another language and restart Application";

protected:
    // Runs the language dialog modally with its initial selection.
    virtual void RunLanguageDialog(int initialSelection);
    // Runs the main window modally, handing it the language index used; returns when it closes.
    virtual void RunMainWindow(int lang);

private:
    // A device whose storage cannot be used would look new at every start and lose every
    // choice: false (the start ends) after saying why, when the store stays in use by another
    // program, is full, read-only or damaged.
    bool DeviceStorageUsable();
    // One message when the language module lacks some of the program's texts.
    void ReportMissingTexts(HMODULE module);
    // The language module that lang names in langs.dat, loaded; null for the program's own
    // resources, and when the module cannot be loaded or holds no dialog 318 (failed is set).
    HMODULE LoadLanguageModule(int lang, bool& failed);

    CRegistryKey m_registry;
    bool m_bStorageUnusable = false; // the start failed on the device's storage
};
