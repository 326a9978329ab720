// The Weather page's geometry for each screen shape, its background image, its skin colours and
// its icon folder.

#include "weather/WeatherPanel.h"

#include "core/CommonHelpers.h"
#include "core/SkinFile.h"
#include "core/TextFiles.h"
#include "platform/framework/WaitCursor.h"
#include "resources/resource.h"
#include "shell/MainTabCtrl.h"
#include "platform/framework/WindowDC.h"

#include <algorithm>

namespace {

RECT WorkArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// A Common Folders folder followed by the Weather section's image name; empty when either is
// missing from the skin.
CString SkinImage(const CString& folders, LPCWSTR folderKey, const CString& weather, LPCWSTR imageKey) {
    CString folder = GetSkinValue(folders, folderKey);
    CString image = GetSkinValue(weather, imageKey);
    if (folder == NotFoundMarker || image == NotFoundMarker) return CString();
    return folder + image;
}

void MoveKeepingSize(CWnd* item, int x, int y) {
    if (!item) return;
    RECT r{};
    item->GetWindowRect(&r);
    item->SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void CWeatherPanel::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    LayOut();
}

void CWeatherPanel::LayOut() {
    const RECT area = WorkArea();
    m_workWidth = area.right - area.left;
    m_workHeight = area.bottom - area.top;
    m_menuBarHeight = ::GetSystemMetrics(SM_CYMENU);
    m_pageHeight = m_workHeight - m_menuBarHeight - 26;

    if (m_workHeight >= 351)
        m_pageHeight -= 80;
    else if (m_workWidth > m_workHeight && m_workWidth > 350)
        m_workWidth -= 80; // a wide low screen
    else if (m_workWidth == 320 && ::GetSystemMetrics(SM_CYSCREEN) == 320)
        m_pageHeight -= 80;

    s_wideFlag = m_workHeight <= m_workWidth ? 1 : 0;
    const bool tall = m_workWidth < m_pageHeight;
    s_bandHeight = tall ? 225 : 150;
    s_dayStripBottom = tall ? 20 : 16;
    s_syncAllTop = tall ? 5 : 0;
    if (!m_celsiusButton.m_hWnd) return; // before the controls exist only the values are wanted

    const int unitW = tall ? 17 : 15;
    const int unitH = tall ? 16 : 14;
    const int unitY = tall ? 3 : 0;
    m_celsiusButton.SetWindowPos(&wndTop, 5, unitY, unitW, unitH, SWP_SHOWWINDOW);
    // Three pixels between the two unit boxes, so that their texts never run together.
    m_fahrenheitButton.SetWindowPos(&wndTop, unitW + 8, unitY, unitW, unitH, SWP_SHOWWINDOW);
    FitUnitFont(unitW);

    const int w = m_workWidth;
    const int d = s_wideFlag;
    const int columns[kShownDays] = {20 * w / 40, 27 * w / 40, 33 * w / 40};
    static constexpr UINT kFirstIcon[kPlaces] = {IDC_WEATHER_ICON11, IDC_WEATHER_ICON21, IDC_WEATHER_ICON31,
                                                 IDC_WEATHER_ICON41};
    static constexpr UINT kFirstTemp[kPlaces] = {IDC_WEATHER_TEMP11, IDC_WEATHER_TEMP21, IDC_WEATHER_TEMP31,
                                                 IDC_WEATHER_TEMP41};
    for (int k = 0; k < kPlaces; ++k) {
        const int base = BaseLine(k);
        const int row = base + (k == 3 ? 23 : 21);
        for (int j = 0; j < kShownDays; ++j) {
            CWnd* icon = GetDlgItem(kFirstIcon[k] + j);
            if (icon) MoveKeepingSize(icon, columns[j] - 3, row - WindowSize(kFirstIcon[k] + j).cy);
            CWnd* temp = GetDlgItem(kFirstTemp[k] + j);
            if (!temp) continue;
            if (k == 0) {
                const CSize size = WindowSize(kFirstTemp[k] + j);
                temp->SetWindowPos(nullptr, columns[j] - 2, row, size.cx, 11, SWP_NOZORDER | SWP_NOACTIVATE);
            } else {
                MoveKeepingSize(temp, columns[j] - 2, row);
            }
        }
        CComboBox& combo = m_placeCombos[k];
        combo.SetWindowPos(nullptr, 0, 0, w / 2 - 10, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const CSize client = ClientSize(combo);
        combo.SetWindowPos(nullptr, 2, base - d + (k == 3 ? 21 : 20) - client.cy, client.cx, client.cy - 2 * d,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        const int moreOffset = k == 0 ? 19 : (k == 3 ? 23 : 22);
        const CSize placeClient = ClientSize(combo);
        m_moreButtons[k].SetWindowPos(nullptr, 7, base - 4 * d + moreOffset, placeClient.cx - 10,
                                      placeClient.cy - 4 * d, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The unit boxes' texts in the unit font, or a smaller one when "°C" or "°F" would reach the
// box's edges (the flat layout's boxes are 15 pixels wide).
void CWeatherPanel::FitUnitFont(int boxWidth) {
    if (!m_unitFont.GetSafeHandle()) return;
    CClientDC dc(this);
    LOGFONTW lf{};
    m_unitFont.GetLogFont(&lf);
    CFont* chosen = &m_unitFont;
    for (LONG height = lf.lfHeight; height >= 8; --height) {
        CFont trial;
        lf.lfHeight = height;
        trial.CreateFontIndirect(&lf);
        CFont* old = dc.SelectObject(&trial);
        const int widest = std::max<int>(dc.GetTextExtent(CString(L"°C")).cx, dc.GetTextExtent(CString(L"°F")).cx);
        dc.SelectObject(old);
        if (widest <= boxWidth - 3 || height == 8) {
            if (height != m_unitFitHeight) {
                m_unitFitFont.DeleteObject();
                m_unitFitFont.CreateFontIndirect(&lf);
                m_unitFitHeight = height;
            }
            chosen = &m_unitFitFont;
            break;
        }
    }
    for (CIconButton* unit : {&m_celsiusButton, &m_fahrenheitButton})
        unit->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(chosen->GetSafeHandle()), TRUE);
}

void CWeatherPanel::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    const RECT area = WorkArea();
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width != m_workWidth || height != m_workHeight) LoadBackground(width, height);
    LayOut();
    if (auto* container = dynamic_cast<CMainTabCtrl*>(GetParent())) container->PlaceCurrentPage();
    // An open tip follows the panel or the screen, also while another tab hides the page.
    if (m_tipTitle.m_hWnd && (m_tipTitle.GetStyle() & WS_VISIBLE)) PlaceShownTip();
    Invalidate(TRUE);
}

BOOL CWeatherPanel::OnEraseBkgnd(CDC* pDC) {
    CDialog::OnEraseBkgnd(pDC);
    RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    CBrush panel;
    panel.CreateSolidBrush(m_panelColor);
    pDC->FillRect(&screen, &panel);
    if (m_backgroundBitmap.GetSafeHandle()) {
        BITMAP info{};
        m_backgroundBitmap.GetBitmap(&info);
        CDC memory;
        memory.CreateCompatibleDC(pDC);
        CBitmap* old = memory.SelectObject(&m_backgroundBitmap);
        pDC->StretchBlt(0, 0, m_workWidth, m_pageHeight + 3, &memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        memory.SelectObject(old);
    }
    return TRUE;
}

// The image of the screen shape: square screens other than 320 x 320, landscape, portrait.
void CWeatherPanel::LoadBackground(int width, int height) {
    m_backgroundBitmap.DeleteObject();
    const CString* image = &m_portraitImage;
    if (IsSquareScreenNot320())
        image = &m_squareImage;
    else if (height < width)
        image = &m_landscapeImage;
    CString path;
    // Names from the skin file stay inside the skin's folder.
    if (image->IsEmpty() || !JoinSkinPath(m_skinFolder, *image, path)) return;
    if (HBITMAP bitmap = ::SHLoadImageFile(path)) m_backgroundBitmap.Attach(bitmap);
}

void CWeatherPanel::LoadSkin() {
    {
        CWaitCursor wait;
        CurrentSkin skin = LoadCurrentSkin(L"*");
        if (skin.loaded) {
            m_skinFolder = skin.folder;
            CString folders = GetSkinSection(skin.text, L"Common Folders");
            CString weather = GetSkinSection(skin.text, L"Weather");
            m_portraitImage = SkinImage(folders, L"P", weather, L"BP");
            m_landscapeImage = SkinImage(folders, L"L", weather, L"BL");
            m_squareImage = SkinImage(folders, L"S", weather, L"BS");

            auto colour = [&](LPCWSTR key) {
                return SkinColor(weather == NotFoundMarker ? CString(NotFoundMarker) : GetSkinValue(weather, key));
            };
            m_celsiusBack = colour(L"CBBC");
            m_celsiusTextColor = colour(L"CBTC");
            m_fahrenheitBack = colour(L"FBBC");
            m_fahrenheitTextColor = colour(L"FBTC");
            m_syncAllColor = colour(L"SATC");
            m_dayColor = colour(L"DAYSC");
            m_cityNameColor = colour(L"CNSC");
            m_moreColor = colour(L"MOREC");
            ShowChosenUnit();

            const RECT area = WorkArea();
            LoadBackground(area.right - area.left, area.bottom - area.top);

            CString icons = weather == NotFoundMarker ? CString(NotFoundMarker) : GetSkinValue(weather, L"WICOF");
            if (icons == L"default") {
                m_iconFolder = GetProgramFolder() + L"\\wiconset\\";
            } else {
                CString folder;
                // A folder name leading out of the skin's folder is not followed.
                m_iconFolder = (icons != NotFoundMarker && JoinSkinPath(m_skinFolder, icons, folder)) ? folder
                                                                                                     : CString();
            }
            m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"icondir", m_iconFolder);
        }
    }
    LoadPlaceForecasts();
    if (m_fahrenheit) ShowFahrenheit();
}
