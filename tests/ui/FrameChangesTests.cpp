// What changed since the frame last shown: nothing for the same picture, each changed thing as
// one rectangle cut to its pixels, the whole frame when there is nothing to compare with.

#include "platform/ui/FrameChanges.h"

#include <gtest/gtest.h>

namespace {

using device::ui::FrameChanges;
namespace gdi = device::gdi;

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Fill(gdi::Bitmap& fb, RECT r, uint32_t colour) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) fb.Row32(y)[x] = colour;
}

TEST(FrameChanges, SamePictureNothingElseEachChangeItsOwnRectangle) {
    auto fb = gdi::Bitmap::Create(240, 320, gdi::PixelFormat::Xrgb32);
    fb->Fill(0xFFFFFF);
    FrameChanges changes;
    changes.Note(*fb);
    auto first = changes.Take();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(Same(first[0], RECT{0, 0, 240, 320})) << "nothing shown yet: everything";

    changes.Note(*fb);
    EXPECT_FALSE(changes.Pending()) << "the same picture";
    // The top byte of a pixel shows nothing.
    fb->Row32(10)[10] |= 0xFF000000u;
    changes.Note(*fb);
    EXPECT_FALSE(changes.Pending());

    // Two things apart (two clock faces side by side, a hand across tile borders in each) and a
    // third below that touches nothing.
    Fill(*fb, RECT{3, 90, 50, 121}, 0x102030);
    Fill(*fb, RECT{130, 95, 170, 100}, 0x102030);
    Fill(*fb, RECT{150, 100, 152, 140}, 0x102030);
    fb->Row32(300)[239] = 0;
    changes.Note(*fb);
    auto rects = changes.Take();
    ASSERT_EQ(rects.size(), 3u);
    auto has = [&](RECT want) {
        for (const RECT& r : rects)
            if (Same(r, want)) return true;
        return false;
    };
    EXPECT_TRUE(has(RECT{3, 90, 50, 121}));
    EXPECT_TRUE(has(RECT{130, 95, 170, 140}));
    EXPECT_TRUE(has(RECT{239, 300, 240, 301}));
    EXPECT_FALSE(changes.Pending()) << "handed out once";

    // Changes noted twice before a present are both shown; a picture changed back is one too.
    fb->Row32(0)[0] = 0;
    changes.Note(*fb);
    fb->Row32(0)[0] = 0xFFFFFF;
    fb->Row32(319)[0] = 0;
    changes.Note(*fb);
    EXPECT_EQ(changes.Take().size(), 2u);

    // Too many things at once: the rectangle around them all.
    for (int ty = 0; ty < 7; ++ty)
        for (int tx = 0; tx < 6; ++tx) fb->Row32(ty * 32 + 1)[tx * 32 + 1] = 0x00FF00;
    changes.Note(*fb);
    rects = changes.Take();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_TRUE(Same(rects[0], RECT{1, 1, 162, 194}));

    // Another size, or the frame forgotten (a new back end): everything again.
    auto turned = gdi::Bitmap::Create(320, 240, gdi::PixelFormat::Xrgb32);
    changes.Note(*turned);
    rects = changes.Take();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_TRUE(Same(rects[0], RECT{0, 0, 320, 240}));
    changes.Forget();
    changes.Note(*turned);
    EXPECT_EQ(changes.Take().size(), 1u);
}

} // namespace
