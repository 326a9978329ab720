// Property sheets: pages made when first shown, the start page, switching by the bottom tabs,
// refusals through the notifications, OK and Cancel, callbacks, and pages that cannot be made.

#include "platform/ui/ListControls.h"
#include "platform/ui/PropertySheet.h"

#include "MenuTestSupport.h"

#include <deque>
#include <functional>
#include <map>

using namespace menutest;

namespace {

HMODULE SheetModule() {
    static HMODULE module = [] {
        std::filesystem::path dir = device::FileSystemFolder() / "Modules";
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(TEST_SHEETS_MODULE, dir / "PropertySheetTests.dll",
                                   std::filesystem::copy_options::overwrite_existing);
        return LoadLibraryW(L"\\Modules\\PropertySheetTests.dll");
    }();
    return module;
}

// The seven pages in the order the settings sheet adds them.
const WORD kTemplates[7] = {334, 337, 318, 319, 320, 338, 339};

struct Event {
    int page;
    UINT what; // WM_INITDIALOG, WM_DESTROY or a PSN_ code
    bool operator==(const Event&) const = default;
};

constexpr UINT kStep = WM_APP + 7;

std::vector<Event> g_events;
std::map<HWND, int> g_pageOf;
// Answers pages give to notifications, by page and code.
std::map<std::pair<int, UINT>, LRESULT> g_answers;
// Actions run one at a time inside the sheet's modal loop.
std::deque<std::function<void()>> g_script;
bool g_started = false; // the first page shown starts the script

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        int index = static_cast<int>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        g_pageOf[page] = index;
        g_events.push_back({index, WM_INITDIALOG});
        return TRUE;
    }
    case WM_NOTIFY: {
        int index = g_pageOf[page];
        UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        g_events.push_back({index, code});
        if (code == PSN_SETACTIVE && !g_started) {
            g_started = true;
            PostMessageW(page, kStep, 0, 0);
        }
        auto it = g_answers.find({index, code});
        SetWindowLongW(page, DWL_MSGRESULT, it == g_answers.end() ? 0 : it->second);
        return TRUE;
    }
    case kStep:
        if (!g_script.empty()) {
            auto action = std::move(g_script.front());
            g_script.pop_front();
            action();
            // The next action runs once this one's messages are handled.
            if (!g_script.empty()) {
                for (auto& [hwnd, index] : g_pageOf)
                    if (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
                        PostMessageW(hwnd, kStep, 0, 0);
                        break;
                    }
            }
        }
        return TRUE;
    case WM_DESTROY: g_events.push_back({g_pageOf[page], WM_DESTROY}); return FALSE;
    default: return FALSE;
    }
}

class PropertySheetTest : public uitest::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_NE(SheetModule(), nullptr);
        g_events.clear();
        g_pageOf.clear();
        g_answers.clear();
        g_script.clear();
        g_started = false;
        for (int i = 0; i < 7; ++i) {
            PROPSHEETPAGEW& p = m_pages[static_cast<size_t>(i)];
            p = PROPSHEETPAGEW{};
            p.dwSize = sizeof(PROPSHEETPAGEW);
            p.hInstance = SheetModule();
            p.pszTemplate = MAKEINTRESOURCEW(kTemplates[i]);
            p.pfnDlgProc = PageProc;
            p.lParam = i;
        }
        m_header = PROPSHEETHEADERW{};
        m_header.dwSize = sizeof(PROPSHEETHEADERW);
        m_header.dwFlags = PSH_PROPSHEETPAGE | PSH_MAXIMIZE;
        m_header.hInstance = SheetModule();
        m_header.pszCaption = L"User Interface...";
        m_header.nPages = 7;
        m_header.ppsp = m_pages.data();
    }
    void TearDown() override {
        g_script.clear();
        UiTest::TearDown();
    }

    static HWND Sheet() { return GetActiveWindow(); }
    static int Current(HWND sheet) {
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        return page ? g_pageOf[page] : -1;
    }
    // Taps tab `index`, first sliding the strip with its arrows until the tab shows whole.
    static void TapTab(HWND sheet, int index) {
        HWND tab = PropSheet_GetTabControl(sheet);
        for (int tries = 0; tries < 10; ++tries) {
            RECT r{}, shown{};
            ASSERT_TRUE(SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)));
            MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&r), 2);
            GetWindowRect(GetParent(tab), &shown);
            if (r.left >= shown.left && r.right <= shown.right) {
                Tap(Centre(r));
                return;
            }
            HWND arrow = Arrow(sheet, r.left < shown.left ? L"<" : L">");
            ASSERT_TRUE(arrow && IsWindowVisible(arrow));
            RECT a;
            GetWindowRect(arrow, &a);
            Tap(Centre(a));
        }
        FAIL() << "tab " << index << " never came into view";
    }
    static HWND Arrow(HWND sheet, const std::wstring& text) {
        for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            WCHAR buffer[8] = {};
            GetWindowTextW(child, buffer, 8);
            if (text == buffer) return child;
        }
        return nullptr;
    }
    static std::vector<Event> Only(UINT what) {
        std::vector<Event> out;
        for (const Event& e : g_events)
            if (e.what == what) out.push_back(e);
        return out;
    }

    std::array<PROPSHEETPAGEW, 7> m_pages{};
    PROPSHEETHEADERW m_header{};
};

} // namespace

