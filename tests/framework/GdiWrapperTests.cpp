// The drawing wrappers: ownership of handles, selection handing back the previous object,
// temporary wrappers, drawing through CDC into a memory bitmap, rectangles and regions, and
// image lists.

#include "platform/framework/DC.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kMagenta = RGB(255, 0, 255);

// A memory context over a bitmap of its own, through the wrappers.
struct Canvas {
    CDC dc;
    CBitmap bitmap;
    HGDIOBJ old = nullptr; // a handle: temporary wrappers do not outlive DeleteTempMap
    Canvas(int w, int h) {
        EXPECT_TRUE(dc.CreateCompatibleDC(nullptr));
        EXPECT_TRUE(bitmap.CreateCompatibleBitmap(nullptr, w, h)); // screen-compatible: colour
        old = dc.SelectObject(&bitmap)->m_hObject;
        dc.FillSolidRect(0, 0, w, h, kWhite);
    }
    ~Canvas() { SelectObject(dc, old); }
    // Rows as text: '#' where the pixel has colour ink.
    std::string Row(int y, int x0, int x1, COLORREF ink) {
        std::string s;
        for (int x = x0; x < x1; ++x) s += dc.GetPixel(x, y) == ink ? '#' : '.';
        return s;
    }
};

TEST(GdiWrappers, ObjectsOwnTheirHandles) {
    HGDIOBJ h;
    {
        CPen pen(PS_SOLID, 1, kRed);
        h = pen.m_hObject;
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(CGdiObject::FromHandle(h), &pen);
        EXPECT_EQ(CPen::FromHandle(static_cast<HPEN>(h)), &pen);
        EXPECT_FALSE(pen.CreatePen(PS_SOLID, 2, kBlue)); // already holds one
        LOGPEN lp{};
        ASSERT_EQ(pen.GetLogPen(&lp), static_cast<int>(sizeof lp));
        EXPECT_EQ(lp.lopnColor, kRed);
    }
    EXPECT_EQ(GetObjectType(h), 0u); // deleted with the object

    CBrush brush(kBlue);
    HGDIOBJ kept = brush.Detach();
    EXPECT_EQ(brush.m_hObject, nullptr);
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_FALSE(brush.DeleteObject()); // nothing to delete
    CBrush other;
    ASSERT_TRUE(other.Attach(kept));
    ASSERT_TRUE(other.DeleteObject());
    EXPECT_EQ(GetObjectType(kept), 0u);
    // Recolouring: delete and create again on the same object.
    ASSERT_TRUE(other.CreateSolidBrush(kRed));
    LOGBRUSH lb{};
    other.GetLogBrush(&lb);
    EXPECT_EQ(lb.lbColor, kRed);
}

TEST(GdiWrappers, SelectionHandsBackThePreviousObject) {
    Canvas canvas(20, 20);
    CPen red(PS_SOLID, 1, kRed), blue(PS_SOLID, 1, kBlue);
    CPen* original = canvas.dc.SelectObject(&red);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(original->m_hObject, GetStockObject(BLACK_PEN)); // a temporary wrapper of the stock pen
    EXPECT_EQ(canvas.dc.SelectObject(&blue), &red);            // the caller's own object
    EXPECT_EQ(canvas.dc.GetCurrentPen(), &blue);
    EXPECT_EQ(canvas.dc.SelectObject(original), &blue);
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PEN), GetStockObject(BLACK_PEN));

    // A temporary wrapper never deletes the handle it stands for.
    HPEN raw = CreatePen(PS_SOLID, 1, kBlue);
    HGDIOBJ before = SelectObject(canvas.dc, raw);
    CPen* wrapper = canvas.dc.SelectObject(&red);
    EXPECT_EQ(wrapper->m_hObject, raw);
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_PEN));
    SelectObject(canvas.dc, before);
    DeleteObject(raw);

    CGdiObject* stock = canvas.dc.SelectStockObject(NULL_BRUSH);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), GetStockObject(NULL_BRUSH));
    canvas.dc.SelectObject(stock);

    EXPECT_EQ(CDC::FromHandle(canvas.dc.m_hDC), &canvas.dc);
    // A context no object holds gets a temporary wrapper, which leaves the context alive.
    HDC rawDc = CreateCompatibleDC(nullptr);
    CDC* wrapped = CDC::FromHandle(rawDc);
    ASSERT_NE(wrapped, nullptr);
    EXPECT_NE(wrapped, &canvas.dc);
    EXPECT_EQ(CDC::FromHandle(rawDc), wrapped);
    CDC::DeleteTempMap();
    EXPECT_TRUE(DeleteDC(rawDc));
}

