// The Tools page in a stand-in main window: opening tools by tap and by OpenTool, the shared
// tool frame (one window per tool, placement, owner, leaving), CurTab, the unread-news marker,
// the skin icons and the Enter key.

#include "ToolsTestSupport.h"
#include "tools/ClothesDlg.h"
#include "tools/DialCodesDlg.h"
#include "tools/NewsDlg.h"
#include "tools/PackingListDlg.h"
#include "tools/UnitConverterDlg.h"
#include "platform/ui/Sip.h"

#include <algorithm>

namespace toolstest {
namespace {

using Requests = std::vector<std::pair<UINT, WPARAM>>;

// What the main window was asked to show (its WM_APP_HIDE_PAGE aside: it is the parent of the
// container, which lies under the probe point once the Tools page hides).
#define BarRequests() BarsOf(m_main.requests)
Requests BarsOf(const Requests& all) {
    Requests bars;
    for (const auto& r : all)
        if (r.first != WM_APP_HIDE_PAGE) bars.push_back(r);
    return bars;
}

TEST_F(ToolsTest, TapOpensTheToolOnceAndAsksForItsCommandBar) {
    CreatePage();
    ASSERT_EQ(m_page.m_list.GetItemCount(), kToolCount);
    EXPECT_EQ(m_page.GetCurrentTool(), -1);

    TapTool(kToolConverter);
    CDialog* converter = m_page.GetTool(kToolConverter);
    ASSERT_TRUE(m_page.IsToolCreated(kToolConverter));
    HWND first = converter->GetSafeHwnd();
    EXPECT_TRUE(converter->IsWindowVisible());
    EXPECT_FALSE(m_page.IsWindowVisible());
    EXPECT_EQ(m_page.GetCurrentTool(), kToolConverter);
    EXPECT_EQ(ReadJorvanaDword(L"CurTab"), 40u);
    EXPECT_EQ(BarRequests(), (Requests{{WM_APP_SHOW_EDIT_BAR, 0}}));
    // Parent is the page container, owner the Tools page.
    EXPECT_EQ(::GetParent(first), m_container.GetSafeHwnd());
    EXPECT_EQ(::GetWindow(first, GW_OWNER), m_page.GetSafeHwnd());

    // Placed by the frame formula: the page's client rectangle taken from the container's client
    // coordinates to the screen's.
    CRect r;
    m_page.GetClientRect(&r);
    m_container.ClientToScreen(&r);
    CRect placed;
    converter->GetWindowRect(&placed);
    m_container.ScreenToClient(&placed);
    RECT area = device::ui::WorkArea();
    EXPECT_EQ(placed.left, r.left + 2);
    EXPECT_EQ(placed.top, r.top);
    EXPECT_EQ(placed.Width(), r.Width() + 1);
    // The converter's value field raised the input panel: the window ends at its top edge.
    SIPINFO sip{};
    sip.cbSize = sizeof(sip);
    ASSERT_TRUE(::SipGetInfo(&sip));
    int height = r.bottom - 2 * r.top + (area.bottom - area.top);
    if (sip.fdwFlags & SIPF_ON) {
        CRect screen;
        converter->GetWindowRect(&screen);
        height = std::min(height, static_cast<int>(sip.rcVisibleDesktop.bottom - screen.top));
    }
    EXPECT_EQ(placed.Height(), height);

    // Back to Tools: the tool hides, the page shows, the current tool and CurTab stay.
    EXPECT_EQ(converter->SendMessage(WM_APP_LEAVE_TOOL), 1);
    EXPECT_FALSE(converter->IsWindowVisible());
    EXPECT_TRUE(m_page.IsWindowVisible());
    EXPECT_EQ(m_page.GetCurrentTool(), kToolConverter);

    // News, then the converter again: the same window, shown and the news hidden.
    TapTool(kToolNews);
    EXPECT_EQ(ReadJorvanaDword(L"CurTab"), 44u);
    CDialog* news = m_page.GetTool(kToolNews);
    ASSERT_TRUE(m_page.IsToolCreated(kToolNews));
    EXPECT_TRUE(news->IsWindowVisible());
    EXPECT_FALSE(converter->IsWindowVisible());
    m_page.OpenTool(kToolConverter);
    EXPECT_EQ(converter->GetSafeHwnd(), first);
    EXPECT_TRUE(converter->IsWindowVisible());
    EXPECT_FALSE(news->IsWindowVisible());
    EXPECT_EQ(ReadJorvanaDword(L"CurTab"), 40u);
    EXPECT_EQ(BarRequests(),
              (Requests{{WM_APP_SHOW_EDIT_BAR, 0}, {WM_APP_SHOW_TOOL_BAR, 5}, {WM_APP_SHOW_EDIT_BAR, 0}}));
}

TEST_F(ToolsTest, OpenToolOutsideTheToolsChangesNothingAndEveryToolOpens) {
    CreatePage();
    for (int index : {-1, 5, 40}) m_page.OpenTool(index);
    LONG status = 0;
    ReadJorvanaDword(L"CurTab", &status);
    EXPECT_NE(status, CRegistryKey::kFound);
    EXPECT_EQ(m_page.GetCurrentTool(), -1);
    EXPECT_TRUE(BarRequests().empty());
    EXPECT_TRUE(m_page.IsWindowVisible());
    // Enter on the page does not close it.
    m_page.SendMessage(WM_COMMAND, IDOK);
    Pump();
    EXPECT_TRUE(::IsWindow(m_page.GetSafeHwnd()));
    EXPECT_TRUE(m_page.IsWindowVisible());

    // The dialing codes, clothing sizes and packing list: each opens in its own window, by a tap
    // or by OpenTool, and asks for its bar.
    TapTool(kToolDialCodes);
    ASSERT_TRUE(m_page.IsToolCreated(kToolDialCodes));
    EXPECT_NE(dynamic_cast<CDialCodesDlg*>(m_page.GetTool(kToolDialCodes)), nullptr);
    EXPECT_TRUE(m_page.GetTool(kToolDialCodes)->IsWindowVisible());
    EXPECT_EQ(ReadJorvanaDword(L"CurTab"), 41u);
    m_page.GetTool(kToolDialCodes)->SendMessage(WM_APP_LEAVE_TOOL);
    TapTool(kToolClothes);
    ASSERT_TRUE(m_page.IsToolCreated(kToolClothes));
    EXPECT_NE(dynamic_cast<CClothesDlg*>(m_page.GetTool(kToolClothes)), nullptr);
    EXPECT_TRUE(m_page.GetTool(kToolClothes)->IsWindowVisible());
    EXPECT_FALSE(m_page.GetTool(kToolDialCodes)->IsWindowVisible());
    m_page.OpenTool(kToolPackingList);
    ASSERT_TRUE(m_page.IsToolCreated(kToolPackingList));
    EXPECT_NE(dynamic_cast<CPackingListDlg*>(m_page.GetTool(kToolPackingList)), nullptr);
    EXPECT_TRUE(m_page.GetTool(kToolPackingList)->IsWindowVisible());
    EXPECT_FALSE(m_page.GetTool(kToolClothes)->IsWindowVisible());
    EXPECT_EQ(m_page.GetCurrentTool(), kToolPackingList);
    EXPECT_EQ(ReadJorvanaDword(L"CurTab"), 43u);
    EXPECT_EQ(BarRequests(),
              (Requests{{WM_APP_SHOW_TOOL_BAR, 2}, {WM_APP_SHOW_TOOL_BAR, 3}, {WM_APP_SHOW_PACKING_BAR, 0}}));
}

TEST_F(ToolsTest, OpeningTheToolHidesAPageShowingUnderIt) {
    // A tab page of the main window still standing where the tools go.
    struct CPageStandIn : CWnd {
        int hides = 0;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_APP_HIDE_PAGE) {
                ++hides;
                ShowWindow(SW_HIDE);
                return 1;
            }
            return CWnd::WindowProc(message, wParam, lParam);
        }
    } other;
    CreatePage();
    RECT area = device::ui::WorkArea();
    ASSERT_TRUE(other.CreateEx(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 26, area.right - area.left,
                               area.bottom - area.top - 26, m_container.m_hWnd, nullptr));
    ::SetWindowPos(other.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_page.OpenTool(kToolConverter);
    EXPECT_EQ(other.hides, 1);
    EXPECT_FALSE(other.IsWindowVisible());
    other.DestroyWindow();
}

TEST_F(ToolsTest, UnreadMarkerFollowsTheFlagAtTheNextLayoutPass) {
    WriteJorvanaDword(L"newsread", 0);
    CreatePage();
    EXPECT_EQ(m_page.IsNewsUnread(), 1);
    EXPECT_TRUE(m_page.m_unreadMarker.IsWindowVisible());
    CRect icon, marker;
    m_page.m_list.GetItemRect(kToolNews, &icon, LVIR_ICON);
    m_page.m_unreadMarker.GetWindowRect(&marker);
    m_page.ScreenToClient(&marker);
    EXPECT_EQ(marker.TopLeft(), CPoint(icon.left + 23, icon.top + 2));
    EXPECT_EQ(marker.Size(), CSize(9, 9));
    testsupport::SaveScreenshot("tools-page-unread");

    // Opening the news marks it read; the marker goes at the next layout pass.
    m_page.OpenTool(kToolNews);
    EXPECT_EQ(ReadJorvanaDword(L"newsread"), 1u);
    EXPECT_EQ(ReadJorvanaDword(L"newnews"), 0u);
    EXPECT_EQ(m_page.IsNewsUnread(), 0);
    m_page.SendMessage(WM_APP_LEAVE_TOOL); // the page itself ignores it
    m_page.ShowWindow(SW_SHOW);
    CRect client;
    m_page.GetClientRect(&client);
    m_page.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    EXPECT_FALSE(m_page.m_unreadMarker.IsWindowVisible());

    // A missing newsread, or any value but 0, counts as read.
    m_page.DestroyWindow();
    CToolsPage again;
    WriteJorvanaDword(L"newsread", 7);
    ASSERT_TRUE(again.Create(IDD_TOOLS_PAGE, &m_container));
    EXPECT_EQ(again.IsNewsUnread(), 0);
    again.DestroyWindow();
}

TEST_F(ToolsTest, SkinIconsReplaceThePlaceholdersAndAMissingIconIsSkipped) {
    CreatePage();
    CImageList* images = m_page.m_list.GetImageList(LVSIL_NORMAL);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->GetImageCount(), 5);
    HIMAGELIST placeholders = images->GetSafeHandle();

