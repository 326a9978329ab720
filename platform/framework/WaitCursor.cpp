#include "platform/framework/WaitCursor.h"

#include "platform/ui/WinUser.h"

namespace {
thread_local int t_depth = 0;
thread_local HCURSOR t_restore = nullptr;
} // namespace

void AfxWaitCursor(int nCode) {
    if (nCode > 0) {
        HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        if (t_depth++ == 0) t_restore = previous;
    } else if (nCode < 0) {
        if (t_depth == 0) return; // an end without a begin changes nothing
        if (--t_depth == 0) SetCursor(t_restore ? t_restore : LoadCursorW(nullptr, IDC_ARROW));
    } else if (t_depth > 0) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    }
}

int AfxWaitCursorDepth() { return t_depth; }

CWaitCursor::CWaitCursor() { AfxWaitCursor(1); }
CWaitCursor::~CWaitCursor() { AfxWaitCursor(-1); }
void CWaitCursor::Restore() { AfxWaitCursor(0); }
