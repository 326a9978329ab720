#include "tools/NewsDlg.h"

#include "tools/ToolWindow.h"

#include "core/RegistryKey.h"
#include "core/StorageFaults.h"
#include "core/TextFiles.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceFiles.h"
#include "platform/ui/HtmlView.h"
#include "resources/resource.h"
#include "shell/MainTabCtrl.h"
#include "tools/ToolWindow.h"
#include "shell/AppMessages.h"
#include "tools/ToolsPage.h"

#include <algorithm>

using namespace toolwin;

namespace {

HWND g_hwndHtml = nullptr;

constexpr int kViewerId = 10;

} // namespace

BEGIN_MESSAGE_MAP(CNewsPage, CDialog)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_APP_LEAVE_TOOL, &CNewsPage::OnLeaveTool)
END_MESSAGE_MAP()

CNewsPage::CNewsPage(CWnd* pParent) : CDialog(IDD_NEWS, pParent) {}

CNewsPage::~CNewsPage() = default;

HWND CNewsPage::GetHtmlView() { return g_hwndHtml; }

void CNewsPage::ReadMetrics() {
    ToolMetrics m = ReadToolMetrics();
    m_nWidth = m.width;
    m_nHeight = m.height;
    m_nPageHeight = m.pageHeight;
    m_nMenuHeight = m.menuHeight;
}

HWND CNewsPage::CreateHtmlView(HWND parent) {
    HINSTANCE instance = AfxGetInstanceHandle();
    if (!::InitHTMLControl(instance)) MessageBox(L"Unable to initialize HTML control", L"Error", MB_OK);
    RECT r{};
    ::GetClientRect(parent, &r);
    return ::CreateWindowExW(0, DISPLAYCLASS, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left, r.top,
                             r.right - r.left, r.bottom - r.top - 52, m_hWnd,
                             reinterpret_cast<HMENU>(static_cast<uintptr_t>(kViewerId)), instance, nullptr);
}

BOOL CNewsPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_nZoom = 2;
    g_hwndHtml = CreateHtmlView(m_hWnd);
    if (g_hwndHtml) {
        ::SetFocus(g_hwndHtml);
        ::PostMessageW(g_hwndHtml, DTM_ENABLESHRINK, 0, 1);
    }
    return TRUE;
}

void CNewsPage::LoadNews() {
    CString path = GetProgramFolder() + L"\\news.htm";
    if (g_hwndHtml) {
        // One look at the file: missing (or a folder) shows "No news"; a page that is no regular
        // file or far too large is damaged: said, and not shown either.
        bool damaged = false;
        const bool readable =
            static_cast<bool>(CTextFileHandle(OpenTextFile(path, TextFileKind::NewsPage, &damaged)));
        ::SendMessageW(g_hwndHtml, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        if (damaged) AfxMessageBox(IDS_NEWS_FILE_DAMAGED, MB_OK);
        if (!readable) {
            static const wchar_t* const kPieces[] = {L"<HTML><TITLE></TITLE>", L"<BODY><P>", L"No news...<BR>",
                                                     L"</BODY></HTML>"};
            for (const wchar_t* piece : kPieces)
                ::SendMessageW(g_hwndHtml, DTM_ADDTEXTW, 0, reinterpret_cast<LPARAM>(piece));
            ::SendMessageW(g_hwndHtml, DTM_ENDOFSOURCE, 0, 0);
        } else {
            CString address = L"file://" + path;
            ::SendMessageW(g_hwndHtml, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(address)));
        }
    }
    // Both flags or neither: a device that fills up between them keeps the news as it was, as
    // the storage message says.
    CRegistryKey registry;
    StoreWritesAllOrNothing([&] {
        return registry.WriteDword(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"newnews", 0) &&
               registry.WriteDword(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"newsread", 1);
    });
    // The page container (the owner's parent) clears the tab strip's unread mark.
    if (auto* tools = dynamic_cast<CToolsPage*>(GetOwner())) {
        tools->ClearNewsUnread();
        if (auto* container = dynamic_cast<CMainTabCtrl*>(tools->GetParent())) container->MarkNewsRead();
    }
}

BOOL CNewsPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->code == static_cast<UINT>(NM_BEFORENAVIGATE) && !m_bWaiting) {
        AfxWaitCursor(1);
        m_bWaiting = true;
    } else if (header && header->code == static_cast<UINT>(NM_DOCUMENTCOMPLETE) && m_bWaiting) {
        AfxWaitCursor(-1);
        m_bWaiting = false;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

void CNewsPage::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    ReadMetrics();
    // The tool window reaches below the screen (the frame's placement), so the viewer also
    // stops above the zoom buttons' row, which is drawn by the page height.
    int height = std::min(cy - 78, m_nPageHeight - 26);
    // Above a raised input panel the viewer ends over the zoom row, which moves up to the panel.
    if (toolwin::CToolPanelPlacement().PanelUp()) height = RowBottom() - 26;
    // The window reaches past the screen's right edge too: the viewer stops at the edge.
    if (g_hwndHtml && ::IsWindow(g_hwndHtml))
        ::SetWindowPos(g_hwndHtml, nullptr, 0, 0, std::min(cx, m_nWidth) - 2, std::max(height, 0), SWP_NOMOVE | SWP_NOZORDER);
}

int CNewsPage::RowBottom() {
    if (!toolwin::CToolPanelPlacement().PanelUp()) return m_nPageHeight;
    CRect window;
    GetWindowRect(&window);
    return std::min(m_nPageHeight, toolwin::HeightAbovePanel(window.top));
}

void CNewsPage::OnPaint() {
    CPaintDC dc(this);
    ReadMetrics();
    int W = m_nWidth, H = RowBottom();
    RECT in = ZoomInCircle(W, H), out = ZoomOutCircle(W, H);
    dc.Ellipse(&in);
    dc.Ellipse(&out);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(W - 16, H - 21, CString(L"+"));
    dc.TextOut(W - 37, H - 21, CString(L"-"));
}

void CNewsPage::OnLButtonDown(UINT nFlags, CPoint point) {
    ReadMetrics();
    int W = m_nWidth, H = RowBottom();
    bool inRow = point.y > H - 23 && point.y < H - 3;
    if (inRow && point.x > W - 23 && point.x < W - 3) {
        if (m_nZoom < 4) ++m_nZoom;
    } else if (inRow && point.x > W - 46 && point.x < W - 26) {
        if (m_nZoom >= 1) --m_nZoom;
    }
    if (g_hwndHtml) ::PostMessageW(g_hwndHtml, DTM_ZOOMLEVEL, 0, m_nZoom);
    CDialog::OnLButtonDown(nFlags, point);
}

// A quick second tap on a zoom button zooms once more.
void CNewsPage::OnLButtonDblClk(UINT nFlags, CPoint point) { OnLButtonDown(nFlags, point); }

void CNewsPage::OnDestroy() {
    if (m_bWaiting) {
        AfxWaitCursor(-1);
        m_bWaiting = false;
    }
    CDialog::OnDestroy();
    g_hwndHtml = nullptr;
}

LRESULT CNewsPage::OnLeaveTool(WPARAM, LPARAM) { return LeaveToolWindow(this); }
