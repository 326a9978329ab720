#pragma once
// CThemedTabCtrl: the tab strip painted in the skin's colours: flat tabs filled with the theme
// colour, the selected tab lightened and showing the highlighted twin of its image, tab edges and
// the rounded end piece in the border colour.

#include "shell/MainTabCtrl.h"

class CThemedTabCtrl : public CMainTabCtrl {
    DECLARE_DYNAMIC(CThemedTabCtrl)
public:
    // Style bits: flat look, use the theme colour, lighten the selected tab.
    enum : DWORD { kThemeFlat = 1, kThemeUseColor = 2, kThemeLightenSelected = 4, kThemeNotFlat = 16 };

    explicit CThemedTabCtrl(int drawMode = kDrawControl);

    // Shared by every themed strip.
    static void SetThemeStyle(BOOL enable, DWORD bits);
    static DWORD GetThemeStyle() { return s_dwThemeStyle; }
    static void SetThemeColor(COLORREF c) { s_crTheme = c; }
    static COLORREF GetThemeColor() { return s_crTheme; }
    void SetBorderColor(COLORREF c) { m_crBorder = c; }
    COLORREF GetBorderColor() const { return m_crBorder; }

    // The colours the strip paints with.
    COLORREF GetTabColor(BOOL selected) override;
    COLORREF GetTabTextColor(BOOL selected) override;

protected:
    void PreSubclassWindow() override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    void DrawMainBorder(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    void DrawItemBorder(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

private:
    COLORREF m_crBorder = 0;
    static COLORREF s_crTheme;
    static DWORD s_dwThemeStyle;
};
