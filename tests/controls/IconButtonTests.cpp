// The icon button as a user sees it: its face colours, which icon shows where, the pressed
// shift, the hover look of a flat button, its default-button role, and clicks reaching the page.

#include "ControlsTestSupport.h"
#include "controls/IconButton.h"
#include "platform/gdi/Recorder.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

using namespace controlstest;

namespace {

constexpr COLORREF kIconIn = RGB(220, 0, 0);
constexpr COLORREF kIconOut = RGB(0, 160, 0);
constexpr COLORREF kIconDisabled = RGB(0, 0, 220);
constexpr COLORREF kFaceIn = RGB(250, 200, 0);
constexpr COLORREF kFaceOut = RGB(194, 211, 228);
constexpr COLORREF kFaceFocus = RGB(100, 100, 100);

// Button 1001 at (20, 20), 60 x 30 on the page; an icon of 16 x 16 without caption sits at
// (42, 27).
class IconButtonTest : public ControlsTest {
protected:
    void Make(LPCWSTR caption = L"", DWORD type = BS_PUSHBUTTON) {
        RawChild(WC_BUTTONW, caption, WS_TABSTOP | type, 1001, 20, 20, 60, 30);
        ASSERT_TRUE(m_button.SubclassDlgItem(1001, &m_parent));
        m_button.SetColor(0, kFaceIn);
        m_button.SetColor(2, kFaceOut);
        m_button.SetColor(4, kFaceFocus);
    }
    static COLORREF Face() { return At(26, 40); }
    CIconButton m_button;
};

TEST_F(IconButtonTest, SubclassingMakesAnOwnerDrawnButtonThatKeepsItsDefaultRole) {
    Make(L"OK", BS_DEFPUSHBUTTON);
    EXPECT_EQ(m_button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_TRUE(m_button.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
    m_button.SetButtonStyle(BS_PUSHBUTTON);
    EXPECT_EQ(m_button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    LRESULT code = m_button.SendMessage(WM_GETDLGCODE);
    EXPECT_TRUE(code & DLGC_UNDEFPUSHBUTTON);
    EXPECT_FALSE(code & DLGC_DEFPUSHBUTTON);
    m_button.SetButtonStyle(BS_DEFPUSHBUTTON);
    EXPECT_TRUE(m_button.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
}

TEST_F(IconButtonTest, FaceColoursFollowTheSlotsAndABadSlotChangesNothing) {
    Make(L"Clear");
    EXPECT_EQ(Face(), kFaceOut);
    EXPECT_EQ(m_button.SetColor(2, RGB(10, 20, 30)), 0u);
    EXPECT_EQ(Face(), RGB(10, 20, 30));
    EXPECT_EQ(m_button.SetColor(6, RGB(255, 255, 0)), 3u);
    EXPECT_EQ(m_button.SetColor(200, RGB(255, 255, 0)), 3u);
    EXPECT_EQ(Face(), RGB(10, 20, 30));
    // Focused (not hovered or pressed): slot 4, with the black frame of a focused raised button.
    m_button.SetFlat(FALSE);
    m_button.SetFocus();
    EXPECT_EQ(Face(), kFaceFocus);
    EXPECT_EQ(At(20, 20), RGB(0, 0, 0));
}

TEST_F(IconButtonTest, IconChoiceAndPlacement) {
    Make();
    EXPECT_EQ(m_button.SetIcon(301, 16, 16, 302, 16, 16), 0u);
    // No caption: the normal icon centred.
    EXPECT_EQ(At(42, 27), kIconOut);
    EXPECT_EQ(At(57, 42), kIconOut);
    EXPECT_EQ(At(41, 27), kFaceOut);
    EXPECT_EQ(At(58, 42), kFaceOut);

    // Pressed: the highlighted icon, one pixel right and down, on the pressed face.
    m_button.SetState(TRUE);
    EXPECT_EQ(At(43, 28), kIconIn);
    EXPECT_EQ(At(42, 27), kFaceIn);
    EXPECT_EQ(At(58, 43), kIconIn);
    m_button.SetState(FALSE);

    // Disabled without a disabled icon: the highlighted one; with one: that one.
    m_button.EnableWindow(FALSE);
    EXPECT_EQ(At(42, 27), kIconIn);
    m_button.SetIcon(301, 16, 16, 302, 16, 16, 303, 16, 16);
    EXPECT_EQ(At(42, 27), kIconDisabled);
}

TEST_F(IconButtonTest, WithoutTheHighlightedIconNoIconIsShown) {
    Make();
    m_button.SetIcon(301, 16, 16, 302, 16, 16);
    EXPECT_EQ(At(50, 35), kIconOut);
    EXPECT_EQ(m_button.SetIcon(999, 16, 16, 302, 16, 16, 303, 16, 16), 0u);
    EXPECT_EQ(At(50, 35), kFaceOut);
    m_button.EnableWindow(FALSE);
    EXPECT_EQ(At(50, 35), kFaceOut);
}

TEST_F(IconButtonTest, IconBesideTheCaptionAndTheCaptionInItsColour) {
    Make(L"W");
    m_button.SetColor(3, RGB(200, 0, 200));
    m_button.SetIcon(301, 16, 16);
    // With a caption the icon sits 3 pixels in from the left edge, centred vertically.
    EXPECT_EQ(At(23, 27), kIconIn);
    EXPECT_EQ(At(22, 27), kFaceOut);
    // The caption is drawn right of the icon in slot 3's colour.
    int captionPixels = 0;
    for (int y = 20; y < 50; ++y)
        for (int x = 42; x < 80; ++x) captionPixels += At(x, y) == RGB(200, 0, 200);
    EXPECT_GT(captionPixels, 0);
}

// The caption's drawing calls during one repaint of the button.
std::vector<device::gdi::RecordedCall> CaptionCalls(CIconButton& button, const std::wstring& caption) {
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    device::gdi::SetDefaultRecorder(recorder);
    button.Invalidate();
    device::display::test::PumpUntilIdle();
    device::gdi::SetDefaultRecorder(nullptr);
    std::vector<device::gdi::RecordedCall> out;
    for (const auto& call : recorder->Calls("DrawText"))
        if (call.text == caption && !(call.flags & DT_CALCRECT)) out.push_back(call);
    return out;
}

TEST_F(IconButtonTest, CaptionCentredShiftedWhenPressedAndEmbossedWhenDisabled) {
    Make(L"Off");
    auto normal = CaptionCalls(m_button, L"Off");
    ASSERT_EQ(normal.size(), 1u);
    const RECT at = normal[0].rect;
    // Centred in the button: equal margins (to a pixel) on both sides.
    EXPECT_LE(std::abs((at.left - 0) - (60 - at.right)), 1);
    EXPECT_LE(std::abs((at.top - 0) - (30 - at.bottom)), 1);
    EXPECT_EQ(normal[0].textColour, GetSysColor(COLOR_BTNTEXT));

    m_button.SetState(TRUE);
    auto pressed = CaptionCalls(m_button, L"Off");
    ASSERT_EQ(pressed.size(), 1u);
    EXPECT_EQ(pressed[0].rect.left, at.left + 1);
    EXPECT_EQ(pressed[0].rect.top, at.top + 1);
    m_button.SetState(FALSE);

    m_button.EnableWindow(FALSE);
    auto embossed = CaptionCalls(m_button, L"Off");
    ASSERT_EQ(embossed.size(), 2u);
    EXPECT_EQ(embossed[0].textColour, GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(embossed[0].rect.left, at.left + 1);
    EXPECT_EQ(embossed[0].rect.top, at.top + 1);
    EXPECT_EQ(embossed[1].textColour, GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(embossed[1].rect.left, at.left);
    EXPECT_EQ(embossed[1].rect.top, at.top);
}

TEST_F(IconButtonTest, BorderOfTheFlatAndRaisedLooks) {
    Make(L"M");
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    // Flat and not hovered: no border.
    EXPECT_EQ(At(30, 20), kFaceOut);
    EXPECT_EQ(At(30, 49), kFaceOut);
    // Flat and hovered: raised.
    SetCursorPos(50, kTop + 35);
    m_button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 15));
    EXPECT_EQ(At(30, 20), light);
    EXPECT_EQ(At(30, 49), shadow);
    m_button.SendMessage(WM_MOUSELEAVE);
    // Raised: always a border, sunk (shadow top-left) while pressed.
    m_button.SetFlat(FALSE);
    EXPECT_EQ(At(30, 20), light);
    EXPECT_EQ(At(30, 49), shadow);
    m_button.SetState(TRUE);
    EXPECT_EQ(At(30, 20), shadow);
    EXPECT_EQ(At(30, 49), light);
}

TEST_F(IconButtonTest, FlatButtonHoversWhileThePenIsOverIt) {
    Make(L"C");
    ASSERT_EQ(Face(), kFaceOut);
    SetCursorPos(50, kTop + 35);
    m_button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 15));
    EXPECT_EQ(Face(), kFaceIn);
    // The pen leaves: the hover timer notices and the normal face returns.
    SetCursorPos(200, kTop + 200);
    for (int i = 0; i < 40 && Face() != kFaceOut; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Face(), kFaceOut);

    // A raised button has no hover look; nor does a move with the pen held down.
    m_button.SetFlat(FALSE);
    SetCursorPos(50, kTop + 35);
    m_button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 15));
    EXPECT_EQ(Face(), kFaceOut);
    m_button.SetFlat(TRUE);
    m_button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 15));
    EXPECT_EQ(Face(), kFaceOut);
    // Losing the focus cancels the hover.
    m_button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 15));
    EXPECT_EQ(Face(), kFaceIn);
    m_button.SendMessage(WM_CANCELMODE);
    EXPECT_EQ(Face(), kFaceOut);
}

TEST_F(IconButtonTest, ATapReachesThePageAsAClick) {
    Make(L"Update");
    Pump();
    device::display::test::Tap(POINT{50, kTop + 35});
    ASSERT_EQ(m_parent.clicks.size(), 1u);
    EXPECT_EQ(m_parent.clicks[0], 1001u);
}

TEST_F(IconButtonTest, DisablingTheFocusedButtonMovesTheFocusOn) {
    Make(L"M");
    HWND next = RawChild(WC_BUTTONW, L"W", WS_TABSTOP | BS_PUSHBUTTON, 1002, 90, 20, 60, 30);
    HWND edit = RawChild(WC_EDITW, L"", WS_TABSTOP | WS_BORDER, 1003, 20, 100, 100, 20);
    m_button.SetFocus();
    m_button.EnableWindow(FALSE);
    EXPECT_EQ(GetFocus(), next);
    // Disabling a button that does not have the focus leaves the focus where it is.
    m_button.EnableWindow(TRUE);
    SetFocus(edit);
    m_button.EnableWindow(FALSE);
    EXPECT_EQ(GetFocus(), edit);
}

} // namespace