TEST_F(PropertySheetTest, TheStartPageComesFirstOthersAreMadeWhenShownAndOkAppliesEveryMadePage) {
    m_header.nStartPage = 6;
    HWND sheet = nullptr;
    bool othersUnmade = false;
    RECT sheetRect{}, tabRect{}, pageRect{}, okRect{}, clientRect{};
    DWORD sheetEx = 0, page0Style = 0;
    g_script = {
        [&] {
            sheet = Sheet();
            othersUnmade = true;
            for (int i = 0; i < 6; ++i) othersUnmade = othersUnmade && !device::ui::PropertySheetPageWindow(sheet, i);
            EXPECT_EQ(Current(sheet), 6);
            GetWindowRect(sheet, &sheetRect);
            GetWindowRect(PropSheet_GetTabControl(sheet), &tabRect);
            GetWindowRect(PropSheet_GetCurrentPageHwnd(sheet), &pageRect);
            sheetEx = static_cast<DWORD>(GetWindowLongW(sheet, GWL_EXSTYLE));
            // Seven tabs do not fit: the strip slid to show the start page's tab, arrows beside it.
            RECT six{}, shown{};
            HWND strip = PropSheet_GetTabControl(sheet);
            SendMessageW(strip, TCM_GETITEMRECT, 6, reinterpret_cast<LPARAM>(&six));
            MapWindowPoints(strip, nullptr, reinterpret_cast<POINT*>(&six), 2);
            GetWindowRect(GetParent(strip), &shown);
            EXPECT_GE(six.left, shown.left);
            EXPECT_LE(six.right, shown.right);
            EXPECT_TRUE(IsWindowVisible(Arrow(sheet, L"<")));
            TapTab(sheet, 2);
        },
        [&] {
            EXPECT_EQ(Current(sheet), 2);
            EXPECT_FALSE(IsWindowVisible(device::ui::PropertySheetPageWindow(sheet, 6)));
            EXPECT_TRUE(PropSheet_SetCurSel(sheet, nullptr, 0));
        },
        [&] {
            HWND page0 = device::ui::PropertySheetPageWindow(sheet, 0);
            page0Style = static_cast<DWORD>(GetWindowLongW(page0, GWL_STYLE));
            EXPECT_EQ(GetParent(page0), sheet);
            device::ui::PumpUntilIdle();
            Screenshot("property-sheet");
            // No caption row of its own: "ok" is at the right end of the taskbar.
            RECT own = device::ui::CaptionOkButtonRect(sheet);
            EXPECT_TRUE(IsRectEmpty(&own));
            okRect = device::ui::TaskbarOkButtonRect();
            GetClientRect(sheet, &clientRect);
            // (Without it the sheet still closes, so that the checks below report the fault.)
            if (IsRectEmpty(&okRect)) PropSheet_PressButton(sheet, PSBTN_OK);
            else Tap(Centre(okRect));
        },
    };
    INT_PTR result = PropertySheetW(&m_header);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(othersUnmade);
    EXPECT_FALSE(IsWindow(sheet)); // gone before the call returned

    // The device's look: the whole work area, OK in the caption, tabs along the bottom under the page.
    RECT work = device::ui::WorkArea();
    EXPECT_EQ(sheetRect.left, work.left);
    EXPECT_EQ(sheetRect.top, work.top);
    EXPECT_EQ(sheetRect.right, work.right);
    EXPECT_EQ(sheetRect.bottom, work.bottom);
    EXPECT_TRUE(sheetEx & WS_EX_CAPTIONOKBTN);
    EXPECT_EQ(clientRect.right, work.right - work.left);
    EXPECT_EQ(clientRect.bottom, work.bottom - work.top);
    EXPECT_FALSE(IsRectEmpty(&okRect));
    EXPECT_LE(okRect.bottom, device::ui::kTaskbarHeight);
    EXPECT_EQ(pageRect.top, work.top);
    EXPECT_GE(tabRect.top, pageRect.bottom);
    EXPECT_GE(tabRect.bottom, sheetRect.bottom - 8);
    EXPECT_LE(tabRect.bottom, work.bottom); // the whole tab row on the screen
    EXPECT_TRUE(page0Style & WS_CHILD); // a pop-up template still becomes a child page
    EXPECT_FALSE(page0Style & WS_CAPTION);

    std::vector<Event> expected = {
        {6, WM_INITDIALOG}, {6, PSN_SETACTIVE}, {6, PSN_KILLACTIVE}, {2, WM_INITDIALOG}, {2, PSN_SETACTIVE},
        {2, PSN_KILLACTIVE}, {0, WM_INITDIALOG}, {0, PSN_SETACTIVE}, {0, PSN_KILLACTIVE},
        {0, PSN_APPLY},     {2, PSN_APPLY},     {6, PSN_APPLY},
    };
    std::vector<Event> notified;
    for (const Event& e : g_events)
        if (e.what != WM_DESTROY) notified.push_back(e);
    EXPECT_EQ(notified, expected);
    EXPECT_EQ(Only(WM_DESTROY).size(), 3u); // the made pages went with the sheet
}

