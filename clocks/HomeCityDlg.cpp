#include "clocks/HomeCityDlg.h"

#include "clocks/HomeCityProposal.h"
#include "core/CityLists.h"
#include "core/ListFileReader.h"
#include "core/TextFiles.h"
#include "platform/base/Utf8.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceTime.h"
#include "platform/ui/Sip.h"

#include <algorithm>
#include <map>
#include <vector>
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CHomeCityDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CHomeCityDlg::CHomeCityDlg() : CDialog(IDD_HOME_CITY) {}

void CHomeCityDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HOME_CITY_LIST, m_list);
}

void CHomeCityDlg::ReadWorkArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m_nWidth = area.right - area.left;
    m_nHeight = area.bottom - area.top;
    // A raised input panel leaves only the part above it: the list and the prompt stand there.
    SIPINFO info{};
    info.cbSize = sizeof(info);
    if (::SHSipInfo(SPI_GETSIPINFO, 0, &info, 0) && (info.fdwFlags & SIPF_ON))
        m_nHeight = std::min(m_nHeight, static_cast<int>(info.rcVisibleDesktop.bottom - area.top));
}

BOOL CHomeCityDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_db.Open();
    ReadWorkArea();
    // Item i is CityIndex i; cities of one name show their countries.
    m_nTextWidth = FillCityList(m_list, m_db);
    PlaceList();
    // The device's own city is proposed, so that accepting the proposal keeps every clock right.
    m_list.SetCurSel(m_list.GetCount() > 0 ? DeviceCityIndex() : 0);
    return TRUE;
}

int CHomeCityDlg::DeviceCityIndex() {
    // The zones of the cities, as cities.lst names them (its first field, which the store does
    // not keep).
    std::map<CString, std::string> zones; // name ":" country -> zone
    CTextFileHandle file(OpenTextFile(GetShippedFilePath(L"cities.lst"), TextFileKind::CityList));
    if (file) {
        CListFileReader in(file.Get());
        in.Next(L"\n"); // title line
        const int count = ParseListCount(in.Next(L"\n"));
        for (int i = 0; i < count && !in.AtEnd(); ++i) {
            const CString lineZone = in.Next(L";");
            const CString name = in.Next(L";");
            const CString country = in.Next(L";");
            in.Next(L"\n");
            if (lineZone == L">" || name == L">" || country == L">") break;
            zones.emplace(name + L":" + country, device::ToUtf8(static_cast<LPCWSTR>(lineZone)));
        }
    }
    // Every city of the store is weighed with the offset and rule its clock will use.
    std::vector<HomeCityCandidate> cities;
    const int listed = m_list.GetCount();
    cities.reserve(static_cast<size_t>(listed));
    for (int index = 0; index < listed; ++index) {
        HomeCityCandidate city;
        city.index = index;
        city.name = m_db.GetName(static_cast<DWORD>(index));
        const auto zone = zones.find(city.name + L":" + m_db.GetCountry(static_cast<DWORD>(index)));
        if (zone != zones.end()) city.zone = zone->second;
        CString offset = m_db.GetUtcOffset(static_cast<DWORD>(index));
        offset.TrimLeft();
        city.offset = ReadLeadingInt(offset);
        city.rule = CityDstRule(m_db, static_cast<DWORD>(index));
        cities.push_back(std::move(city));
    }
    const int proposed =
        ProposeHomeCity(cities, device::DeviceZoneName(), *device::DeviceZone(), device::DeviceTimeNow());
    return proposed >= 0 && proposed < listed ? proposed : 0;
}

void CHomeCityDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    PlaceList();
}

void CHomeCityDlg::PlaceList() {
    ReadWorkArea();
    if (!m_list.m_hWnd) return; // sized before the data exchange bound the list
    // The list stands centred, 120 pixels wide or as wide as its longest city text needs (so
    // that "Vancouver (United States of America)" reads whole), within the work area's width;
    // a text longer still scrolls sideways.
    const int frame = ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXBORDER);
    const int width = std::clamp(m_nTextWidth + frame, 120, std::max(120, m_nWidth - 10));
    m_list.MoveWindow(m_nWidth / 2 - width / 2, m_nHeight / 4 - 10, width, m_nHeight / 2);
    m_list.ShowWindow(SW_SHOW);
}

void CHomeCityDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    // The default handling follows a turned screen; the list follows the panel as well.
    CDialog::OnSettingChange(uFlags, lpszSection);
    PlaceList();
    Invalidate();
}

void CHomeCityDlg::OnPaint() {
    CPaintDC dc(this);
    CString prompt;
    prompt.LoadString(IDS_SELECT_HOME_LOCATION);
    CFont* old = dc.SelectObject(GetFont());
    CSize size = dc.GetTextExtent(prompt);
    dc.TextOut(m_nWidth / 2 - size.cx / 2, m_nHeight / 4 - 30, prompt);
    dc.SelectObject(old);
}

void CHomeCityDlg::OnDestroy() {
    CDialog::OnDestroy();
    m_nResult = m_list.m_hWnd ? m_list.GetCurSel() : -1;
}

bool CHomeCityDlg::HasChoice() {
    if (m_list.m_hWnd && m_list.GetCurSel() >= 0) return true;
    AfxMessageBox(IDS_SELECT_HOME_LOCATION, MB_OK);
    return false;
}

void CHomeCityDlg::OnOK() {
    if (HasChoice()) CDialog::OnOK();
}

void CHomeCityDlg::OnCancel() {
    if (HasChoice()) CDialog::OnCancel();
}
