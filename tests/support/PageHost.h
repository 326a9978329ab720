#pragma once
// One page of the main window on its own, as the page container would hold it: a parent window
// over the work area stands in for the container, and the page fills the parent's client area.

#include "platform/display/HeadlessTest.h"
#include "platform/framework/Wnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace testsupport {

// Makes `parent` a visible popup over the work area, once.
inline void CreateWorkAreaParent(CWnd& parent) {
    if (parent.m_hWnd) return;
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_TRUE(parent.CreateEx(0, nullptr, L"Strip", WS_POPUP | WS_VISIBLE, area.left, area.top,
                                area.right - area.left, area.bottom - area.top, nullptr, nullptr));
}

// Sizes a created page to its parent's client area, shows it and lets its messages run.
inline void FillParentAndShow(CWnd& page, CWnd& parent) {
    RECT client{};
    parent.GetClientRect(&client);
    page.MoveWindow(0, 0, client.right, client.bottom);
    page.ShowWindow(SW_SHOW);
    device::display::test::PumpUntilIdle();
}

// Lets messages run until `done()` holds or 20 seconds have passed (a page's ticker thread posts
// its first tick as soon as it runs); what `done()` says last.
template <class Done> bool PumpUntil(Done done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        device::display::test::PumpUntilIdle();
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace testsupport
