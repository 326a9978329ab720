#include "tools/ToolWindow.h"

#include "core/RegistryKey.h"
#include "core/TextFiles.h"
#include "platform/framework/DC.h"
#include "platform/ui/Sip.h"
#include "shell/MainTabCtrl.h"
#include "shell/SharedFont.h"

#include <algorithm>

namespace toolwin {

ToolMetrics ReadToolMetrics() {
    ToolMetrics m;
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m.width = area.right - area.left;
    m.height = area.bottom - area.top;
    m.menuHeight = ::GetSystemMetrics(SM_CYMENU);
    m.pageHeight = m.height - m.menuHeight - 26;
    return m;
}

int ToolFontBase() { return SharedFontSizeBase; }

CString ToolFontFace() { return SharedFontFace.IsEmpty() ? CString(L"Arial") : SharedFontFace; }

BOOL CreateToolFont(CFont& font, int height, int weight, LPCWSTR face, BYTE quality, BYTE pitchAndFamily) {
    font.DeleteObject();
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return font.CreateFontIndirect(&lf);
}

LRESULT LeaveToolWindow(CWnd* tool) {
    tool->ShowWindow(SW_HIDE);
    if (CWnd* owner = tool->GetOwner()) owner->ShowWindow(SW_SHOWNORMAL);
    return 1;
}

void HideToolsList(CWnd* tool) {
    auto* container = dynamic_cast<CMainTabCtrl*>(tool->GetParent());
    if (container && container->IsToolsListShown()) container->FocusTab(4);
}

COLORREF ToolSkin::Color(LPCWSTR key) const { return SkinColor(GetSkinValue(tools, key)); }

HBITMAP ToolSkin::LoadPortraitImage(LPCWSTR key) const {
    CString folderPath, imagePath;
    if (!JoinSkinPath(folder, portrait, folderPath)) return nullptr;
    if (!JoinSkinPath(folderPath, GetSkinValue(tools, key), imagePath)) return nullptr;
    return SHLoadImageFile(imagePath);
}

ToolSkin ReadToolSkin() {
    ToolSkin out;
    CurrentSkin skin = LoadCurrentSkin(L"<");
    ShowSkinFallbackMessages(skin);
    if (skin.chosenUnreadable) {
        // The chosen file is gone: from now on the default skin is the current one.
        CRegistryKey registry;
        registry.WriteString(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"skin", GetShippedFilePath(L"default.skn"));
    }
    if (!skin.loaded) return out;
    out.loaded = true;
    out.name = skin.name;
    out.text = skin.text;
    out.folder = skin.folder;
    out.portrait = GetSkinValue(GetSkinSection(skin.text, L"Common Folders"), L"P");
    out.tools = GetSkinSection(skin.text, L"Tools");
    return out;
}

void ReplaceBitmap(CBitmap& kept, HBITMAP loaded) {
    kept.DeleteObject();
    if (loaded) kept.Attach(loaded);
}

void StretchBitmap(CDC* dc, CBitmap& bitmap, int width, int height) {
    if (!bitmap.GetSafeHandle()) return;
    BITMAP info{};
    bitmap.GetBitmap(&info);
    CDC memory;
    memory.CreateCompatibleDC(dc);
    CBitmap* old = memory.SelectObject(&bitmap);
    dc->StretchBlt(0, 0, width, height, &memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    memory.SelectObject(old);
    memory.DeleteDC();
}

int NextScrollOffset(UINT request, int offset, int range, int thumb) {
    switch (request) {
    case SB_LINEUP: return offset > 0 ? offset - std::min(range / 20, offset) : offset;
    case SB_LINEDOWN: return offset < range ? offset + std::min(range - offset, range / 20) : offset;
    case SB_PAGEUP: return offset > 0 ? offset - std::min(range / 10, offset) : offset;
    case SB_PAGEDOWN: return offset < range ? offset + std::min(range - offset, range / 10) : offset;
    case SB_THUMBPOSITION: return std::clamp(thumb, 0, std::max(range, 0));
    case SB_TOP: return 0;
    case SB_BOTTOM: return std::max(range, 0);
    default: return offset;
    }
}

void ResetToolScrollBar(CWnd* tool, int range) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(0, range);
    info.nPage = static_cast<UINT>(info.nMax / 10);
    info.nPos = 0;
    tool->SetScrollInfo(SB_VERT, &info, TRUE);
}

void ScrollToolWindow(CWnd* tool, int& offset, int newOffset) {
    if (newOffset == offset) return;
    int delta = offset - newOffset;
    offset = newOffset;
    tool->SetScrollPos(SB_VERT, offset, TRUE);
    ::ScrollWindowEx(tool->m_hWnd, 0, delta, nullptr, nullptr, nullptr, nullptr,
                     SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

bool CToolPanelPlacement::PanelUp() const {
    SIPINFO info{};
    info.cbSize = sizeof(info);
    return SipGetInfo(&info) && (info.fdwFlags & SIPF_ON);
}

int HeightAbovePanel(int top) {
    SIPINFO info{};
    info.cbSize = sizeof(info);
    if (!SipGetInfo(&info)) return 0;
    return std::max(0, static_cast<int>(info.rcVisibleDesktop.bottom) - top);
}

void CToolPanelPlacement::Apply(CWnd* tool, bool panelUp) {
    CWnd* parent = tool->GetParent();
    if (panelUp) {
        CRect screen;
        tool->GetWindowRect(&screen);
        if (!m_bShrunk) {
            m_rcFull = screen;
            if (parent) parent->ScreenToClient(&m_rcFull);
            m_bShrunk = true;
        }
        // Down to the panel's top edge: a window taller than its room would leave its lowest
        // controls under the panel.
        const int height = std::min(std::max(0, m_rcFull.Height() - 80), HeightAbovePanel(screen.top));
        tool->MoveWindow(m_rcFull.left, m_rcFull.top, m_rcFull.Width(), height, TRUE);
    } else if (m_bShrunk) {
        m_bShrunk = false;
        tool->MoveWindow(&m_rcFull, TRUE);
    }
}

int CToolScroll::Prepare(CWnd* tool, int contentHeight, int workWidth) {
    m_nContent = contentHeight;
    CRect client;
    tool->GetClientRect(&client);
    const bool scrolls = CToolPanelPlacement().PanelUp() && contentHeight > client.Height();
    if (!m_bBusy) {
        // Showing or hiding the bar resizes the client area, which lays the window out again
        // (and may scroll it) before the caller places its controls.
        m_bBusy = true;
        ::ShowScrollBar(tool->m_hWnd, SB_VERT, scrolls);
        m_bBusy = false;
    }
    // The caller places the controls from the top: the offset must say so, whatever the layout
    // run inside ShowScrollBar scrolled, or the next scroll would not move them.
    m_nOffset = 0;
    tool->GetClientRect(&client);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = scrolls ? contentHeight - 1 : 0;
    info.nPage = scrolls ? static_cast<UINT>(client.Height()) : 0;
    tool->SetScrollInfo(SB_VERT, &info, TRUE);
    if (!scrolls || client.Width() <= 0) return workWidth;
    return std::min(workWidth, static_cast<int>(client.Width()));
}

int CToolScroll::Range(CWnd* tool) const {
    if (!(tool->GetStyle() & WS_VSCROLL)) return 0;
    CRect client;
    tool->GetClientRect(&client);
    return std::max(0, m_nContent - static_cast<int>(client.Height()));
}

void CToolScroll::OnVScroll(CWnd* tool, UINT code, UINT thumb) {
    const int range = Range(tool);
    CRect client;
    tool->GetClientRect(&client);
    const int line = 20;
    const int page = std::max(line, static_cast<int>(client.Height()) - line);
    int next = m_nOffset;
    switch (code) {
    case SB_LINEUP: next -= line; break;
    case SB_LINEDOWN: next += line; break;
    case SB_PAGEUP: next -= page; break;
    case SB_PAGEDOWN: next += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: next = static_cast<int>(thumb); break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = range; break;
    default: return;
    }
    ScrollTo(tool, next);
}

void CToolScroll::ScrollTo(CWnd* tool, int offset) {
    ScrollToolWindow(tool, m_nOffset, std::clamp(offset, 0, Range(tool)));
}

void HideToolsListUnder(CWnd* tool) {
    if (!tool->IsWindowVisible()) return;
    CWnd* owner = tool->GetOwner();
    if (owner && owner != tool->GetParent()) owner->ShowWindow(SW_HIDE);
}

} // namespace toolwin
