#pragma once
// The device's help viewer: one window over the work area, titled "Help", holding the HTML viewer
// control above a command bar whose "ok" ends it. It shows the help file its command line names
// ("file:<name>", the name taken in \Windows unless it is a full device path); links inside the
// page open in the same viewer, and a missing file shows the viewer's own not-found page. When
// the user ends it ("ok", or WM_CLOSE) the thread's message loop is told to quit; destroying the
// object does not.

#include "platform/ui/WinUser.h"

#include <string>

namespace helpviewer {

// The viewer's address for a command line "file:<name>[#place]": "file://\Windows\<name>..." (or
// "file://<name>..." for a name beginning with a backslash). Empty when the command line names no
// file.
std::wstring HelpAddressOf(const std::wstring& commandLine);

class CHelpWindow {
public:
    static constexpr int kViewerId = 100;
    static constexpr int kBarId = 101;

    CHelpWindow() = default;
    ~CHelpWindow();
    CHelpWindow(const CHelpWindow&) = delete;
    CHelpWindow& operator=(const CHelpWindow&) = delete;

    // Makes the window over the work area and opens the command line's help file (or says that
    // none was named). False when the window could not be made.
    bool Create(const std::wstring& commandLine);
    // The viewer's message loop, until the user ends it: Escape ends it as "ok" does; Page Down
    // and Page Up scroll the page by a screen, the arrows by a line (the viewer control's keys).
    // Returns the program's exit code.
    int RunMessageLoop();
    HWND Window() const { return m_window; }
    HWND Viewer() const { return m_viewer; }
    HWND Bar() const { return m_bar; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Layout();

    HWND m_window = nullptr;
    HWND m_viewer = nullptr;
    HWND m_bar = nullptr;
    bool m_quitOnDestroy = true;
};

} // namespace helpviewer
