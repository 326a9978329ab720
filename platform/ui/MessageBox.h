#pragma once
// Message boxes: a modal dialog the layer draws itself, sized to its text, with an icon and a
// row of buttons. For tests, a script of answers makes the next message boxes return at once,
// and every message box is recorded (owner, text, caption, type, answer).

#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

// MB_OK, MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION and MB_ICONASTERISK are in WinUser.h.
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFMASK 0x00000F00u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u

// The button pressed (IDOK, IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE); 0 on failure.
// A null caption gives the owner's caption, or the application's name when there is none.
// Esc answers IDCANCEL when the box has a Cancel button, IDOK for a box with only OK, and does
// nothing otherwise. While the program is ending, no box is shown and the default button answers.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
#define MessageBox MessageBoxW

namespace device::ui {

struct MessageBoxRecord {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption; // as shown (after the null-caption rule)
    UINT type = 0;
    int answer = 0;
};

// The next message boxes return these answers in order without being shown. An answer that is
// not one of the box's buttons is refused: the box returns 0 and records 0, so a test sees it.
void ScriptMessageBoxAnswers(const std::vector<int>& answers);
// For a command-line program on a screen nobody looks at (the headless display): every message
// box that no scripted answer takes is written on standard error as "caption: text" and answered
// by its default button, instead of waiting for a tap that cannot come.
void AnswerMessageBoxesOnTerminal(bool on);
// One message box handled that way whatever the setting (recorded like any other).
int TerminalMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
// Answers not yet used.
size_t PendingMessageBoxAnswers();
// Every message box since the last clear, scripted or shown, oldest first.
std::vector<MessageBoxRecord> MessageBoxRecords();
// Forgets the records and any answers left.
void ClearMessageBoxRecords();

// Shows a box like an MB_OK message box that is not modal and stays above the other windows
// (a raised notification): its ok button closes it. Null on failure.
HWND ShowNotificationBox(const std::wstring& title, const std::wstring& text);

// The window of the message box on show (null when none): tests press its buttons.
HWND CurrentMessageBox();

} // namespace device::ui
