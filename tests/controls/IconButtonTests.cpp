// The icon button as a user sees it: face colours by slot, which icon shows where, the caption's
// place and look, borders and the hover look, its default-button role, and clicks and focus.

#include "ControlsTestSupport.h"
#include "controls/IconButton.h"
#include "platform/gdi/Recorder.h"

#include <chrono>
#include <memory>
#include <thread>

using namespace controlstest;

namespace {

constexpr COLORREF kIconIn = RGB(220, 0, 0), kIconOut = RGB(0, 160, 0), kIconDisabled = RGB(0, 0, 220);
constexpr COLORREF kFaceIn = RGB(250, 200, 0), kFaceOut = RGB(194, 211, 228), kFaceFocus = RGB(100, 100, 100);

// Button 1001 at (20, 20), 60 x 30; a 16 x 16 icon without caption sits at (42, 27).
class IconButtonTest : public ControlsTest {
protected:
    void Make(LPCWSTR caption, DWORD type = BS_PUSHBUTTON) {
        RawChild(WC_BUTTONW, caption, WS_TABSTOP | type, 1001, 20, 20, 60, 30);
        ASSERT_TRUE(m_button.SubclassDlgItem(1001, &m_parent));
        m_button.SetColor(0, kFaceIn);
        m_button.SetColor(2, kFaceOut);
        m_button.SetColor(4, kFaceFocus);
    }
    static COLORREF Face() { return At(26, 40); }
    void Hover() {
        SetCursorPos(50, kTop + 35);
        m_button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 15));
    }
    // The caption's DrawText calls of one repaint.
    std::vector<device::gdi::RecordedCall> CaptionCalls() {
        auto recorder = std::make_shared<device::gdi::CallRecorder>();
        device::gdi::SetDefaultRecorder(recorder);
        m_button.Invalidate();
        Pump();
        device::gdi::SetDefaultRecorder(nullptr);
        std::vector<device::gdi::RecordedCall> out;
        for (const auto& call : recorder->Calls("DrawText"))
            if (!(call.flags & DT_CALCRECT)) out.push_back(call);
        return out;
    }
    CIconButton m_button;
};

