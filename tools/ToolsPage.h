#pragma once
// CToolsPage: the Tools tab. It shows the five tool icons; a tap on one hides the list and
// opens that tool in a window of its own, placed over the page area. The page owns the tool
// windows (each created on its first opening), remembers the open tool in `CurTab`, restyles
// the icons and the open tools when the skin changes, asks about unsaved packing-list changes
// when the packing list is left, and marks the News icon while there is unread news.
//
// Tool index, everywhere: 0 unit converter, 1 dialing and area codes, 2 clothing sizes,
// 3 packing list, 4 news.

#include "core/RegistryKey.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListCtrl.h"

#include <memory>

constexpr int kToolCount = 5;
enum ToolIndex { kToolConverter = 0, kToolDialCodes = 1, kToolClothes = 2, kToolPackingList = 3, kToolNews = 4 };

class CToolsPage : public CDialog {
public:
    explicit CToolsPage(CWnd* pParent = nullptr);
    ~CToolsPage() override;

    // Opens a tool as a tap would, without the packing-list question; -1 (or any value
    // outside 0..4) does nothing.
    void OpenTool(int index);
    // Reloads the tool icons from skinFolder + iconFolder and restyles the tool windows that
    // exist; listBack 0xFFFFFFFF keeps the list's background. Nothing at all when either
    // folder is empty.
    void ApplySkin(CString skinFolder, CString iconFolder, COLORREF listBack);
    // Moves the open tool window (if any) to the page's place again, after the page moved.
    void PlaceOpenTool();
    // Asks whether the packing list's unsaved changes are to be saved, when there are any.
    void OfferSavePackingList();
    // The unread-news flag; the marker follows at the next layout pass.
    void SetNewsUnread() { m_bNewsUnread = 1; }
    void ClearNewsUnread() { m_bNewsUnread = 0; }

    int GetCurrentTool() const { return m_nCurrentTool; }
    CDialog* GetTool(int index) const { return index >= 0 && index < kToolCount ? m_pTools[index].get() : nullptr; }
    bool IsToolCreated(int index) const { return index >= 0 && index < kToolCount && m_bCreated[index] != 0; }
    int IsNewsUnread() const { return m_bNewsUnread; }

    CStatic m_topBand;  // 1062
    CStatic m_lowBand;  // 1063
    CListCtrl m_list;   // 1008
    CStatic m_unreadMarker;
    int m_nWidth = 0, m_nHeight = 0, m_nPageHeight = 0, m_nMenuHeight = 0;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnClickToolList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnSetfocusToolList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ReadMetrics();
    void PlaceControls();
    void PlaceUnreadMarker();
    void SetIconSpacing();
    // The frame every tool shares: create on first opening, hide the page and any other page
    // or tool, place and show the tool, make this page its owner.
    void ShowToolWindow(int index);
    // Sends WM_APP_HIDE_PAGE to every tab page on show where the tool goes.
    void HidePagesUnderTool(int index);
    // Where the tool goes, in the container's client coordinates.
    CRect ToolWindowRect(int index);
    bool IsToolWindow(HWND window) const;
    void PlaceToolWindow(int index);
    // The command bar a tool asks the main window for.
    void RequestCommandBar(int index);

    // [SECTION] The tool classes (ToolsPage.cpp): the one place that knows each tool's class.
    static std::unique_ptr<CDialog> NewTool(int index);
    void ApplyToolSkin(int index);
    bool PackingListHasChanges();
    void PackingListSaveOnLeave(bool save);

    std::unique_ptr<CDialog> m_pTools[kToolCount];
    CBrush m_pageBrush;
    int m_bCreated[kToolCount] = {};
    CString m_scratchName;
    int m_nCurrentTool = -1;
    std::unique_ptr<CImageList> m_pImageList;
    std::unique_ptr<CFont> m_pListFont;
    CRegistryKey m_registry;
    int m_bNewsUnread = 0;

    CBrush m_staticBrush;
    CFont m_markerFont;
};
