// The news page: the built-in page without news.htm, the file through a file:// address (read
// again at every opening), the news marked read, and the zoom buttons' levels and zones.

#include "ToolsTestSupport.h"
#include "core/CoreMessages.h"
#include "platform/ui/HtmlView.h"
#include "resources/resource.h"
#include "support/StorageMessages.h"
#include "support/FileSizeLimit.h"
#include "support/UserAction.h"
#include "tools/NewsDlg.h"

#include <optional>

namespace toolstest {
namespace {

class NewsPageTest : public ToolsTest {
protected:
    CNewsPage* OpenNews() {
        m_page.OpenTool(kToolNews);
        return static_cast<CNewsPage*>(m_page.GetTool(kToolNews));
    }
    static device::ui::HtmlViewState ViewerState() {
        device::ui::HtmlViewState state;
        EXPECT_TRUE(device::ui::GetHtmlViewState(CNewsPage::GetHtmlView(), state));
        return state;
    }
    // A tap at a point of the news page's client area.
    static void TapNews(CNewsPage* news, int x, int y) {
        POINT p{x, y};
        news->ClientToScreen(&p);
        device::display::test::Tap(p);
    }
};

TEST_F(NewsPageTest, WithoutNewsFileTheBuiltInPageShowsAndTheNewsIsRead) {
    WriteJorvanaDword(L"newsread", 0);
    WriteJorvanaDword(L"newnews", 1);
    CreatePage();
    ASSERT_EQ(m_page.IsNewsUnread(), 1);
    CNewsPage* news = OpenNews();
    ASSERT_TRUE(news && news->GetSafeHwnd());
    ASSERT_NE(CNewsPage::GetHtmlView(), nullptr);
    Pump();
    device::ui::HtmlViewState state = ViewerState();
    EXPECT_TRUE(state.address.empty());
    EXPECT_GT(state.documentHeight, 0);
    EXPECT_EQ(ReadJorvanaDword(L"newsread"), 1u);
    EXPECT_EQ(ReadJorvanaDword(L"newnews"), 0u);
    EXPECT_EQ(m_page.IsNewsUnread(), 0);
    EXPECT_FALSE(device::ui::IsBusyCursor());
    EXPECT_EQ(news->m_nZoom, 2);
    // The viewer stops above the zoom buttons.
    CRect viewer;
    ::GetWindowRect(CNewsPage::GetHtmlView(), &viewer);
    news->ScreenToClient(&viewer);
    EXPECT_LE(viewer.bottom, CNewsPage::ZoomInCircle(news->m_nWidth, news->m_nPageHeight).top);
    testsupport::SaveScreenshot("news-page-empty");
}

TEST_F(NewsPageTest, NewsFileIsNavigatedToAndReadAgainAtEveryOpening) {
    testsupport::WriteDeviceFile(InProgramFolder(L"news.htm"),
                                 "<html><head><title>Spring</title></head><body><h3>New cities</h3>"
                                 "<p>Forty more cities in the weather list.</p></body></html>");
    CreatePage();
    CNewsPage* news = OpenNews();
    Pump();
    device::ui::HtmlViewState state = ViewerState();
    EXPECT_EQ(state.address, L"file://\\Program Files\\Jorvana\\news.htm");
    EXPECT_EQ(state.caption, L"Spring");
    EXPECT_FALSE(device::ui::IsBusyCursor()); // the navigation's wait ended with the document
    testsupport::SaveScreenshot("news-page");

    news->SendMessage(WM_APP_LEAVE_TOOL);
    EXPECT_FALSE(news->IsWindowVisible());
    EXPECT_TRUE(m_page.IsWindowVisible());
    testsupport::WriteDeviceFile(InProgramFolder(L"news.htm"), "<html><head><title>Summer</title></head></html>");
    OpenNews();
    Pump();
    EXPECT_EQ(ViewerState().caption, L"Summer");

    // A page that is no regular file (a link to a device) is said to be damaged, and the
    // built-in page shows; a folder of that name is no news at all, said nothing of.
    const std::filesystem::path host = testsupport::HostPath(InProgramFolder(L"news.htm"));
    std::filesystem::remove(host);
    std::filesystem::create_symlink("/dev/zero", host);
    device::ui::ScriptMessageBoxAnswers({IDOK});
    news->SendMessage(WM_APP_LEAVE_TOOL);
    OpenNews();
    Pump();
    EXPECT_TRUE(ViewerState().address.empty());
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[0].text, L"News file damaged!\n\nThe news cannot be shown.");
    std::filesystem::remove(host);
    std::filesystem::create_directory(host);
    news->SendMessage(WM_APP_LEAVE_TOOL);
    OpenNews();
    Pump();
    EXPECT_TRUE(ViewerState().address.empty());
    EXPECT_EQ(device::ui::MessageBoxRecords().size(), 1u);
}

TEST_F(NewsPageTest, ZoomButtonsStepWithinTheLevelsAndTellTheViewerEveryTime) {
    CreatePage();
    CNewsPage* news = OpenNews();
    int W = news->m_nWidth, H = news->m_nPageHeight;
    for (int i = 0; i < 5; ++i) TapNews(news, W - 13, H - 13);
    EXPECT_EQ(news->m_nZoom, 4);
    EXPECT_EQ(ViewerState().zoom, 4);
    TapNews(news, W - 23, H - 13); // on the border of the "+" zone: no change
    EXPECT_EQ(news->m_nZoom, 4);
    for (int i = 0; i < 6; ++i) TapNews(news, W - 36, H - 13);
    EXPECT_EQ(news->m_nZoom, 0);
    EXPECT_EQ(ViewerState().zoom, 0);
    // The level lives with the window: reopening keeps it.
    news->SendMessage(WM_APP_LEAVE_TOOL);
    OpenNews();
    EXPECT_EQ(news->m_nZoom, 0);
}

// The news marked read on a device that is full, or fills up between the two values: both are
// stored or neither, and only a reading that stored them says nothing.
TEST_F(NewsPageTest, MarkingTheNewsReadOnAFullOrFillingDeviceStoresBothValuesOrNeither) {
    CreatePage();
    CNewsPage* news = OpenNews();
    ASSERT_TRUE(news && news->GetSafeHwnd());
    Pump();
    bool fitted = false;
    for (rlim_t more = 0; !fitted; more += 256) {
        WriteJorvanaDword(L"newsread", 0);
        WriteJorvanaDword(L"newnews", 1);
        testsupport::StartUserAction();
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
        {
            testsupport::FileSizeLimit full(testsupport::RoomLeft(Root(), more));
            news->LoadNews();
        }
        Pump();
        const std::pair<DWORD, DWORD> stored{ReadJorvanaDword(L"newsread"), ReadJorvanaDword(L"newnews")};
        fitted = stored == std::make_pair(1u, 0u);
        EXPECT_TRUE(fitted || stored == std::make_pair(0u, 1u))
            << "room for " << more << ": " << stored.first << "," << stored.second;
        EXPECT_EQ(testsupport::StorageMessagesShown(), fitted ? 0u : 1u) << "room for " << more;
        ASSERT_LT(more, 64u * 1024) << "the values never fitted";
    }
}

} // namespace
} // namespace toolstest
