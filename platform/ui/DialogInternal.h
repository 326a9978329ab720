#pragma once
// Shared by the dialog manager's files and the message box: per-dialog state and creation from a
// parsed template.

#include "platform/ui/Dialog.h"

#include <memory>

namespace device::ui {

struct DialogState {
    HFONT font = nullptr; // shared by every dialog of the same font; never deleted
    int baseX = 0;
    int baseY = 0;
    WORD defId = 0; // 0: none set (the default push button or IDOK serves)
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
    HWND savedFocus = nullptr; // the control that had the focus when the dialog was deactivated
};

// The state of a dialog window; null for any other window.
std::shared_ptr<DialogState> FindDialog(HWND dialog);

// Builds a dialog from a template; resourceId names the template's resource (its DLGINIT items
// come from the same module), 0 for a template in memory. Null on failure, with the error set.
HWND CreateDialogFromTemplate(HINSTANCE instance, const device::DialogTemplate& tpl, DWORD resourceId, HWND owner,
                              DLGPROC proc, LPARAM param, bool modal);
// Runs the modal loop of a dialog built with modal = true, then destroys it.
INT_PTR RunModalDialog(HWND dialog, HWND owner);

// ctrl+Tab and ctrl+shift+Tab for a property sheet: when `dialog` is a sheet or lies inside one,
// the sheet shows its next or previous page (as a tap on that tab) and true is returned.
bool SheetTakesPageKey(HWND dialog, const MSG& msg);

// The dialog whose tab order the Tab key of a dialog goes round: the dialog itself, or for a
// child dialog the outermost dialog it lies in (a page in the main window's tab strip shares the
// window's order with the strip).
HWND NavigationRoot(HWND dialog);
// The next (previous) tab stop of root's order after `from`: a control, or a child dialog where
// the focus rests on the dialog itself (null: from the start). Null when root has none.
HWND NextTabStop(HWND root, HWND from, bool previous);

// The room a property sheet's page shows, above its tab strip, in screen coordinates; false for
// a window that is no sheet.
bool SheetPageRoom(HWND sheet, RECT* room);

// Registers the message box's own push button class (once).
void RegisterMessageBoxClasses();

// Resizes a dialog that SHInitDialog sized to the work area to the work area as it is now.
void FollowWorkAreaIfShellSized(HWND dialog);

// The rounded "ok" button of a caption or of the taskbar, drawn in `colour` inside `button`.
void DrawOkButton(HDC dc, const RECT& button, COLORREF colour);

// The top-level window of an owner (modal dialogs are owned by top-level windows).
HWND OwnerTopLevel(HWND owner);

} // namespace device::ui