TEST_F(PropertySheetTest, PagesThatRefuseKeepTheSheetWhereItIsAndCancelResetsEveryMadePage) {
    HWND sheet = nullptr;
    g_answers[{0, PSN_KILLACTIVE}] = TRUE; // page 0 will not be left
    g_script = {
        [&] {
            sheet = Sheet();
            TapTab(sheet, 3);
        },
        [&] {
            EXPECT_EQ(Current(sheet), 0);
            EXPECT_EQ(SendMessageW(PropSheet_GetTabControl(sheet), TCM_GETCURSEL, 0, 0), 0);
            EXPECT_FALSE(PropSheet_SetCurSel(sheet, nullptr, 3));
            g_answers.clear();
            g_answers[{3, PSN_APPLY}] = PSNRET_INVALID_NOCHANGEPAGE;
            PropSheet_SetCurSel(sheet, nullptr, 3);
            PropSheet_SetCurSel(sheet, nullptr, 1);
            PropSheet_Changed(sheet, PropSheet_GetCurrentPageHwnd(sheet));
            EXPECT_TRUE(device::ui::PropertySheetPageChanged(sheet, 1));
            PropSheet_PressButton(sheet, PSBTN_OK);
        },
        [&] {
            EXPECT_TRUE(IsWindow(sheet)); // page 3 said no
            EXPECT_EQ(Current(sheet), 3);
            EXPECT_FALSE(device::ui::PropertySheetPageChanged(sheet, 1)); // page 1 applied
            g_answers[{3, PSN_QUERYCANCEL}] = TRUE;
            device::ui::InjectKey(VK_ESCAPE, true);
            device::ui::InjectKey(VK_ESCAPE, false);
        },
        [&] {
            EXPECT_TRUE(IsWindow(sheet));
            g_answers.erase({3, PSN_QUERYCANCEL});
            PostMessageW(sheet, WM_CLOSE, 0, 0);
        },
    };
    EXPECT_EQ(PropertySheetW(&m_header), 0);
    EXPECT_FALSE(IsWindow(sheet));
    std::vector<Event> resets = Only(PSN_RESET);
    EXPECT_EQ(resets, (std::vector<Event>{{0, PSN_RESET}, {1, PSN_RESET}, {3, PSN_RESET}}));
    EXPECT_EQ(Only(PSN_APPLY), (std::vector<Event>{{0, PSN_APPLY}, {1, PSN_APPLY}, {3, PSN_APPLY}}));
}