TEST(GdiWrappers, DrawingIntoAMemoryBitmap) {
    Canvas canvas(12, 12);
    CDC& dc = canvas.dc;

    dc.FillSolidRect(CRect(2, 2, 6, 4), kRed);
    EXPECT_EQ(dc.GetBkColor(), kRed); // the fill goes through the background colour
    EXPECT_EQ(canvas.Row(2, 0, 8, kRed), "..####..");
    EXPECT_EQ(canvas.Row(4, 0, 8, kRed), "........");

    dc.FillSolidRect(0, 0, 12, 12, kWhite);
    dc.Draw3dRect(CRect(1, 1, 6, 5), kRed, kBlue);
    EXPECT_EQ(canvas.Row(1, 0, 7, kRed), ".####..");
    EXPECT_EQ(canvas.Row(1, 0, 7, kBlue), ".....#.");
    EXPECT_EQ(canvas.Row(4, 0, 7, kBlue), ".#####.");
    EXPECT_EQ(canvas.Row(2, 0, 7, kRed), ".#.....");

    // Rectangle: the selected pen draws the frame, the brush fills inside.
    dc.FillSolidRect(0, 0, 12, 12, kWhite);
    CPen pen(PS_SOLID, 1, kRed);
    CBrush brush(kBlue);
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Rectangle(1, 1, 6, 6);
    EXPECT_EQ(canvas.Row(1, 0, 7, kRed), ".#####.");
    EXPECT_EQ(canvas.Row(3, 0, 7, kBlue), "..###..");
    dc.MoveTo(0, 10);
    dc.LineTo(5, 10);
    EXPECT_EQ(canvas.Row(10, 0, 7, kRed), "#####..");
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(5, 10));
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);

    // Text is measured and drawn in the selected font.
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(80, L"Tahoma", &dc));
    LOGFONTW lf{};
    font.GetLogFont(&lf);
    EXPECT_LT(lf.lfHeight, 0);
    CFont* oldFont = dc.SelectObject(&font);
    CSize one = dc.GetTextExtent(CString(L"W"));
    CSize two = dc.GetTextExtent(L"WW", 2);
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(two.cx, 2 * one.cx);
    dc.FillSolidRect(0, 0, 12, 12, kWhite);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kBlue);
    dc.TextOut(0, 0, CString(L"W"));
    bool inked = false;
    for (int y = 0; y < 12; ++y) inked = inked || canvas.Row(y, 0, 12, kBlue).find('#') != std::string::npos;
    EXPECT_TRUE(inked);
    dc.SelectObject(oldFont);
}

TEST(GdiWrappers, RectanglesPointsAndRegions) {
    CRect r(10, 20, 30, 60);
    EXPECT_EQ(r.Width(), 20);
    EXPECT_EQ(r.Height(), 40);
    EXPECT_EQ(r.CenterPoint(), CPoint(20, 40));
    EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
    EXPECT_FALSE(r.PtInRect(CPoint(30, 40))); // right and bottom are outside
    CRect grown = r;
    grown.InflateRect(2, 3);
    EXPECT_EQ(grown, CRect(8, 17, 32, 63));
    grown.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(grown, CRect(9, 19, 29, 59));
    EXPECT_EQ(r & CRect(25, 0, 50, 30), CRect(25, 20, 30, 30));
    CRect none;
    EXPECT_FALSE(none.IntersectRect(&r, CRect(40, 0, 50, 10)));
    EXPECT_TRUE(none.IsRectNull());
    EXPECT_EQ(r | CRect(0, 0, 0, 0), r); // empty rectangles are left out of a union
    EXPECT_EQ(r | CRect(0, 0, 5, 5), CRect(0, 0, 30, 60));
    r.OffsetRect(CPoint(-10, -20));
    EXPECT_EQ(r.TopLeft(), CPoint(0, 0));
    EXPECT_EQ(r.Size(), CSize(20, 40));
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());

    CPoint fromLParam(static_cast<LPARAM>(0xFFFE0005)); // x 5, y -2
    EXPECT_EQ(fromLParam, CPoint(5, -2));
    EXPECT_EQ(CPoint(7, 9) - CPoint(2, 4), CSize(5, 5));

    CRgn a, b, both;
    ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
    ASSERT_TRUE(b.CreateRectRgn(5, 5, 20, 20));
    ASSERT_TRUE(both.CreateRectRgn(0, 0, 0, 0));
    EXPECT_NE(both.CombineRgn(&a, &b, RGN_OR), ERROR);
    EXPECT_TRUE(both.PtInRegion(2, 2));
    EXPECT_TRUE(both.PtInRegion(15, 15));
    EXPECT_FALSE(both.PtInRegion(15, 2));
    CRect box;
    both.GetRgnBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 20, 20));
}

TEST(GdiWrappers, ImageListsDrawWithTheirMaskColour) {
    Canvas canvas(8, 4);
    CBitmap strip;
    ASSERT_TRUE(strip.CreateCompatibleBitmap(nullptr, 8, 4));
    {
        CDC source;
        source.CreateCompatibleDC(&canvas.dc);
        CBitmap* old = source.SelectObject(&strip);
        source.FillSolidRect(0, 0, 8, 4, kMagenta);
        source.FillSolidRect(0, 0, 2, 4, kRed); // image 0: left half red, the rest transparent
        source.FillSolidRect(4, 0, 4, 4, kBlue); // image 1: all blue
        source.SelectObject(old);
    }
    CImageList list;
    ASSERT_TRUE(list.Create(4, 4, ILC_COLOR | ILC_MASK, 2, 2));
    EXPECT_EQ(list.Add(&strip, kMagenta), 0);
    EXPECT_EQ(list.GetImageCount(), 2);
    EXPECT_EQ(CImageList::FromHandle(list.m_hImageList), &list);
    ASSERT_TRUE(list.Draw(&canvas.dc, 0, CPoint(0, 0), ILD_TRANSPARENT));
    ASSERT_TRUE(list.Draw(&canvas.dc, 1, CPoint(4, 0), ILD_TRANSPARENT));
    EXPECT_EQ(canvas.Row(1, 0, 8, kRed), "##......");
    EXPECT_EQ(canvas.Row(1, 0, 8, kWhite), "..##....");
    EXPECT_EQ(canvas.Row(1, 0, 8, kBlue), "....####");
    EXPECT_TRUE(list.Remove(0));
    EXPECT_EQ(list.GetImageCount(), 1);

    // The shell's shared list is attached and let go, never destroyed.
    CImageList system;
    ASSERT_TRUE(system.Attach(device::ui::SystemSmallImageList()));
    EXPECT_TRUE(system.DeleteImageList());
    EXPECT_GT(ImageList_GetImageCount(device::ui::SystemSmallImageList()), 0);
    EXPECT_TRUE(list.DeleteImageList());
    EXPECT_EQ(list.m_hImageList, nullptr);
}

} // namespace
