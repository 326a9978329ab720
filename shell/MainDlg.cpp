// [SECTION] Program-wide values and construction
// [SECTION] Start-up
// [SECTION] First start: home city and the defaults derived from it
// [SECTION] Currency list
// [SECTION] Layout and destruction

#include "shell/MainDlg.h"

#include "clocks/StoredCityIndexes.h"

#include "clocks/HomeCityDlg.h"
#include "clocks/ReminderNotifications.h"
#include "core/CoreMessages.h"
#include "core/DamagedSettings.h"
#include "core/HeldPositions.h"
#include "core/ShippedDefaults.h"
#include "core/SkinFile.h"
#include "core/StorageFaults.h"
#include "core/TextFiles.h"
#include "currency/CurrencyLogic.h"
#include "platform/framework/CeDb.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WinApp.h"
#include "platform/system/SystemVersion.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/ResourceImages.h"
#include "resources/resource.h"
#include "shell/FirstRunDefaults.h"
#include "shell/StartupFiles.h"
#include "shell/StoredPositions.h"

#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

constexpr LPCWSTR kJorvanaKey = L"Jorvana";
constexpr LPCWSTR kWeatherKey = L"Jorvana\\weather";
constexpr LPCWSTR kCurrenciesKey = L"Jorvana\\currencies";
constexpr LPCWSTR kPlaceValues[4] = {L"wetp", L"wetp2", L"wetp3", L"wetp4"};
constexpr LPCWSTR kColumnValues[3] = {L"curp", L"curp2", L"curp3"};
constexpr COLORREF kBackground = RGB(125, 157, 187);
constexpr UINT_PTR kTellDamagedSettingsTimer = 0x7E11;

// The tab images added from the icons at start-up, in image-index order; the skin replaces them.
constexpr UINT kStartIcons[] = {IDI_TAB_CLOCKS,         IDI_TAB_MAP,          IDI_TAB_TOOLS,
                                IDI_TAB_CLOCKS_SELECTED, IDI_TAB_MAP_SELECTED, IDI_TAB_TOOLS_SELECTED,
                                IDI_TAB_WEATHER,        IDI_TAB_WEATHER_SELECTED, IDI_TAB_CURRENCY,
                                IDI_TAB_CURRENCY_SELECTED};
// The five tabs and their images: World Clocks, Weather, World Map, Currencies, Tools.
constexpr int kTabImages[] = {0, 6, 1, 8, 2};

// A font size base read as a decimal number truncated toward zero; text that is no number gives 0.
int ParseFontSizeBase(const CString& text) {
    const wchar_t* start = text;
    wchar_t* end = nullptr;
    double value = std::wcstod(start, &end);
    if (end == start || !std::isfinite(value)) return 0;
    if (value > 1000.0) return 1000; // a font grown beyond the screen helps nobody
    if (value < -1000.0) return -1000;
    return static_cast<int>(std::trunc(value));
}

} // namespace

// [SECTION] Program-wide values and construction -----------------------------------------------

bool CommandUiUpdatePending = true;

CMainDlg::CMainDlg(CWnd* pParent) : CDialog(IDD_MAIN, pParent), m_tabs(CMainTabCtrl::kDrawControl) {
    HINSTANCE resources = AfxGetResourceHandle();
    m_hIcon = resources ? ::LoadIcon(resources, MAKEINTRESOURCEW(IDI_MAIN)) : nullptr;
    if (!m_hIcon) m_hIcon = ::LoadIcon(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDI_MAIN));
}

CMainDlg::~CMainDlg() {
    if (m_hIcon) ::DestroyIcon(m_hIcon);
}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MAIN_TITLE, m_title);
    DDX_Control(pDX, IDC_MAIN_TABS, m_tabs);
}