TEST_F(IconButtonTest, OwnerDrawnAndKeepsItsDefaultRole) {
    Make(L"OK", BS_DEFPUSHBUTTON);
    EXPECT_EQ(m_button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_TRUE(m_button.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
    m_button.SetButtonStyle(BS_PUSHBUTTON);
    EXPECT_EQ(m_button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_EQ(m_button.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), DLGC_UNDEFPUSHBUTTON);
}

TEST_F(IconButtonTest, FaceColoursFollowTheSlotsAndABadSlotChangesNothing) {
    Make(L"Clear");
    EXPECT_EQ(Face(), kFaceOut);
    EXPECT_EQ(m_button.SetColor(2, RGB(10, 20, 30)), 0u);
    EXPECT_EQ(m_button.SetColor(6, RGB(255, 255, 0)), 3u);
    EXPECT_EQ(Face(), RGB(10, 20, 30));
    m_button.SetFlat(FALSE);
    m_button.SetFocus(); // focused: slot 4 inside a black frame
    EXPECT_EQ(Face(), kFaceFocus);
    EXPECT_EQ(At(20, 20), RGB(0, 0, 0));
}

TEST_F(IconButtonTest, IconChoiceAndPlacement) {
    Make(L"");
    EXPECT_EQ(m_button.SetIcon(301, 16, 16, 302, 16, 16), 0u);
    EXPECT_EQ(At(42, 27), kIconOut); // centred, the normal icon
    EXPECT_EQ(At(57, 42), kIconOut);
    EXPECT_EQ(At(41, 27), kFaceOut);
    m_button.SetState(TRUE); // pressed: highlighted, one pixel right and down
    EXPECT_EQ(At(43, 28), kIconIn);
    EXPECT_EQ(At(42, 27), kFaceIn);
    m_button.SetState(FALSE);
    m_button.EnableWindow(FALSE); // disabled without a disabled icon: the highlighted one
    EXPECT_EQ(At(42, 27), kIconIn);
    m_button.SetIcon(301, 16, 16, 302, 16, 16, 303, 16, 16);
    EXPECT_EQ(At(42, 27), kIconDisabled);
    // Without the highlighted icon the others are dropped too.
    m_button.SetIcon(999, 16, 16, 302, 16, 16, 303, 16, 16);
    EXPECT_EQ(At(50, 35), kFaceOut);
}

TEST_F(IconButtonTest, CaptionPlaceAndLook) {
    Make(L"Off");
    m_button.SetColor(3, RGB(200, 0, 200));
    auto normal = CaptionCalls();
    ASSERT_EQ(normal.size(), 1u);
    const RECT at = normal[0].rect;
    EXPECT_LE(std::abs(at.left - (60 - at.right)), 1); // centred
    EXPECT_LE(std::abs(at.top - (30 - at.bottom)), 1);
    EXPECT_EQ(normal[0].textColour, RGB(200, 0, 200));
    m_button.SetState(TRUE);
    auto pressed = CaptionCalls();
    ASSERT_EQ(pressed.size(), 1u);
    EXPECT_EQ(pressed[0].rect.left, at.left + 1);
    EXPECT_EQ(pressed[0].rect.top, at.top + 1);
    m_button.SetState(FALSE);
    m_button.EnableWindow(FALSE); // embossed: highlight one pixel down-right, then shadow
    auto embossed = CaptionCalls();
    ASSERT_EQ(embossed.size(), 2u);
    EXPECT_EQ(embossed[0].textColour, GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(embossed[0].rect.left, at.left + 1);
    EXPECT_EQ(embossed[1].textColour, GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(embossed[1].rect.left, at.left);
    // With an icon, the icon sits 3 pixels in and the caption moves right of it.
    m_button.EnableWindow(TRUE);
    m_button.SetIcon(301, 16, 16);
    EXPECT_EQ(At(23, 27), kIconIn);
    EXPECT_EQ(At(22, 27), kFaceOut);
    EXPECT_GE(CaptionCalls().at(0).rect.left, 19);
}

TEST_F(IconButtonTest, ACaptionTooTallForTheButtonStepsItsFontDownToShowWhole) {
    Make(L"Update All");
    LOGFONTW lf{};
    lf.lfHeight = -18; // wrapped onto two lines, 36 pixels in a 30-pixel button
    wcscpy(lf.lfFaceName, L"Tahoma");
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    m_button.SetFont(&font, FALSE);
    auto calls = CaptionCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_GE(calls[0].rect.top, 0);
    EXPECT_LE(calls[0].rect.bottom, 30);
    m_button.SetWindowText(L"Off"); // a caption that fits keeps the button's own size
    calls = CaptionCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_GE(calls[0].rect.bottom - calls[0].rect.top, 18);
}

TEST_F(IconButtonTest, BordersAndTheHoverLook) {
    Make(L"M");
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(At(30, 20), kFaceOut); // flat, not hovered: no border
    Hover();
    EXPECT_EQ(Face(), kFaceIn);
    EXPECT_EQ(At(30, 20), light);
    EXPECT_EQ(At(30, 49), shadow);
    SetCursorPos(200, kTop + 200); // the pen leaves: the hover timer notices
    for (int i = 0; i < 40 && Face() != kFaceOut; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Face(), kFaceOut);
    m_button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 15)); // pen down: no hover
    EXPECT_EQ(Face(), kFaceOut);
    Hover();
    m_button.SendMessage(WM_CANCELMODE);
    EXPECT_EQ(Face(), kFaceOut);
    m_button.SetFlat(FALSE); // raised: no hover look, a border always, sunk when pressed
    Hover();
    EXPECT_EQ(Face(), kFaceOut);
    EXPECT_EQ(At(30, 20), light);
    m_button.SetState(TRUE);
    EXPECT_EQ(At(30, 20), shadow);
    EXPECT_EQ(At(30, 49), light);
}

TEST_F(IconButtonTest, ClicksReachThePageAndDisablingPassesTheFocusOn) {
    Make(L"M");
    HWND next = RawChild(WC_BUTTONW, L"W", WS_TABSTOP, 1002, 90, 20, 60, 30);
    HWND edit = RawChild(WC_EDITW, L"", WS_TABSTOP | WS_BORDER, 1003, 20, 100, 100, 20);
    Pump();
    device::display::test::Tap(POINT{50, kTop + 35});
    EXPECT_EQ(m_parent.clicks, std::vector<UINT>{1001});
    m_button.SetFocus();
    m_button.EnableWindow(FALSE);
    EXPECT_EQ(GetFocus(), next);
    m_button.EnableWindow(TRUE); // a button without the focus leaves it where it is
    SetFocus(edit);
    m_button.EnableWindow(FALSE);
    EXPECT_EQ(GetFocus(), edit);
}

} // namespace
