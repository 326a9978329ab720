#pragma once
// A test's steps run one at a time inside whatever modal loop runs next (a dialog's, a sheet's,
// the main window's), so that keys go through that loop's own dialog manager. Each step runs from
// a thread timer once the active window is shown and the messages of the step before it (the keys
// it pressed, their paints) are handled; the last step should end the loop.

#include "platform/ui/DeviceUi.h"
#include "platform/ui/WinUser.h"

#include <deque>
#include <functional>
#include <utility>

namespace testsupport {

class ModalSteps {
public:
    explicit ModalSteps(std::deque<std::function<void()>> steps) {
        s_steps = std::move(steps);
        m_timer = ::SetTimer(nullptr, 0, 10, &ModalSteps::Tick);
    }
    ~ModalSteps() {
        ::KillTimer(nullptr, m_timer);
        s_steps.clear();
    }
    ModalSteps(const ModalSteps&) = delete;
    ModalSteps& operator=(const ModalSteps&) = delete;

    // Every step ran.
    static bool Done() { return s_steps.empty(); }

    // A key pressed and released as the keyboard does it.
    static void Press(UINT vk) {
        device::ui::InjectKey(vk, true);
        device::ui::InjectKey(vk, false);
    }
    // A key pressed while modifier keys are held.
    static void PressWith(std::initializer_list<UINT> held, UINT vk) {
        for (UINT m : held) device::ui::InjectKey(m, true);
        Press(vk);
        for (UINT m : held) device::ui::InjectKey(m, false);
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND active = ::GetActiveWindow();
        if (s_steps.empty() || !active || !::IsWindowVisible(active)) return;
        auto step = std::move(s_steps.front());
        s_steps.pop_front();
        step();
    }

    static inline std::deque<std::function<void()>> s_steps;
    UINT_PTR m_timer = 0;
};

} // namespace testsupport