    // An empty folder changes nothing at all.
    m_page.ApplySkin(L"", L"\\toolbar\\", RGB(1, 2, 3));
    m_page.ApplySkin(L"\\Program Files\\Jorvana", L"", RGB(1, 2, 3));
    EXPECT_EQ(m_page.m_list.GetImageList(LVSIL_NORMAL)->GetSafeHandle(), placeholders);
    EXPECT_EQ(m_page.m_list.GetBkColor(), RGB(123, 158, 189));

    m_page.ApplySkin(L"\\Program Files\\Jorvana", L"\\toolbar\\", 0xFFFFFFFF);
    images = m_page.m_list.GetImageList(LVSIL_NORMAL);
    EXPECT_NE(images->GetSafeHandle(), placeholders);
    EXPECT_EQ(images->GetImageCount(), 5);
    EXPECT_EQ(m_page.m_list.GetBkColor(), RGB(123, 158, 189));
    testsupport::SaveScreenshot("tools-page");

    std::filesystem::remove(testsupport::HostPath(InProgramFolder(L"toolbar\\dial.bmp")));
    m_page.ApplySkin(L"\\Program Files\\Jorvana", L"\\toolbar\\", RGB(10, 20, 30));
    EXPECT_EQ(m_page.m_list.GetImageList(LVSIL_NORMAL)->GetImageCount(), 4);
    EXPECT_EQ(m_page.m_list.GetBkColor(), RGB(10, 20, 30));
    EXPECT_EQ(m_page.m_list.GetTextBkColor(), RGB(123, 158, 189));
    // A folder that climbs out of the skin folder loads nothing.
    m_page.ApplySkin(L"\\Program Files\\Jorvana", L"\\..\\Jorvana\\toolbar\\", 0xFFFFFFFF);
    EXPECT_EQ(m_page.m_list.GetImageList(LVSIL_NORMAL)->GetImageCount(), 0);
}

