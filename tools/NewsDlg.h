#pragma once
// CNewsPage: the Tools page's "News" tool. It shows news.htm from the program folder in the
// HTML viewer, or a built-in page saying there is no news, zooms the text with two round
// buttons at the bottom right, and marks the news as read each time it is loaded.

#include "platform/framework/Dlg.h"

class CNewsPage : public CDialog {
public:
    explicit CNewsPage(CWnd* pParent = nullptr);
    ~CNewsPage() override;

    // Fills the viewer and marks the news read. Called on every opening of the tool.
    void LoadNews();
    // Creates the viewer over the parent's client area, 52 pixels short at the bottom.
    HWND CreateHtmlView(HWND parent);
    // The viewer window (there is one news page).
    static HWND GetHtmlView();

    int m_nWidth = 0, m_nHeight = 0, m_nPageHeight = 0, m_nMenuHeight = 0;
    int m_nZoom = 2; // 0..4

    // The zoom buttons' circles, by work-area width and page height.
    static RECT ZoomInCircle(int W, int H) { return {W - 23, H - 23, W - 2, H - 2}; }
    static RECT ZoomOutCircle(int W, int H) { return {W - 46, H - 23, W - 25, H - 2}; }

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnInitDialog() override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnLeaveTool(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void ReadMetrics();
    // The bottom of the zoom row: the page's foot, or the top of a raised input panel.
    int RowBottom();
    bool m_bWaiting = false; // a navigation started and has not completed
};
