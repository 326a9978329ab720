#pragma once
// What the tool windows share: the screen metrics of a tool page, the font settings of the main
// window, the skin reading of the tools, and the calls that go to the page container.

#include "core/RegistryKey.h"
#include "core/SkinFile.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/Wnd.h"

// The program's registry key under HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* kToolsRegistryKey = L"Jorvana";

// Work area, menu-bar height and the page height left between the tab strip and the menu bar.
struct ToolMetrics {
    int workWidth = 0;
    int workHeight = 0;
    int pageHeight = 0;
    int menuHeight = 0;
};
ToolMetrics ReadToolMetrics();

// `fontbase` (0 when missing) and `font` (default "Arial") under HKEY_LOCAL_MACHINE\Jorvana,
// written by the main window at start-up.
int ReadFontBase();
CString ReadSharedFontFace();

// Creates a plain font of the height, weight and quality in the face.
BOOL CreateToolFont(CFont& font, int height, int weight, BYTE quality, LPCWSTR face, BYTE pitchAndFamily = 0);

// The current skin for a tool's skin reader: reports the fallbacks with their messages, and
// when the chosen skin was unreadable records default.skn as the skin. loaded is false when no
// skin file could be read at all.
CurrentSkin ReadToolSkin();

// The Tools list shown over an open tool is hidden again: the page container's FocusTab(4)
// while its Tools-list flag is set. `tool` is the tool window, whose parent is the container.
void HideToolsList(CWnd* tool);

// A tool leaves: it hides itself and shows its owner, the Tools page. Returns 1.
LRESULT LeaveTool(CWnd* tool);
