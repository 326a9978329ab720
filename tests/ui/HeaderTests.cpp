// The header control: items kept and reported back, taps telling the parent which item, and
// owner-drawn items painted by the parent.
#include "ListViewTestSupport.h"

namespace uitest {
namespace {

class HeaderTest : public ListViewTest {
protected:
    HWND MakeHeader(DWORD style = HDS_BUTTONS) {
        HWND h = CreateWindowExW(0, WC_HEADERW, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 240, 20, parent,
                                 reinterpret_cast<HMENU>(static_cast<uintptr_t>(7)), nullptr, nullptr);
        device::ui::PumpUntilIdle();
        return h;
    }
    static void Insert(HWND h, int at, const wchar_t* text, int width, int fmt = HDF_LEFT) {
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.pszText = const_cast<LPWSTR>(text);
        item.cxy = width;
        item.fmt = fmt | HDF_STRING;
        Header_InsertItem(h, at, &item);
    }
};

TEST_F(HeaderTest, ItemsAreKeptInOrderWithTheirRectangles) {
    HWND h = MakeHeader();
    Insert(h, 0, L"Country", 100);
    Insert(h, 5, L"GMT", 50);                   // past the end: appended
    Insert(h, 1, L"Code", 60, HDF_CENTER);      // between the two
    ASSERT_EQ(Header_GetItemCount(h), 3);

    wchar_t buf[32];
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = buf;
    item.cchTextMax = 32;
    ASSERT_TRUE(Header_GetItem(h, 1, &item));
    EXPECT_STREQ(buf, L"Code");
    EXPECT_EQ(item.cxy, 60);
    EXPECT_EQ(item.fmt & HDF_JUSTIFYMASK, HDF_CENTER);

    RECT r{};
    ASSERT_TRUE(Header_GetItemRect(h, 2, &r));
    EXPECT_EQ(r.left, 160);
    EXPECT_EQ(r.right, 210);
    EXPECT_EQ(r.bottom, 20);

    // A short buffer gets a truncated, terminated text.
    item.cchTextMax = 4;
    ASSERT_TRUE(Header_GetItem(h, 0, &item));
    EXPECT_STREQ(buf, L"Cou");

    // Changing the format keeps the text; owner-draw is added as the sort header does it.
    HDITEMW fmt{};
    fmt.mask = HDI_FORMAT;
    ASSERT_TRUE(Header_GetItem(h, 0, &fmt));
    fmt.fmt |= HDF_OWNERDRAW;
    ASSERT_TRUE(Header_SetItem(h, 0, &fmt));
    item.cchTextMax = 32;
    ASSERT_TRUE(Header_GetItem(h, 0, &item));
    EXPECT_STREQ(buf, L"Country");
    EXPECT_TRUE(item.fmt & HDF_OWNERDRAW);

    // Out of range and null structures fail cleanly.
    EXPECT_FALSE(Header_GetItem(h, 3, &item));
    EXPECT_FALSE(Header_GetItem(h, -1, &item));
    EXPECT_FALSE(Header_GetItemRect(h, 9, &r));
    EXPECT_FALSE(Header_SetItem(h, 0, static_cast<HDITEMW*>(nullptr)));
    EXPECT_FALSE(Header_DeleteItem(h, 3));
    EXPECT_TRUE(Header_DeleteItem(h, 0));
    EXPECT_EQ(Header_GetItemCount(h), 2);
}

TEST_F(HeaderTest, TapOnAnItemTellsTheParentWhichOne) {
    HWND h = MakeHeader();
    Insert(h, 0, L"City", 80);
    Insert(h, 1, L"Region(State)", 80);
    Insert(h, 2, L"Code", 60);

    TapAt(h, POINT{100, 8});
    auto clicks = NotesOf(HDN_ITEMCLICKW);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].hd.iItem, 1);
    EXPECT_EQ(clicks[0].hd.iButton, 0);
    EXPECT_EQ(clicks[0].id, 7u);

    // Pressed on one item, lifted on another: nothing.
    notes.clear();
    POINT down{10, 8}, up{200, 8};
    ClientToScreen(h, &down);
    ClientToScreen(h, &up);
    device::ui::InjectStylus(device::ui::StylusAction::Down, down);
    device::ui::InjectStylus(device::ui::StylusAction::Move, up);
    device::ui::InjectStylus(device::ui::StylusAction::Up, up);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(NotesOf(HDN_ITEMCLICKW).empty());

    // Past the last item: nothing either.
    TapAt(h, POINT{230, 8});
    EXPECT_TRUE(NotesOf(HDN_ITEMCLICKW).empty());
}

TEST_F(HeaderTest, WithoutButtonStyleTapsAreIgnored) {
    HWND h = MakeHeader(0);
    Insert(h, 0, L"Name", 100);
    TapAt(h, POINT{20, 8});
    EXPECT_TRUE(NotesOf(HDN_ITEMCLICKW).empty());
}

TEST_F(HeaderTest, OwnerDrawnItemsArePaintedByTheParent) {
    HWND h = MakeHeader();
    Insert(h, 0, L"Country", 100);
    Insert(h, 1, L"Code", 80);
    std::vector<DRAWITEMSTRUCT> draws;
    onDrawItem = [&](const DRAWITEMSTRUCT& dis) {
        draws.push_back(dis);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dis.hDC, &dis.rcItem, red);
        DeleteObject(red);
    };
    HDITEMW fmt{};
    fmt.mask = HDI_FORMAT;
    fmt.fmt = HDF_STRING | HDF_OWNERDRAW;
    Header_SetItem(h, 1, &fmt);
    UpdateWindow(h);
    device::ui::PumpUntilIdle();

    ASSERT_FALSE(draws.empty());
    const DRAWITEMSTRUCT& d = draws.back();
    EXPECT_EQ(d.CtlType, static_cast<UINT>(ODT_HEADER));
    EXPECT_EQ(d.CtlID, 7u);
    EXPECT_EQ(d.itemID, 1u);
    EXPECT_EQ(d.hwndItem, h);
    EXPECT_EQ(d.itemState, 0u);
    RECT r{};
    Header_GetItemRect(h, 1, &r);
    EXPECT_TRUE(EqualRect(&d.rcItem, &r));
    // Only the owner-drawn item went to the parent; its paint shows on screen, the other does not.
    for (const DRAWITEMSTRUCT& x : draws) EXPECT_EQ(x.itemID, 1u);
    POINT inside{140, 10}, other{50, 10};
    ClientToScreen(h, &inside);
    ClientToScreen(h, &other);
    EXPECT_EQ(Pixel(inside.x, inside.y), RGB(255, 0, 0));
    EXPECT_NE(Pixel(other.x, other.y), RGB(255, 0, 0));

    // While the stylus holds the item down it is drawn pressed (ODS_SELECTED).
    draws.clear();
    POINT down{140, 8};
    ClientToScreen(h, &down);
    device::ui::InjectStylus(device::ui::StylusAction::Down, down);
    device::ui::PumpUntilIdle();
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws.back().itemState, static_cast<UINT>(ODS_SELECTED));
    device::ui::InjectStylus(device::ui::StylusAction::Up, down);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(draws.back().itemState, 0u);
}

} // namespace
} // namespace uitest