// [SECTION] Start-up ---------------------------------------------------------------------------

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bUndoAvailable = 0;

    CString fontBase = m_registry.ReadString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"fontbase");
    SharedFontSizeBase = m_registry.RegistryStatus == CRegistryKey::kFound ? ParseFontSizeBase(fontBase) : 0;
    SharedFontFace = L"Arial";
    SharedFontFace = m_registry.ReadString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"font");
    if (SharedFontFace.IsEmpty()) SharedFontFace = L"Arial";

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    CenterWindow();

    m_brushBack.CreateSolidBrush(kBackground);
    ReadWorkArea();

    m_tabs.SetMainWindow(m_hWnd);
    m_tabs.SetDrawMode(CMainTabCtrl::kDrawStrip);
    CThemedTabCtrl::SetThemeStyle(TRUE, CThemedTabCtrl::kThemeFlat | CThemedTabCtrl::kThemeUseColor |
                                            CThemedTabCtrl::kThemeLightenSelected);
    m_tabs.Invalidate();
    Invalidate();

    // The main window must not be closed by an OK button: it shows none.
    ::SHDoneButton(m_hWnd, SHDB_HIDE);
    ModifyStyle(WS_POPUP, 0);

    BuildStartImages();
    m_tabs.SetItemSize(CSize((m_nWorkWidth - 85) / 5 - 1, 26));
    for (int i = 0; i < 5; ++i) m_tabs.InsertItem(i, L"", kTabImages[i]);
    Layout(); // the title stands right of the tabs, which exist only now

    CreateCommandBars();
    ShowOnlyBar(kClocksBar);

    m_nPackShowAll = 1;
    m_nPackShowChecked = m_nPackShowUnchecked = 0;

    m_fontTitle.CreateFont(13 + SharedFontSizeBase, 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 6, SharedFontFace);
    m_title.SetFont(&m_fontTitle);
    SetTitle(IDS_TITLE_WORLD_CLOCKS);

    const ULONGLONG faultsBefore = CCeDBDatabase::StorageFaultCount();
    {
        CWaitCursor wait;
        m_citiesDb.Open();
    }
    {
        CWaitCursor wait;
        m_weatherDb.Open();
    }
    const bool storesFailed = CCeDBDatabase::StorageFaultCount() != faultsBefore;

    m_registry.ReadDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock");
    if (m_registry.RegistryStatus == CRegistryKey::kValueDamaged) {
        if (!MendHomeCity(storesFailed)) {
            EndDialog(IDCANCEL);
            return TRUE;
        }
        FinishFirstStart();
    } else if (m_registry.RegistryStatus != CRegistryKey::kFound) {
        // A first start that was not stored whole ends here, before the pages write defaults of
        // their own: nothing of it is kept, and the next start asks for the home city again.
        if (!RunFirstStart(storesFailed)) {
            EndDialog(IDCANCEL);
            return TRUE;
        }
    } else {
        FinishFirstStart();
    }

    // Positions past the end of the city store (a list cut short) would give clocks without a
    // name: the first page reads them next. The weather page repairs its own places.
    RepairCityPositions(m_registry, m_citiesDb.GetRecordCount(), m_citiesDb.IsWhole() != FALSE);
    // A reminder still to go off goes off when its city's clock shows its time as the rules read
    // now: a machine whose tzdata changed since it was set moves its city's clock.
    RefreshArmedReminders(m_citiesDb, m_registry);

    // The pages apply the skin as they are made: a damaged skin is replaced before that.
    if (const UINT skinMessage = CheckSkinAtStart()) ShowCoreMessage(skinMessage);

    {
        CWaitCursor wait;
        m_tabs.CreateFirstPage();
        LoadCurrencyList();
        m_currenciesDb.SetCurrencyList(m_currencyTable.data(), m_nCurrencyCount);
        m_currenciesDb.Open();
    }
    // A damaged list matters where it builds the store: said once, when it does.
    if (m_bCurrencyListDamaged && m_currenciesDb.WasBuilt()) ShowCoreMessage(IDS_CURRENCY_FILE_DAMAGED);
    RepairCurrencyPositions(m_registry, m_currenciesDb.GetRecordCount());

    DWORD curTab = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kJorvanaKey, L"CurTab");
    if (m_registry.RegistryStatus != CRegistryKey::kFound) {
        curTab = 0;
        WriteCurTab(0);
    }
    if (curTab != 0) m_tabs.SelectTabByNumber(static_cast<int>(curTab));

    ApplySkin();
    // Settings found damaged are told once the window is up and idle: all that the start found
    // in one message, after the start's own questions and messages rather than inside them.
    SetDamagedSettingsTeller(m_hWnd);
    return TRUE;
}

void CMainDlg::BuildStartImages() {
    m_tabImages.DeleteImageList();
    m_tabImages.Create(23, 23, ILC_MASK | ILC_COLOR24, 10, 10);
    HINSTANCE resources = AfxGetResourceHandle();
    for (UINT id : kStartIcons) {
        HICON icon = resources ? static_cast<HICON>(::LoadImage(resources, MAKEINTRESOURCEW(id), IMAGE_ICON, 23, 23, 0))
                               : nullptr;
        if (!icon) icon = static_cast<HICON>(::LoadImage(AfxGetInstanceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, 23, 23, 0));
        if (!icon) continue;
        m_tabImages.Add(icon);
        ::DestroyIcon(icon);
    }
    m_tabs.SetImageList(&m_tabImages);
}

