#pragma once
// CCmdTarget: the root of every class that receives commands and window messages through a
// message map. A message map is a static table of entries (see MessageMap.h for the macros that
// write them); each class's table links to its base class's table, and dispatch walks from the
// most derived table to CCmdTarget's.

#include "platform/framework/Object.h"
#include "platform/ui/WinUser.h"

class CCmdTarget;
class CCmdUI;

// Control notification codes that are not window messages: a command proper and a request for
// the command's user-interface state.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI (-1)
#define CN_NOTIFY 0x004E // WM_NOTIFY carried as a command code

// Messages sent back to a control by its parent carry this offset (ON_NOTIFY_REFLECT and co).
#define WM_REFLECT_BASE 0xBC00

// The message being dispatched, as the entry thunks see it.
struct AFX_MSGCALL {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;     // what the window procedure returns
    UINT nID = 0;           // command or control id
    int nCode = 0;          // notification code, CN_COMMAND or CN_UPDATE_COMMAND_UI
    void* pExtra = nullptr; // CCmdUI* for updates, NMHDR* for notifications
};

// What a WM_NOTIFY hands to OnCmdMsg as pExtra (nCode is MAKELONG(code, WM_NOTIFY)).
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// An entry's thunk calls the typed handler; FALSE means the handler declined (the _EX forms) and
// dispatch goes on.
typedef BOOL (*AFX_PMSGTHUNK)(CCmdTarget* target, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message; WM_COMMAND / WM_NOTIFY for commands and notifications
    UINT nCode;     // notification code, or CN_COMMAND / CN_UPDATE_COMMAND_UI
    UINT nID;       // first control or command id (0 for window messages)
    UINT nLastID;   // last id of a range (equal to nID otherwise)
    AFX_PMSGTHUNK pfn; // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;

    // Routes a command (nCode CN_COMMAND or a control notification), a command-UI update
    // (CN_UPDATE_COMMAND_UI, pExtra the CCmdUI) or a WM_NOTIFY (CN_NOTIFY) through this object's
    // message map. TRUE when a handler took it; for an update, TRUE when a handler exists.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

    // The wait cursor while a long operation runs; calls nest.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();

    // The first entry of the map chain (from this class to the root) for a message, code and id;
    // null when none. Used by the window's dispatch and by command routing.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);
    // Calls every matching entry in order until one accepts; TRUE when one did.
    BOOL DispatchToMap(AFX_MSGCALL& call, UINT message, UINT code, UINT id);
};
