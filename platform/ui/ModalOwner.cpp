// The windows under a modal box: disabled for the loop, enabled and activated again after it.

#include "platform/ui/ModalOwner.h"

#include "platform/ui/WindowManager.h"

#include <algorithm>

namespace device::ui {

namespace {

// A window that can be made the active one again: it exists, is shown, takes input and is not on
// its way out (a box shown from a window's WM_DESTROY ends while that window still exists).
bool CanBeActive(HWND hwnd) {
    std::lock_guard lock(Wm().lock);
    Window* w = Find(hwnd);
    return w && !w->destroying && !w->parent && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

} // namespace

ModalOwnerLock::ModalOwnerLock(HWND owner) {
    {
        std::lock_guard lock(Wm().lock);
        HWND h = owner && Find(owner) ? TopLevelOf(owner) : nullptr;
        while (h && std::find(m_chain.begin(), m_chain.end(), h) == m_chain.end()) {
            m_chain.push_back(h);
            Window* w = Find(h);
            h = w && w->owner && Find(w->owner) ? TopLevelOf(w->owner) : nullptr;
        }
    }
    for (HWND h : m_chain) {
        if (!IsWindowEnabled(h)) continue;
        EnableWindow(h, FALSE);
        m_disabled.push_back(h);
    }
}

ModalOwnerLock::~ModalOwnerLock() { Restore(nullptr); }

void ModalOwnerLock::Restore(HWND box) {
    if (m_restored) return;
    m_restored = true;
    for (auto it = m_disabled.rbegin(); it != m_disabled.rend(); ++it)
        if (IsWindow(*it)) EnableWindow(*it, TRUE);
    HWND active = GetActiveWindow();
    if (active && active != box && CanBeActive(active)) return; // the user went elsewhere: stay there
    for (HWND h : m_chain) {
        if (!CanBeActive(h)) continue;
        SetActiveWindow(h);
        return;
    }
}

} // namespace device::ui
