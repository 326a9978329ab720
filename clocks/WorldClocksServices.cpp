// The World Clocks page's services: its skin, the work-area change, the tips balloon, the
// 12-hour switch and the texts other screens borrow.

#include "clocks/WorldClocksDlg.h"
#include "core/CityTime.h"
#include "core/CommonHelpers.h"
#include "core/SkinFile.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "resources/resource.h"
#include "shell/MainTabCtrl.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr LPCWSTR kColourKeys[9] = {L"CMDC", L"CMD", L"CMCN", L"CMAC", L"CMSC", L"CODC", L"COD", L"COCN", L"COAC"};

// The image name of a skin: the section "Common Folders"'s folder followed by the page's image.
CString SkinImage(const CString& folders, LPCWSTR folderKey, const CString& clocks, LPCWSTR imageKey) {
    CString folder = GetSkinValue(folders, folderKey);
    CString image = GetSkinValue(clocks, imageKey);
    if (folder == NotFoundMarker || image == NotFoundMarker) return CString();
    return folder + image;
}

} // namespace

void CWorldClocksDlg::LoadSkin() {
    CWaitCursor wait;
    CurrentSkin skin = LoadCurrentSkin(L"*");
    if (!skin.loaded) return; // neither the chosen skin nor the default one: keep the previous

    m_skinFolder = skin.folder;
    CString folders = GetSkinSection(skin.text, L"Common Folders");
    CString clocks = GetSkinSection(skin.text, L"Clocks");
    m_imagePortrait = SkinImage(folders, L"P", clocks, L"BP");
    m_imageLandscape = SkinImage(folders, L"L", clocks, L"BL");
    m_imageSquare = SkinImage(folders, L"S", clocks, L"BS");
    LoadBackground();

    for (int i = 0; i < 9; ++i) {
        CString value = clocks == NotFoundMarker ? CString(NotFoundMarker) : GetSkinValue(clocks, kColourKeys[i]);
        m_colour[i] = SkinColor(value); // a missing key gives black
    }
    CreateHandObjects();
}

void CWorldClocksDlg::LoadBackground() {
    m_background.DeleteObject();
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    const CString* image = &m_imagePortrait;
    if (IsSquareScreenNot320())
        image = &m_imageSquare;
    else if (area.right - area.left > area.bottom - area.top)
        image = &m_imageLandscape;
    CString path;
    // Names from the skin file stay inside the skin's folder.
    if (image->IsEmpty() || !JoinSkinPath(m_skinFolder, *image, path)) return;
    HBITMAP bitmap = ::SHLoadImageFile(path);
    if (bitmap) m_background.Attach(bitmap);
}

void CWorldClocksDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    ClockGeometry g = ClockGeometry::Current();
    if (g.W != m_width || g.H != m_height) LoadBackground();
    LayOut();
    // An open tips box follows the panel or the screen, also while another tab hides the page.
    if (m_tipsStatic.m_hWnd && (m_tipsStatic.GetStyle() & WS_VISIBLE)) ShowTips();
    // The container places the page again on the new work area.
    if (CMainTabCtrl* container = Container()) container->PlaceCurrentPage();
    Invalidate();
}

void CWorldClocksDlg::PlaceTips(int x, int y, UINT stringId, int lineCount, int alignment, bool fit, int width) {
    PlaceTipsBox(*this, TipsBox{m_tipsStatic, m_tipsEdit, m_tipsCloseButton, m_tipsTextFont}, x, y, stringId,
                 lineCount, alignment, fit, width);
}

