#pragma once
// The wait cursor shown while a long operation runs on the user-interface thread. Calls nest:
// the cursor goes back to what it was when the outermost one ends.

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    // Shows the wait cursor again (after a message box replaced it, for instance).
    void Restore();
};

// 1 begins a wait, -1 ends one, 0 shows the wait cursor again while a wait is on.
void AfxWaitCursor(int nCode);
// The number of waits begun and not yet ended on this thread.
int AfxWaitCursorDepth();