namespace {
std::vector<std::string> g_calls;
int CALLBACK SheetCallback(HWND hwnd, UINT what, LPARAM) {
    g_calls.push_back(what == PSCB_PRECREATE ? (hwnd ? "precreate-with-window" : "precreate")
                                             : (IsWindow(hwnd) ? "initialized" : "initialized-no-window"));
    // What the settings sheet does: an empty menu bar on the sheet.
    if (what == PSCB_INITIALIZED) CommandBar_Create(nullptr, hwnd, 1);
    return 0;
}
UINT CALLBACK PageCallback(HWND, UINT what, PROPSHEETPAGEW* psp) {
    g_calls.push_back((what == PSPCB_CREATE ? "create " : "release ") + std::to_string(psp->lParam));
    return 1;
}
} // namespace

TEST_F(PropertySheetTest, CallbacksComeInOrderAndTheStartPageCanBeNamedByTitle) {
    g_calls.clear();
    m_header.dwFlags |= PSH_USECALLBACK | PSH_USEPSTARTPAGE;
    m_header.pfnCallback = SheetCallback;
    m_header.pStartPage = L"World Map";
    m_pages[1].dwFlags |= PSP_USECALLBACK | PSP_USETITLE;
    m_pages[1].pfnCallback = PageCallback;
    m_pages[1].pszTitle = L"Own title";
    m_pages[4].dwFlags |= PSP_USECALLBACK;
    m_pages[4].pfnCallback = PageCallback;
    HWND sheet = nullptr;
    std::wstring tabText;
    RECT bar{}, tab{};
    g_script = {[&] {
        sheet = Sheet();
        EXPECT_EQ(Current(sheet), 4);
        HWND strip = PropSheet_GetTabControl(sheet);
        WCHAR text[32] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 32;
        SendMessageW(strip, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
        tabText = text;
        UpdateWindow(sheet);
        for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            WCHAR cls[32] = {};
            GetClassNameW(child, cls, 32);
            if (std::wstring(cls) == device::ui::kCommandBarClass) GetWindowRect(child, &bar);
        }
        GetWindowRect(strip, &tab);
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    }};
    EXPECT_EQ(PropertySheetW(&m_header), 0);
    EXPECT_EQ(tabText, L"Own title");
    EXPECT_EQ(g_calls, (std::vector<std::string>{"precreate", "initialized", "create 4", "release 1", "release 4"}));
    ASSERT_GT(bar.bottom, 0);
    EXPECT_LE(tab.bottom, bar.top); // the tabs sit above the sheet's menu bar
}

TEST_F(PropertySheetTest, PagesWhoseTemplateIsMissingAreSkippedAndASheetWithoutPagesFails) {
    m_pages[0].pszTemplate = MAKEINTRESOURCEW(4242);
    m_pages[2].pszTemplate = MAKEINTRESOURCEW(4243);
    HWND sheet = nullptr;
    int beeps = 0;
    g_script = {[&] {
        sheet = Sheet();
        EXPECT_EQ(Current(sheet), 1); // the start page could not be made: the next one serves
        beeps = device::ui::BeepCount();
        TapTab(sheet, 2);
    },
                [&] {
                    EXPECT_EQ(Current(sheet), 1);
                    EXPECT_EQ(device::ui::BeepCount(), beeps + 1);
                    EXPECT_EQ(SendMessageW(PropSheet_GetTabControl(sheet), TCM_GETCURSEL, 0, 0), 1);
                    PropSheet_PressButton(sheet, PSBTN_OK);
                }};
    EXPECT_EQ(PropertySheetW(&m_header), 1);

    for (auto& p : m_pages) p.pszTemplate = MAKEINTRESOURCEW(4242);
    int windows = 0;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) ++windows;
    EXPECT_EQ(PropertySheetW(&m_header), -1);
    int after = 0;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) ++after;
    EXPECT_EQ(after, windows);

    PROPSHEETHEADERW empty = m_header;
    empty.nPages = 0;
    EXPECT_EQ(PropertySheetW(&empty), -1);
    EXPECT_EQ(PropertySheetW(nullptr), -1);
    PROPSHEETPAGEW broken = m_pages[0];
    broken.dwSize = 4;
    EXPECT_EQ(CreatePropertySheetPageW(&broken), nullptr);
}