void CWorldClocksDlg::ShowTips() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    // Over the clock area, ending at its foot, or above a raised input panel so that its Hide
    // button stays within reach; with the panel up on a low screen it keeps fewer lines.
    const int bottom = BottomAbovePanel(*this, m_clockArea + 3);
    int fw = 0, fh = 0;
    // The lines the shape gives it, or more where the text needs them to be read whole.
    const int wanted = std::max(h > w ? 7 : 4, TipsLinesNeeded(*this, m_tipsTextFont, IDS_CLOCK_TIPS, w - 30));
    for (int lines = wanted; lines >= 2; --lines) {
        // Placed once out of sight to learn the frame's size.
        PlaceTips(w, h, IDS_CLOCK_TIPS, lines, 0, false, w - 10);
        RECT frame{};
        m_tipsStatic.GetWindowRect(&frame);
        fw = frame.right - frame.left;
        fh = frame.bottom - frame.top;
        if (fh <= bottom || lines == 2) {
            PlaceTips(w / 2 - fw / 2, std::max(0, bottom - fh), IDS_CLOCK_TIPS, lines, 0, false, w - 10);
            break;
        }
    }
}

void CWorldClocksDlg::OnTipClose() {
    m_tipsEdit.ShowWindow(SW_HIDE);
    m_tipsCloseButton.ShowWindow(SW_HIDE);
    m_tipsStatic.ShowWindow(SW_HIDE);
}

void CWorldClocksDlg::OnTipsEditSetFocus() { ::HideCaret(m_tipsEdit.m_hWnd); }

BOOL CWorldClocksDlg::PreTranslateMessage(MSG* pMsg) {
    if (TipsBoxTakesKey(*this, TipsBox{m_tipsStatic, m_tipsEdit, m_tipsCloseButton, m_tipsTextFont}, *pMsg)) return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

CString CWorldClocksDlg::CityNameOf(int clock) {
    const DWORD city = s_clockCity[clock];
    if (m_cityLabelOf[clock] != static_cast<int64_t>(city)) {
        m_cityLabel[clock] = CityListLabel(m_cities, city);
        m_cityLabelOf[clock] = city;
    }
    return m_cityLabel[clock];
}

CString CWorldClocksDlg::GetClockCityName(int clock) {
    if (clock < 0 || clock >= kClockCount) return CString();
    return CityNameOf(clock);
}

int ClockHourFromDigests(int32_t digestA, int16_t digestB, int clock) {
    switch (clock) {
    case 0: return digestA % 100;
    case 1: return (digestA % 10000) / 100;
    case 2: return digestA / 10000;
    case 3: return digestB % 100;
    default: return digestB / 100;
    }
}

CString ApplyTwelveHourRule(int hour, CString& timeText) {
    int shown = hour;
    CString suffix = L"AM";
    if (hour == 0) {
        shown = 12;
    } else if (hour == 12) {
        suffix = L"PM";
    } else if (hour > 12) {
        shown = hour - 12;
        suffix = L"PM";
    }
    WCHAR digits[16];
    std::swprintf(digits, 16, shown < 10 ? L"0%d" : L"%d", shown);
    timeText = CString(digits) + (timeText.GetLength() > 2 ? timeText.Mid(2) : CString());
    return suffix;
}

CString CWorldClocksDlg::GetClockTimeText(int clock) {
    if (clock < 1 || clock > kClockCount) return CString();
    const int n = clock - 1;
    int hour = ClockHourFromDigests(m_hourDigestA, m_hourDigestB, n);
    WCHAR hh[16];
    std::swprintf(hh, 16, L"%02d", hour);
    CString time = CString(hh) + L":" + m_timeText[n].Mid(3, 2);
    CString suffix;
    if (m_twelveHour) suffix = L" " + ApplyTwelveHourRule(hour, time);
    CString date = n == 0 ? m_dateText[0].Left(5) : m_dateText[n];
    return CityNameOf(n) + L": " + date + L", " + time + suffix;
}

CString CWorldClocksDlg::GetHomeLocationName() {
    return m_registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname");
}

void CWorldClocksDlg::SetTwelveHourMode(BYTE flag) {
    const bool wasTwelve = m_twelveHour;
    m_twelveHour = (flag == 1);
    if (wasTwelve && !m_twelveHour) {
        for (int i = 0; i < kClockCount; ++i) {
            int hours = 0, minutes = 0;
            ClockReference(i, hours, minutes);
            m_timeText[i] = FormatCityTime(m_zone[i], hours, minutes);
        }
    }
}
