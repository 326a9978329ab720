#pragma once
// Shared by the control tests: a page (a framework window filled with one known colour that
// records the button clicks it gets) at screen (0, 40), and pixel helpers in page coordinates.

#include "platform/display/HeadlessTest.h"
#include "platform/framework/Controls.h"
#include "platform/framework/MessageMap.h"

#include <gtest/gtest.h>

#include <vector>

namespace controlstest {

inline constexpr COLORREF kPageColour = RGB(0, 0, 200);

class CTestParent : public CWnd {
public:
    std::vector<UINT> clicks;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (HIWORD(wParam) == BN_CLICKED) clicks.push_back(LOWORD(wParam));
        return CWnd::OnCommand(wParam, lParam);
    }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};

class ControlsTest : public ::testing::Test {
protected:
    static constexpr int kTop = 40;
    void SetUp() override {
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, L"Page", WS_POPUP | WS_VISIBLE, 0, kTop, 240, 240, nullptr, nullptr));
        Pump();
    }
    void TearDown() override {
        m_parent.DestroyWindow();
        Pump();
        CWnd::DeleteTempMap();
    }
    HWND RawChild(LPCWSTR cls, LPCWSTR text, DWORD style, int id, int x, int y, int w, int h) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_parent.m_hWnd,
                               reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    }
    static COLORREF At(int x, int y) {
        Pump();
        return device::display::test::PixelAt(x, y + kTop);
    }
    static void Pump() { device::display::test::PumpUntilIdle(); }

    CTestParent m_parent;
};

} // namespace controlstest
