#pragma once
// CUi: the appearance settings sheet. Seven pages: the skin chooser and one colour page per skin
// section. The sheet keeps the current skin's text and name as they stood when it opened (or
// when another skin was loaded) and one flag per section whose page was shown; when its window
// is destroyed it rewrites the skin file from that text and the values of the pages shown.
//
// The main window runs it with RunAppearanceSheet and then makes every screen re-read the skin.

#include "platform/framework/CommandBar.h"
#include "skins/clocksui.h"
#include "skins/currui.h"
#include "skins/generalui.h"
#include "skins/loadui.h"
#include "skins/mapui.h"
#include "skins/toolsui.h"
#include "skins/weatherui.h"

#include "platform/framework/PropertySheet.h"

#include <vector>

struct SkinSectionEdit;

class CUi : public CPropertySheet {
    DECLARE_DYNAMIC(CUi)
public:
    // Page indices, in the order the pages are added.
    enum { kPageLoad = 0, kPageGeneral, kPageClocks, kPageWeather, kPageMap, kPageCurrency, kPageTools };

    CUi(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage);
    ~CUi() override;

    BOOL OnInitDialog() override;
    // After the chooser stored a new `skin`: the kept skin is read again and every colour page
    // re-reads the new skin.
    void LoadSkin();
    // Rewrites the kept skin's file with the values of the pages shown.
    void SaveSkin();

    // The edits the writer applies, built from the pages' values and the section flags.
    std::vector<SkinSectionEdit> CollectEdits() const;

    clocksui m_pageClocks;
    weatherui m_pageWeather;
    mapui m_pageMap;
    loadui m_pageLoad;
    generalui m_pageGeneral;
    currui m_pageCurrency;
    toolsui m_pageTools;
    // One per section (General, Clocks, Weather, Map, Currency, Tools): 1 once its page ran its
    // initialisation.
    BYTE m_bSectionShown[kSectionCount] = {};
    CString m_strKeptText;
    CString m_strKeptName;
    CCeCommandBar* m_pCommandBar = nullptr;

protected:
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ReadKeptSkin();
    CRegistryKey m_registry;
};

// The page the "User Interface" command opens on for the main window's current tab (0 World
// Clocks .. 4 Tools).
int AppearancePageForTab(int tab);

// Runs the sheet modally on a page (CUi::kPageLoad for "Look/Feel Skins", AppearancePageForTab
// for "User Interface"). When it returns, the skin file has been rewritten and `skin` names the
// chosen skin; the caller then makes every screen re-read the skin.
void RunAppearanceSheet(int firstPage);
