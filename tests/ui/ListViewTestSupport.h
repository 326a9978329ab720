#pragma once
// Shared by the list view and header tests: a parent window that keeps a copy of every
// notification its controls send, a stand-in image list drawer, and helpers to tap and screenshot.

#include "UiTestSupport.h"
#include "support/Screenshots.h"

#include "platform/gdi/ImageFiles.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ListView.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace uitest {

struct Note {
    UINT code = 0;
    UINT_PTR id = 0;
    NMLISTVIEW lv{};        // LVN_* with an NMLISTVIEW
    NMITEMACTIVATE act{};   // NM_CLICK / NM_DBLCLK
    NMHEADERW hd{};         // HDN_*
    WORD key = 0;           // LVN_KEYDOWN
    POINT messagePos{};     // GetMessagePos while the notification was handled
};

class ListViewTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        device::ui::RegisterListViewClasses();
        parent = Top(0, 26, 240, 268);
        CurrentHandler() = [this](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
            if (hwnd != parent) return false;
            if (msg == WM_NOTIFY) {
                auto* hdr = reinterpret_cast<NMHDR*>(lParam);
                Note n;
                n.code = hdr->code;
                n.id = hdr->idFrom;
                DWORD pos = GetMessagePos();
                n.messagePos = POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
                if (hdr->code == NM_CLICK || hdr->code == NM_DBLCLK)
                    n.act = *reinterpret_cast<NMITEMACTIVATE*>(lParam);
                else if (hdr->code == LVN_KEYDOWN)
                    n.key = reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey;
                else if (hdr->code == HDN_ITEMCLICKW)
                    n.hd = *reinterpret_cast<NMHEADERW*>(lParam);
                else if (hdr->code != NM_SETFOCUS && hdr->code != NM_KILLFOCUS && hdr->code != NM_RETURN)
                    n.lv = *reinterpret_cast<NMLISTVIEW*>(lParam);
                notes.push_back(n);
                if (onNotify) {
                    result = onNotify(n);
                    return true;
                }
                result = 0;
                return true;
            }
            if (msg == WM_DRAWITEM && onDrawItem) {
                onDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
                result = TRUE;
                return true;
            }
            return false;
        };
    }
    void TearDown() override {
        onNotify = nullptr;
        onDrawItem = nullptr;
        UiTest::TearDown();
        for (HIMAGELIST list : imageLists) ImageList_Destroy(list);
        imageLists.clear();
    }

    HWND MakeList(DWORD style, int x = 0, int y = 0, int w = 240, int h = 200, int id = 1008) {
        HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"List1", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                    reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
        device::ui::PumpUntilIdle();
        return list;
    }
    static int Add(HWND list, const std::wstring& text, int at = 0x7fffffff, LPARAM data = 0) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = at;
        item.pszText = const_cast<LPWSTR>(text.c_str());
        item.lParam = data;
        return ListView_InsertItem(list, &item);
    }
    static void AddColumn(HWND list, int index, const std::wstring& text, int width, int fmt = LVCFMT_LEFT) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = const_cast<LPWSTR>(text.c_str());
        col.cx = width;
        col.fmt = fmt;
        ListView_InsertColumn(list, index, &col);
    }
    static std::wstring Text(HWND list, int index, int sub = 0) {
        wchar_t buf[256] = L"?";
        ListView_GetItemText(list, index, sub, buf, 256);
        return buf;
    }
    static std::vector<std::wstring> Texts(HWND list) {
        std::vector<std::wstring> out;
        for (int i = 0; i < ListView_GetItemCount(list); ++i) out.push_back(Text(list, i));
        return out;
    }
    // A tap at a client point of a window (stylus down and up, then everything handled).
    static void TapAt(HWND hwnd, POINT client) {
        POINT pt = client;
        ClientToScreen(hwnd, &pt);
        device::ui::InjectStylus(device::ui::StylusAction::Down, pt);
        device::ui::PumpUntilIdle();
        device::ui::InjectStylus(device::ui::StylusAction::Up, pt);
        device::ui::PumpUntilIdle();
    }
    std::vector<Note> NotesOf(UINT code) const {
        std::vector<Note> out;
        for (const Note& n : notes)
            if (n.code == code) out.push_back(n);
        return out;
    }
    static std::filesystem::path Shot(const std::string& name) { return testsupport::SaveScreenshot(name); }

    // An image list of square images of one colour each (red, green, blue, yellow, cyan).
    HIMAGELIST SolidImages(int side) {
        static const COLORREF colours[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 200), RGB(200, 200, 0), RGB(0, 200, 200)};
        HIMAGELIST list = ImageList_Create(side, side, ILC_COLOR | ILC_MASK, 5, 1);
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        for (COLORREF colour : colours) {
            HBITMAP bitmap = CreateCompatibleBitmap(screen, side, side);
            HGDIOBJ old = SelectObject(mem, bitmap);
            HBRUSH brush = CreateSolidBrush(colour);
            RECT r{0, 0, side, side};
            FillRect(mem, &r, brush);
            DeleteObject(brush);
            SelectObject(mem, old);
            ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
            DeleteObject(bitmap);
        }
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        imageLists.push_back(list);
        return list;
    }
    HIMAGELIST FakeImages() { return SolidImages(23); }
    HIMAGELIST FakeSmallImages() { return SolidImages(16); }

    HWND parent = nullptr;
    std::vector<Note> notes;
    std::function<LRESULT(const Note&)> onNotify;
    std::function<void(const DRAWITEMSTRUCT&)> onDrawItem;
    std::vector<HIMAGELIST> imageLists;
};

} // namespace uitest
