#include "platform/framework/CmdTarget.h"

#include "platform/framework/CmdUI.h"
#include "platform/framework/WaitCursor.h"
#include "platform/ui/WinUser.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

namespace {
const AFX_MSGMAP_ENTRY kNoEntries[] = {{0, 0, 0, 0, nullptr}};
const AFX_MSGMAP kRootMap = {nullptr, kNoEntries};

bool Matches(const AFX_MSGMAP_ENTRY& e, UINT message, UINT code, UINT id) {
    if (e.nMessage != message || e.nCode != code) return false;
    if (message != WM_COMMAND && message != WM_NOTIFY) return true; // window messages: no id
    return id >= e.nID && id <= e.nLastID;
}
} // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() { return &kRootMap; }
const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return &kRootMap; }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id) {
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e)
            if (Matches(*e, message, code, id)) return e;
    return nullptr;
}

BOOL CCmdTarget::DispatchToMap(AFX_MSGCALL& call, UINT message, UINT code, UINT id) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e)
            if (Matches(*e, message, code, id) && e->pfn(this, call)) return TRUE;
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
    UINT message = WM_COMMAND;
    UINT code = static_cast<UINT>(nCode);
    if (HIWORD(static_cast<UINT>(nCode)) == WM_NOTIFY && pExtra) {
        message = WM_NOTIFY;
        code = static_cast<AFX_NOTIFY*>(pExtra)->pNMHDR->code;
    }
    // A query only: is there a handler?
    if (pHandlerInfo) return FindMessageEntry(GetMessageMap(), message, code, nID) != nullptr;

    AFX_MSGCALL call;
    call.message = message;
    call.nID = nID;
    call.nCode = nCode;
    call.pExtra = pExtra;
    if (nCode == CN_UPDATE_COMMAND_UI && pExtra) static_cast<CCmdUI*>(pExtra)->m_bContinueRouting = FALSE;
    BOOL handled = DispatchToMap(call, message, code, nID);
    if (handled && nCode == CN_UPDATE_COMMAND_UI && pExtra) {
        // A handler may ask for the update to go on to the next target.
        handled = !static_cast<CCmdUI*>(pExtra)->m_bContinueRouting;
    }
    return handled;
}

void CCmdTarget::BeginWaitCursor() { AfxWaitCursor(1); }
void CCmdTarget::EndWaitCursor() { AfxWaitCursor(-1); }
void CCmdTarget::RestoreWaitCursor() { AfxWaitCursor(0); }
