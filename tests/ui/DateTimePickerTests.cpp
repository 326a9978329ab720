// Date picker: values round-trip through DTM_SETSYSTEMTIME / DTM_GETSYSTEMTIME; keys and the
// drop-down calendar change the value and tell the parent, code does not.

#include "ListBoxTestSupport.h"

namespace {

using uitest::ListControlTest;

class DateTimePicker : public ListControlTest {
protected:
    HWND Make(DWORD style = DTS_SHORTDATEFORMAT) {
        return Create(DATETIMEPICK_CLASSW, style | WS_TABSTOP, 2001, 10, 10, 140, 22);
    }
    static SYSTEMTIME Date(WORD y, WORD m, WORD d, WORD hh = 0, WORD mm = 0, WORD ss = 0) {
        SYSTEMTIME st{};
        st.wYear = y;
        st.wMonth = m;
        st.wDay = d;
        st.wHour = hh;
        st.wMinute = mm;
        st.wSecond = ss;
        return st;
    }
    static SYSTEMTIME Get(HWND picker) {
        SYSTEMTIME st{};
        EXPECT_EQ(SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_VALID);
        return st;
    }
    int ChangesHeard() const {
        int n = 0;
        for (const auto& h : heard) n += h.message == WM_NOTIFY && h.code == static_cast<int>(DTN_DATETIMECHANGE);
        return n;
    }
};

TEST_F(DateTimePicker, ValuesRoundTripAndBadOnesAreRefused) {
    HWND p = Make();
    SYSTEMTIME leap = Date(2028, 2, 29, 13, 45, 10);
    ASSERT_TRUE(SendMessageW(p, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&leap)));
    SYSTEMTIME back = Get(p);
    EXPECT_EQ(back.wYear, 2028);
    EXPECT_EQ(back.wMonth, 2);
    EXPECT_EQ(back.wDay, 29);
    EXPECT_EQ(back.wHour, 13);
    EXPECT_EQ(back.wMinute, 45);
    EXPECT_EQ(back.wDayOfWeek, 2);  // a Tuesday, filled in by the picker
    EXPECT_EQ(ChangesHeard(), 0);   // setting by code is silent

    SYSTEMTIME bad = Date(2027, 2, 29);
    EXPECT_FALSE(SendMessageW(p, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&bad)));
    EXPECT_FALSE(SendMessageW(p, DTM_SETSYSTEMTIME, GDT_VALID, 0));
    EXPECT_EQ(SendMessageW(p, DTM_GETSYSTEMTIME, 0, 0), GDT_ERROR);
    EXPECT_EQ(Get(p).wDay, 29);  // the refused value left the old one
}

TEST_F(DateTimePicker, KeysStepTheSelectedFieldAndNotify) {
    HWND p = Make(DTS_TIMEFORMAT);
    SYSTEMTIME t = Date(2026, 12, 31, 23, 59, 0);
    SendMessageW(p, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
    SetFocus(p);
    SendMessageW(p, WM_KEYDOWN, VK_UP, 0);  // the hour field first: 23 wraps to 0
    SYSTEMTIME after = Get(p);
    EXPECT_EQ(after.wHour, 0);
    EXPECT_EQ(after.wDay, 31);  // the date does not move with the hour
    EXPECT_EQ(ChangesHeard(), 1);
    SendMessageW(p, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(p, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Get(p).wMinute, 58);
    EXPECT_EQ(ChangesHeard(), 2);
}

TEST_F(DateTimePicker, CalendarPickTakesTheDay) {
    HWND p = Make();
    SYSTEMTIME d = Date(2026, 12, 9);
    SendMessageW(p, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&d));
    SetFocus(p);
    SendMessageW(p, WM_KEYDOWN, 0x73 /* F4 */, 0);
    HWND calendar = reinterpret_cast<HWND>(SendMessageW(p, DTM_GETMONTHCAL, 0, 0));
    ASSERT_NE(calendar, nullptr);
    SYSTEMTIME pick = Date(2026, 12, 24);
    SendMessageW(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&pick));
    SendMessageW(calendar, WM_KEYDOWN, VK_RETURN, 0);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(SendMessageW(p, DTM_GETMONTHCAL, 0, 0), 0);  // closed
    EXPECT_EQ(Get(p).wDay, 24);
    EXPECT_EQ(ChangesHeard(), 1);
}

// Wherever the field stands, the dropped calendar lies whole inside the work area (above a raised
// input panel): under the field, else above it, else as low as it fits.
TEST_F(DateTimePicker, TheCalendarOpensWholeOnTheScreen) {
    for (bool panel : {false, true}) {
        device::ui::SetSipUp(panel);
        RECT work = device::ui::WorkArea();
        if (panel) work.bottom = device::ui::SipRect().top;
        for (int y = 0; y < 270; y += 15) {
            HWND p = Create(DATETIMEPICK_CLASSW, DTS_SHORTDATEFORMAT, 2002, 10, y, 140, 22);
            RECT field;
            GetWindowRect(p, &field);
            SendMessageW(p, WM_KEYDOWN, VK_F4, 0);
            HWND calendar = reinterpret_cast<HWND>(SendMessageW(p, DTM_GETMONTHCAL, 0, 0));
            ASSERT_NE(calendar, nullptr);
            RECT r;
            GetWindowRect(calendar, &r);
            if (field.bottom <= work.bottom) {
                EXPECT_GE(r.top, work.top) << "field at " << field.top << (panel ? ", panel up" : "");
                EXPECT_LE(r.bottom, work.bottom) << "field at " << field.top << (panel ? ", panel up" : "");
            }
            SendMessageW(calendar, WM_KEYDOWN, VK_ESCAPE, 0);
            device::ui::PumpUntilIdle();
            DestroyWindow(p);
        }
    }
    device::ui::SetSipUp(false);
}

} // namespace