void CMainDlg::RunHomeCityDialog(int& cityIndex) {
    CHomeCityDlg dlg;
    dlg.DoModal();
    cityIndex = dlg.m_nResult;
}

// [SECTION] First start: home city and the defaults derived from it ----------------------------

bool CMainDlg::RunFirstStart(bool storesFailed) {
    // A city store that could not be built (its list missing or damaged, or a full device) offers
    // no city to choose from; a store the device had no room for would leave the first start
    // without its weather places. Both were said as the stores opened.
    if (m_citiesDb.GetRecordCount() == 0 || storesFailed) {
        // Stores left unbuilt because the program was asked to end are no fault.
        if (device::ui::IsProgramEnding()) return false;
        ShowCoreMessage(IDS_FIRST_START_NOT_SET_UP);
        m_bStartFailed = true;
        return false;
    }
    int cityIndex = -1;
    RunHomeCityDialog(cityIndex);
    if (cityIndex < 0) return false; // the program ended meanwhile
    if (WriteFirstStartValues(static_cast<DWORD>(cityIndex), false)) return true;
    if (device::ui::IsProgramEnding()) return false;
    ShowCoreMessage(StorageMessageId(StorageSituation::FirstStartNotStored, LastStorageCause()));
    m_bStartFailed = true;
    return false;
}

bool CMainDlg::MendHomeCity(bool storesFailed) {
    SettingDamageHandled(kClocksKey, kClockValueNames[0]);
    DWORD home = 0;
    const CString location = m_registry.ReadString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"hlname");
    const bool locationDamaged = m_registry.RegistryStatus == CRegistryKey::kValueDamaged;
    bool found = m_registry.RegistryStatus == CRegistryKey::kFound && !location.IsEmpty() &&
                 m_citiesDb.FindCity(location);
    if (found) home = m_citiesDb.GetCurrentIndex();
    if (!found) {
        // As at a first start: a store without cities offers none to choose (said as it opened).
        if (m_citiesDb.GetRecordCount() == 0 || storesFailed) {
            if (device::ui::IsProgramEnding()) return false;
            ShowCoreMessage(IDS_FIRST_START_NOT_SET_UP);
            m_bStartFailed = true;
            return false;
        }
        // The home location is written anew with the city chosen.
        if (locationDamaged) SettingDamageHandled(kJorvanaKey, L"hlname");
        ShowCoreMessage(IDS_HOME_CITY_DAMAGED);
        int cityIndex = -1;
        RunHomeCityDialog(cityIndex);
        if (cityIndex < 0) return false; // the program ended meanwhile
        home = static_cast<DWORD>(cityIndex);
    }
    const BOOL stored = CCeDBDatabase::AllOrNothing([&] {
        return m_registry.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, kClockValueNames[0], home) &&
               (found || m_registry.WriteString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"hlname",
                                                m_citiesDb.GetName(home) + L":" + m_citiesDb.GetCountry(home)));
    });
    if (stored) return true;
    if (device::ui::IsProgramEnding()) return false;
    // A home city the user chose is asked for again at the next start; one taken back from the
    // home location is taken back again, without a question.
    ShowCoreMessage(StorageMessageId(found ? StorageSituation::StartCloses : StorageSituation::FirstStartNotStored,
                                     LastStorageCause()));
    m_bStartFailed = true;
    return false;
}

void CMainDlg::FinishFirstStart() {
    const DWORD home = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock");
    // A home city past the end of a short store names no city: the repair that follows moves
    // it, and the next start finishes from the city it moved to.
    if (home >= m_citiesDb.GetRecordCount()) return;
    if (!WriteFirstStartValues(home, true)) ReportStorageFault();
}

