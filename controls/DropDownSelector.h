#pragma once
// CDropDownSelector: the picker control. An owner-drawn button that shows its caption and, when
// tapped, opens a pop-up (CPickerPopup) holding a list of group rows (CGroupListBox). Choosing a
// row makes its text the caption and posts WM_PICKER_SELECTED to the selector's parent.

#include "platform/framework/Controls.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/MessageMap.h"

#include <memory>

// Posted to the selector's parent: wParam the selector's control id, lParam the chosen row.
#define WM_PICKER_SELECTED 0x466

// The pop-up's list: rows sorted without regard to letter case, drawn with separator lines.
class CGroupListBox : public CListBox {
public:
    CGroupListBox();
    // Adds a group heading row at its sorted place and selects it; the row's index.
    int AddGroup(LPCTSTR text);
    // The separator pen and brush colour; redraws.
    void SetLineColor(COLORREF colour);
    COLORREF GetLineColor() const { return m_crLine; }
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

private:
    COLORREF m_crLine;
    CPen m_penLine;
    CBrush m_brushLine;
};

class CDropDownSelector;

// The pop-up window under the selector; hidden until the selector is tapped.
class CPickerPopup : public CWnd {
public:
    explicit CPickerPopup(CDropDownSelector& owner) : m_owner(owner) {}
    BOOL CreatePopup(UINT listId, CFont* font, COLORREF separator);
    // Shows the list under the selector's screen rectangle, at most eight rows tall.
    void ShowUnder(const RECT& selector);
    CGroupListBox m_list;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    CDropDownSelector& m_owner;
};

class CDropDownSelector : public CButton {
public:
    CDropDownSelector();
    ~CDropDownSelector() override;

    // Creates the visible selector with the id and its pop-up list with id + 1. Colours of -1
    // take the defaults; a null font makes the selector create one from the shared face.
    BOOL Create(LPCTSTR caption, const RECT& rect, CWnd* parent, UINT id, COLORREF face, COLORREF face2 = CLR_INVALID,
                COLORREF colour3 = CLR_INVALID, COLORREF colour4 = CLR_INVALID, CFont* font = nullptr,
                COLORREF separator = RGB(192, 192, 192));
    // A solid 1-pixel outline of the colour; redraws, caption and selection unchanged.
    void SetOutlineColor(COLORREF colour);
    // The chosen row becomes the caption and the parent is told.
    void OnRowChosen(int row);

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

    std::unique_ptr<CPickerPopup> m_pPopup;
    int m_nWorkWidth = 0;
    int m_nWorkHeight = 0;

protected:
    afx_msg void OnClicked();
    DECLARE_MESSAGE_MAP()

private:
    COLORREF m_crFace = RGB(255, 255, 255);
    COLORREF m_crFace2 = RGB(255, 255, 255);
    CPen m_penOutline;
    CFont m_fontOwn;
    CFont* m_pFont = nullptr;
};
