#pragma once
// The windows under a modal box: for as long as a modal loop runs, its owner and every window up
// the owner chain take no taps, keys or menu opening (their command bars, tab strips and pages are
// their children and go with them), and when the box ends they come back and the nearest of them
// that can be active is activated again, so that the taskbar shows its caption.

#include "platform/ui/WinUser.h"

#include <vector>

namespace device::ui {

class ModalOwnerLock {
public:
    // Disables the top-level window of owner and each window it is owned by, up the chain, that
    // is enabled now (a window already disabled, by an outer modal loop for instance, is left as
    // it is). A null owner locks nothing.
    explicit ModalOwnerLock(HWND owner);
    // Restores on every way out of the loop, an error path included.
    ~ModalOwnerLock();
    ModalOwnerLock(const ModalOwnerLock&) = delete;
    ModalOwnerLock& operator=(const ModalOwnerLock&) = delete;

    // Enables again what this lock disabled; then, when box (the modal window that ends) or no
    // window is active, or the active one can no longer take input (hidden, disabled, being
    // destroyed), activates the first window of the owner chain that is shown, enabled and not
    // being destroyed. Runs once; later calls do nothing.
    void Restore(HWND box);

private:
    std::vector<HWND> m_chain;    // the owner chain, nearest first, as it was when the lock was taken
    std::vector<HWND> m_disabled; // in the order they were disabled
    bool m_restored = false;
};

} // namespace device::ui