bool CMainDlg::WriteFirstStartValues(DWORD home, bool onlyMissing) {
    // A damaged value is told, not written over; the home location is taken again from the home
    // city, which names it.
    const auto wanted = [&](LPCWSTR key, LPCWSTR name) {
        if (!onlyMissing) return true;
        m_registry.ReadDword(HKEY_LOCAL_MACHINE, key, name);
        return m_registry.RegistryStatus != CRegistryKey::kFound &&
               m_registry.RegistryStatus != CRegistryKey::kValueDamaged;
    };
    const bool wantSync = wanted(kClocksKey, L"syncltz");
    const bool wantMap = wanted(kMapKey, L"mapclock");
    bool wantLocation = !onlyMissing;
    if (onlyMissing) {
        m_registry.ReadString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"hlname");
        if (m_registry.RegistryStatus == CRegistryKey::kValueDamaged) SettingDamageHandled(kJorvanaKey, L"hlname");
        wantLocation = m_registry.RegistryStatus != CRegistryKey::kFound;
    }
    bool wantClock[4], wantPlace[4], wantColumn[3];
    bool any = wantSync || wantMap || wantLocation;
    for (int i = 0; i < 4; ++i) {
        wantClock[i] = wanted(kClocksKey, kClockValueNames[i + 1]);
        wantPlace[i] = wanted(kWeatherKey, kPlaceValues[i]);
        any = any || wantClock[i] || wantPlace[i];
    }
    for (int i = 0; i < 3; ++i) {
        wantColumn[i] = wanted(kCurrenciesKey, kColumnValues[i]);
        any = any || wantColumn[i];
    }
    if (!any) return true;

    m_bCountryListDamaged = false;
    const BOOL committed = CCeDBDatabase::AllOrNothing([&] {
        bool written = true;
        const auto put = [&](bool want, LPCWSTR key, LPCWSTR name, DWORD value) {
            if (want) written = m_registry.WriteDword(HKEY_LOCAL_MACHINE, key, name, value) && written;
        };
        put(wantSync, kClocksKey, L"syncltz", 0);
        const std::array<DWORD, 4> clocks = FirstRunClockCities(home);
        for (int i = 0; i < 4; ++i)
            put(wantClock[i], kClocksKey, kClockValueNames[i + 1], clocks[i]);
        put(wantMap, kMapKey, L"mapclock", home);
        if (wantPlace[0] || wantPlace[1] || wantPlace[2] || wantPlace[3]) {
            const std::array<DWORD, 4> places = FirstStartWeatherPlaces(home, wantPlace[0]);
            for (int i = 0; i < 4; ++i)
                put(wantPlace[i], kWeatherKey, kPlaceValues[i], places[i]);
        }
        for (int i = 0; i < 3; ++i)
            put(wantColumn[i], kCurrenciesKey, kColumnValues[i], kDefaultCurrencyIndex[i]);
        if (wantLocation)
            written = m_registry.WriteString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"hlname",
                                             m_citiesDb.GetName(home) + L":" + m_citiesDb.GetCountry(home)) &&
                      written;
        put(!onlyMissing, kClocksKey, L"clock", home); // the first-run mark, last
        return written;
    });
    // Said once the device store is free again.
    if (m_bCountryListDamaged) ShowCoreMessage(IDS_COUNTRY_CITIES_FILE_DAMAGED);
    return committed != FALSE;
}

std::array<DWORD, 4> CMainDlg::FirstStartWeatherPlaces(DWORD home, bool addHome) {
    std::optional<DWORD> homePlace, addedAt;
    if (addHome) {
        const WORD before = m_weatherDb.GetRecordCount();
        const CString name = AddHomeCityToWeather(static_cast<int>(home));
        if (!name.IsEmpty() && m_weatherDb.FindByName(name)) {
            homePlace = m_weatherDb.GetCurrentIndex();
            if (m_weatherDb.GetRecordCount() > before) addedAt = homePlace;
            if (!m_weatherDb.IsWhole()) {
                // The store holds what was added while its list yielded nothing: once the list
                // is in, the home place follows the city to its place there, and the shipped
                // places keep their positions in it (the weather page holds them meanwhile).
                HoldPositionOfRecord(m_registry, kWeatherKey, kPlaceValues[0], name, *homePlace);
                addedAt.reset();
            }
        }
    } else {
        // Finishing a device that has its home place: the defaults pass over it.
        homePlace = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kWeatherKey, kPlaceValues[0]);
    }
    const auto findPlace = [this](LPCWSTR name) -> std::optional<DWORD> {
        if (!m_weatherDb.FindByName(name)) return std::nullopt;
        return m_weatherDb.GetCurrentIndex();
    };
    return FirstRunWeatherPlaces(homePlace, ShippedWeatherPlaces(findPlace, addedAt));
}

