#include "platform/framework/DC.h"

#include "platform/framework/HandleMap.h"

IMPLEMENT_DYNAMIC(CDC, CObject)

namespace {
framework_detail::HandleMap<CDC, HDC>& DcMap() {
    thread_local framework_detail::HandleMap<CDC, HDC> map;
    return map;
}
} // namespace

CDC::~CDC() {
    if (m_hDC) DeleteDC();
}

CDC* CDC::FromHandle(HDC hDC) {
    if (!hDC) return nullptr;
    auto& map = DcMap();
    if (CDC* dc = map.LookupPermanent(hDC)) return dc;
    if (CDC* dc = map.LookupTemporary(hDC)) return dc;
    auto made = std::make_unique<CDC>();
    made->m_hDC = made->m_hAttribDC = hDC;
    return map.AddTemporary(hDC, std::move(made));
}

void CDC::DeleteTempMap() {
    DcMap().DeleteTemporary([](CDC& dc) { dc.m_hDC = dc.m_hAttribDC = nullptr; });
}

BOOL CDC::Attach(HDC hDC) {
    if (!hDC || m_hDC) return FALSE;
    m_hDC = m_hAttribDC = hDC;
    DcMap().SetPermanent(hDC, this);
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    if (h) DcMap().RemovePermanent(h, this);
    m_hDC = m_hAttribDC = nullptr;
    return h;
}

BOOL CDC::DeleteDC() {
    HDC h = Detach();
    return h ? ::DeleteDC(h) : FALSE;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) { return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr)); }

// Each selection hands back the previous object as the caller's wrapper or a temporary one.
CPen* CDC::SelectObject(CPen* pPen) {
    if (!pPen) return nullptr;
    return CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, *pPen)));
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
    if (!pBrush) return nullptr;
    return CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, *pBrush)));
}

CFont* CDC::SelectObject(CFont* pFont) {
    if (!pFont) return nullptr;
    return CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, *pFont)));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    if (!pBitmap) return nullptr;
    return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, *pBitmap)));
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
    if (!pObject || !pObject->m_hObject) return nullptr;
    HGDIOBJ old = ::SelectObject(m_hDC, pObject->m_hObject);
    if (old == HGDI_ERROR) return nullptr;
    return CGdiObject::FromHandle(old);
}

int CDC::SelectObject(CRgn* pRgn) { return pRgn ? ::SelectClipRgn(m_hDC, *pRgn) : ERROR; }

CGdiObject* CDC::SelectStockObject(int nIndex) {
    HGDIOBJ stock = ::GetStockObject(nIndex);
    if (!stock) return nullptr;
    HGDIOBJ old = ::SelectObject(m_hDC, stock);
    return old == HGDI_ERROR ? nullptr : CGdiObject::FromHandle(old);
}

CPoint CDC::SetViewportOrg(int x, int y) {
    CPoint previous;
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CPoint CDC::GetViewportOrg() const {
    CPoint origin;
    ::GetViewportOrgEx(m_hDC, &origin);
    return origin;
}

CPoint CDC::OffsetViewportOrg(int nWidth, int nHeight) {
    CPoint previous;
    ::OffsetViewportOrgEx(m_hDC, nWidth, nHeight, &previous);
    return previous;
}

CPoint CDC::MoveTo(int x, int y) {
    CPoint previous;
    ::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

CPoint CDC::GetCurrentPosition() const {
    CPoint position;
    ::GetCurrentPositionEx(m_hDC, &position);
    return position;
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr) {
    if (!lpRect) return;
    ::SetBkColor(m_hDC, clr);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) {
    CRect r(x, y, x + cx, y + cy);
    FillSolidRect(&r, clr);
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    if (!lpRect) return;
    Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, clrTopLeft,
               clrBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, clrBottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, clrBottomRight);
}

CSize CDC::GetTextExtent(LPCWSTR lpszString, int nCount) const {
    CSize size;
    if (!::GetTextExtentPoint32W(m_hDC, lpszString, nCount, &size)) return CSize();
    return size;
}