TEST_F(PropertySheetTest, AModelessSheetStaysUntilItsOwnerDestroysIt) {
    m_header.dwFlags |= PSH_MODELESS;
    m_header.nStartPage = 3;
    auto sheet = reinterpret_cast<HWND>(PropertySheetW(&m_header));
    ASSERT_TRUE(IsWindow(sheet));
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Current(sheet), 3);
    EXPECT_TRUE(IsWindowVisible(sheet));
    SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    EXPECT_TRUE(IsWindow(sheet));
    EXPECT_FALSE(IsWindowVisible(sheet));
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr); // finished
    EXPECT_EQ(Only(PSN_APPLY), (std::vector<Event>{{3, PSN_APPLY}}));
    DestroyWindow(sheet);
    EXPECT_EQ(Only(WM_DESTROY), (std::vector<Event>{{3, WM_DESTROY}}));
}

TEST_F(PropertySheetTest, APageTallerThanTheRoomAboveTheRaisedPanelScrollsAboveTheTabs) {
    m_header.dwFlags |= PSH_MODELESS;
    auto sheet = reinterpret_cast<HWND>(PropertySheetW(&m_header));
    ASSERT_TRUE(IsWindow(sheet));
    device::ui::PumpUntilIdle();
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    HWND strip = GetParent(PropSheet_GetTabControl(sheet));
    RECT full;
    GetWindowRect(page, &full);
    // A control near the bottom of the page as it stands with the panel down.
    HWND low = CreateWindowExW(0, L"BUTTON", L"Low", WS_CHILD | WS_VISIBLE, 4, full.bottom - full.top - 30, 60, 20, page,
                               nullptr, nullptr, nullptr);
    ASSERT_NE(low, nullptr);
    auto rectOf = [](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        return r;
    };

    device::ui::SetSipUp(true);
    device::ui::PumpUntilIdle();
    ASSERT_TRUE(GetWindowLongW(sheet, GWL_STYLE) & WS_VSCROLL);
    const RECT tabs = rectOf(strip);
    EXPECT_LE(rectOf(sheet).bottom, device::ui::SipRect().top); // its scroll bar too
    EXPECT_LE(tabs.bottom, device::ui::SipRect().top);
    EXPECT_GT(rectOf(low).bottom, tabs.top); // under the tabs until scrolled
    for (UINT code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM, SB_BOTTOM}) {
        SendMessageW(sheet, WM_VSCROLL, MAKEWPARAM(code, 0), 0);
        device::ui::PumpUntilIdle();
        EXPECT_LE(rectOf(page).bottom, tabs.top) << "the page covers the tab strip after scroll request " << code;
    }
    EXPECT_LE(rectOf(low).bottom, tabs.top);
    EXPECT_GE(rectOf(low).top, rectOf(sheet).top);
    // The panel goes down while the page is scrolled: no bar, the page where it was.
    SendMessageW(sheet, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    device::ui::SetSipUp(false);
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(GetWindowLongW(sheet, GWL_STYLE) & WS_VSCROLL);
    const RECT back = rectOf(page), work = device::ui::WorkArea(), frame = rectOf(sheet);
    EXPECT_TRUE(EqualRect(&back, &full));
    EXPECT_TRUE(EqualRect(&frame, &work));
    DestroyWindow(sheet);
}
