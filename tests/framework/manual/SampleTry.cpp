// Tries the sample dialog by hand: the dialog with its menu bar; "sheet" opens the settings sheet
// at once (on its second page with "colours"; "tap" taps the second tab with the stylus after a
// second). Runs for the given seconds (default 30), then ends.
//   xvfb-run -s "-screen 0 800x800x24" build-fwsheets/tests/framework/sample_try 5 sheet colours

#include "platform/framework/WinApp.h"
#include "platform/ui/DeviceUi.h"
#include "tests/framework/manual/SampleDlg.h"
#include "tests/framework/manual/SampleIds.h"

#include <cstdlib>
#include <cstring>

namespace {

int g_seconds = 30;
bool g_openSheet = false;
bool g_colours = false;
bool g_tap = false;

void CALLBACK TimeUp(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

// Taps the middle of the second tab of the sheet on show, as the stylus would.
void CALLBACK TapSecondTab(HWND, UINT, UINT_PTR id, DWORD) {
    HWND sheet = ::GetActiveWindow();
    HWND tab = sheet ? PropSheet_GetTabControl(sheet) : nullptr;
    RECT r{};
    if (!tab || !::SendMessageW(tab, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r))) return;
    ::KillTimer(nullptr, id);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(tab, &p);
    device::ui::InjectStylus(device::ui::StylusAction::Down, p);
    device::ui::InjectStylus(device::ui::StylusAction::Up, p);
}

// The sample dialog, opening its settings sheet once it shows when asked to.
class CTryDlg : public CSampleDlg {
public:
    BOOL OnInitDialog() override {
        BOOL result = CSampleDlg::OnInitDialog();
        if (g_openSheet) PostMessage(WM_COMMAND, ID_SAMPLE_SETTINGS, 0);
        return result;
    }
};

class CSampleApp : public CWinApp {
public:
    CSampleApp() : CWinApp(L"Sample") {}
    BOOL InitInstance() override {
        ::SetTimer(nullptr, 0, static_cast<UINT>(g_seconds) * 1000u, TimeUp);
        if (g_tap) ::SetTimer(nullptr, 0, 1000, TapSecondTab);
        CTryDlg dlg;
        dlg.m_lastPage = g_colours ? 1 : 0;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
};

} // namespace

CSampleApp theApp;

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "sheet") == 0) g_openSheet = true;
        else if (std::strcmp(argv[i], "colours") == 0) g_colours = true;
        else if (std::strcmp(argv[i], "tap") == 0) g_tap = true;
        else if (std::atoi(argv[i]) > 0) g_seconds = std::atoi(argv[i]);
    }
    return AfxRunProgram();
}