CString CMainDlg::AddHomeCityToWeather(int index) {
    const DWORD city = static_cast<DWORD>(index);
    CString name = m_citiesDb.GetName(city);
    CString country = m_citiesDb.GetCountry(city);
    if (name.IsEmpty() || m_weatherDb.FindByName(name)) return name;
    // The country names a file inside the weatcs folder, never a path out of it.
    if (!IsNameInsideFolder(country)) return name;

    CString code;
    bool found = false;
    bool damaged = false;
    {
        CWaitCursor wait;
        CTextFileHandle file(
            OpenTextFile(GetShippedFilePath(L"weatcs\\" + country), TextFileKind::CountryCities, &damaged));
        if (file) found = FindCountryWeatherCode(file.Get(), name, code, &damaged);
    }
    // Said by the caller: this runs inside the first start's transaction.
    if (damaged) m_bCountryListDamaged = true;
    if (found && !m_weatherDb.FindByName(name))
        m_weatherDb.AddCity(name, code, L"", CString(kNeverUpdatedDate) + L":" + country);
    return name;
}

// [SECTION] Currency list ----------------------------------------------------------------------

void CMainDlg::LoadCurrencyList() {
    FreeCurrencyList();
    bool damaged = false;
    CTextFileHandle file(
        OpenTextFile(GetShippedFilePath(L"currs.lst"), TextFileKind::CurrencyList, &damaged));
    bool cut = false;
    for (CurrencyListEntry& entry : ReadCurrencyList(file.Get(), &cut))
        m_currencies.push_back(std::make_unique<CurrencyListEntry>(std::move(entry)));
    for (auto& entry : m_currencies) m_currencyTable.push_back(entry.get());
    m_nCurrencyCount = static_cast<int>(m_currencies.size());
    m_bCurrencyListDamaged = damaged || cut;
}

void CMainDlg::FreeCurrencyList() {
    m_currencyTable.clear();
    m_currencies.clear();
    m_nCurrencyCount = 0;
}

const CurrencyListEntry* CMainDlg::GetCurrency(int i) const {
    return i >= 0 && i < m_nCurrencyCount ? m_currencies[static_cast<size_t>(i)].get() : nullptr;
}

// [SECTION] Layout and destruction -------------------------------------------------------------

void CMainDlg::ReadWorkArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m_nWorkWidth = area.right - area.left;
    m_nWorkHeight = area.bottom - area.top;
    m_nMenuHeight = ::GetSystemMetrics(SM_CYMENU);
    m_nUsableHeight = m_nWorkHeight - m_nMenuHeight + 1;
}

void CMainDlg::OnSize(UINT nType, int cx, int cy) {
    Layout();
    CDialog::OnSize(nType, cx, cy);
}

void CMainDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    // Only top-level windows hear a setting change: the strip and its pages follow the work
    // area through the main window.
    if (m_tabs.m_hWnd) m_tabs.SendMessage(WM_SETTINGCHANGE, uFlags, reinterpret_cast<LPARAM>(lpszSection));
    Layout();
}

void CMainDlg::Layout() {
    ReadWorkArea();
    if (m_title.m_hWnd && m_tabs.m_hWnd) {
        CRect item(0, 0, 0, 0);
        const int count = m_tabs.GetItemCount();
        if (count > 0) m_tabs.GetItemRect(0, &item);
        const int tabs = count * item.Width();
        m_title.SetWindowPos(&wndTop, tabs + 3, 7, m_nWorkWidth - tabs - 1, 15, SWP_SHOWWINDOW);
        m_tabs.SetWindowPos(nullptr, -1, 0, m_nWorkWidth + 2, m_nUsableHeight, SWP_NOZORDER);
    }
    // The bars stay across the bottom of the window when the screen turns.
    CRect client;
    GetClientRect(&client);
    for (CCeCommandBar& bar : m_bars) {
        if (!bar.m_hWnd) continue;
        const int h = bar.GetHeight();
        bar.SetWindowPos(nullptr, 0, client.bottom - h, client.Width(), h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CMainDlg::OnTellDamagedSettings(WPARAM, LPARAM) {
    // Told over the window as it stands: a timer comes once the window's paints are done (at
    // the start the posted message comes before the first of them).
    ::SetTimer(m_hWnd, kTellDamagedSettingsTimer, 0, [](HWND window, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(window, id);
        TellDamagedSettings(window);
    });
    return 0;
}

void CMainDlg::OnDestroy() {
    SetDamagedSettingsTeller(nullptr);
    CDialog::OnDestroy();
    m_tabs.OfferSavePackingList();
    FreeCurrencyList();
    m_fontTitle.DeleteObject();
    m_tabImages.DeleteImageList();
    m_brushBack.DeleteObject();
    m_brushTitle.DeleteObject();
    EndBuiltInDefaultSkin();
}