TEST_F(ToolsTest, SkinReachesOnlyTheConverterWindowThatExists) {
    CreatePage();
    auto* converter = static_cast<CConverterDlg*>(m_page.GetTool(kToolConverter));
    m_page.ApplySkin(L"\\Program Files\\Jorvana", L"\\toolbar\\", 0xFFFFFFFF);
    EXPECT_FALSE(m_page.IsToolCreated(kToolConverter));
    m_page.OpenTool(kToolConverter);
    EXPECT_EQ(converter->m_panelColor, RGB(206, 222, 236)); // PCC of the default skin
    CRegistryKey registry;
    registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Skins\\Other\\other.skn");
    testsupport::WriteDeviceFile(L"\\Skins\\Other\\other.skn",
                                 "[Common Folders]\r\nP@\\Portrait\r\n>\r\n[Tools]\r\nBC@\\none.jpg\r\nPCC@1002003\r\n"
                                 "PCTC@4005006\r\nPBCC@7008009\r\nTLC@10011012\r\n>\r\n*\r\n<");
    m_page.ApplySkin(L"\\Program Files\\Jorvana", L"\\toolbar\\", 0xFFFFFFFF);
    EXPECT_EQ(converter->m_panelColor, RGB(1, 2, 3));
    EXPECT_EQ(converter->m_panelTextColor, RGB(4, 5, 6));
    EXPECT_EQ(converter->m_panelButtonColor, RGB(7, 8, 9));
    EXPECT_EQ(converter->m_labelColor, RGB(10, 11, 12));
    EXPECT_EQ(converter->m_background.GetSafeHandle(), nullptr); // \Skins\Other\Portrait\none.jpg

    // A skin file that is gone: the message, the default skin, and `skin` pointing at it.
    registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Skins\\Gone.skn");
    device::ui::ScriptMessageBoxAnswers({IDOK});
    m_page.ApplySkin(L"\\Program Files\\Jorvana", L"\\toolbar\\", 0xFFFFFFFF);
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[0].text,
              L"Skin File corrupted or not found!\n\nDefault skin will be used.");
    EXPECT_EQ(converter->m_panelColor, RGB(206, 222, 236));
    EXPECT_EQ(std::wstring(registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin")),
              L"\\Program Files\\Jorvana\\default.skn");
}

} // namespace
} // namespace toolstest
