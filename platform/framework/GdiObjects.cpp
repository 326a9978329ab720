#include "platform/framework/GdiObjects.h"

#include "platform/framework/DC.h"
#include "platform/framework/HandleMap.h"
#include "platform/framework/WinApp.h"
#include "platform/system/Modules.h"

#include <cstdint>

#include <cwchar>

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)
IMPLEMENT_DYNAMIC(CImageList, CObject)

namespace {

framework_detail::HandleMap<CGdiObject, HGDIOBJ>& GdiMap() {
    thread_local framework_detail::HandleMap<CGdiObject, HGDIOBJ> map;
    return map;
}

framework_detail::HandleMap<CImageList, HIMAGELIST>& ImageListMap() {
    thread_local framework_detail::HandleMap<CImageList, HIMAGELIST> map;
    return map;
}

// A wrapper of the class that fits the object's kind.
std::unique_ptr<CGdiObject> NewWrapperFor(HGDIOBJ h) {
    switch (::GetObjectType(h)) {
    case OBJ_PEN: return std::make_unique<CPen>();
    case OBJ_BRUSH: return std::make_unique<CBrush>();
    case OBJ_FONT: return std::make_unique<CFont>();
    case OBJ_BITMAP: return std::make_unique<CBitmap>();
    case OBJ_REGION: return std::make_unique<CRgn>();
    default: return std::make_unique<CGdiObject>();
    }
}

// The wrapper of h, as class T when it is one; a temporary T otherwise.
template <class T> T* WrapperOf(HGDIOBJ h) {
    if (!h) return nullptr;
    auto& map = GdiMap();
    if (auto* permanent = dynamic_cast<T*>(map.LookupPermanent(h))) return permanent;
    if (auto* temporary = dynamic_cast<T*>(map.LookupTemporary(h))) return temporary;
    std::unique_ptr<CGdiObject> made = NewWrapperFor(h);
    if (!dynamic_cast<T*>(made.get())) made = std::make_unique<T>();
    made->m_hObject = h;
    return static_cast<T*>(map.AddTemporary(h, std::move(made)));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CGdiObject

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) { return WrapperOf<CGdiObject>(hObject); }

void CGdiObject::DeleteTempMap() {
    GdiMap().DeleteTemporary([](CGdiObject& object) { object.m_hObject = nullptr; });
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (!hObject || m_hObject) return FALSE;
    m_hObject = hObject;
    GdiMap().SetPermanent(hObject, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    if (h) GdiMap().RemovePermanent(h, this);
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    HGDIOBJ h = Detach();
    return h ? ::DeleteObject(h) : FALSE;
}

CPen* CPen::FromHandle(HPEN hPen) { return WrapperOf<CPen>(hPen); }
CBrush* CBrush::FromHandle(HBRUSH hBrush) { return WrapperOf<CBrush>(hBrush); }
CFont* CFont::FromHandle(HFONT hFont) { return WrapperOf<CFont>(hFont); }
CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) { return WrapperOf<CBitmap>(hBitmap); }
CRgn* CRgn::FromHandle(HRGN hRgn) { return WrapperOf<CRgn>(hRgn); }

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap) {
    return pBitmap ? Attach(::CreatePatternBrush(*pBitmap)) : FALSE;
}

BOOL CFont::CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC* pDC) {
    HDC dc = pDC ? pDC->m_hDC : ::GetDC(nullptr);
    int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (!pDC && dc) ::ReleaseDC(nullptr, dc);
    if (dpi <= 0) dpi = 96;
    LOGFONTW lf{};
    // Tenths of a point to pixels, rounded; negative: the character height without leading.
    lf.lfHeight = -((nPointSize * dpi + 360) / 720);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (lpszFaceName) std::wcsncpy(lf.lfFaceName, lpszFaceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
    return LoadBitmap(reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(nIDResource)));
}

BOOL CBitmap::LoadBitmap(LPCWSTR lpszResourceName) {
    return Attach(::LoadBitmapW(AfxFindResourceHandle(lpszResourceName, RT_BITMAP), lpszResourceName));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, nWidth, nHeight));
}

// ---------------------------------------------------------------------------------------------
// CImageList

CImageList* CImageList::FromHandle(HIMAGELIST hImageList) {
    if (!hImageList) return nullptr;
    auto& map = ImageListMap();
    if (CImageList* list = map.LookupPermanent(hImageList)) return list;
    if (CImageList* list = map.LookupTemporary(hImageList)) return list;
    auto made = std::make_unique<CImageList>();
    made->m_hImageList = hImageList;
    return map.AddTemporary(hImageList, std::move(made));
}

void CImageList::DeleteTempMap() {
    ImageListMap().DeleteTemporary([](CImageList& list) { list.m_hImageList = nullptr; });
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    return Attach(::ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
    CBitmap strip;
    BITMAP info{};
    if (!strip.LoadBitmap(nBitmapID) || !strip.GetBitmap(&info) || cx <= 0) return FALSE;
    if (!Create(cx, info.bmHeight, ILC_COLOR | (crMask != CLR_NONE ? ILC_MASK : 0), info.bmWidth / cx, nGrow))
        return FALSE;
    int added = crMask != CLR_NONE ? Add(&strip, crMask) : Add(&strip, static_cast<CBitmap*>(nullptr));
    if (added < 0) {
        DeleteImageList();
        return FALSE;
    }
    return TRUE;
}

BOOL CImageList::Attach(HIMAGELIST hImageList) {
    if (!hImageList || m_hImageList) return FALSE;
    m_hImageList = hImageList;
    ImageListMap().SetPermanent(hImageList, this);
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST h = m_hImageList;
    if (h) ImageListMap().RemovePermanent(h, this);
    m_hImageList = nullptr;
    return h;
}

BOOL CImageList::DeleteImageList() {
    HIMAGELIST h = Detach();
    if (!h) return FALSE;
    if (h == device::ui::SystemSmallImageList()) return TRUE; // shared by the whole device
    return ::ImageList_Destroy(h);
}

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask) {
    if (!pbmImage) return -1;
    return ::ImageList_Add(m_hImageList, *pbmImage, pbmMask ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask) {
    if (!pbmImage) return -1;
    return ::ImageList_AddMasked(m_hImageList, *pbmImage, crMask);
}

BOOL CImageList::Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask) {
    if (!pbmImage) return FALSE;
    return ::ImageList_Replace(m_hImageList, nImage, *pbmImage, pbmMask ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
    return pDC ? ::ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle) : FALSE;
}
