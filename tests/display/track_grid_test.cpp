// The track grid's scroll animation on real threads and GDI: a held arrow,
// a click, a row target, a redraw in the middle of an animation, and a grid
// destroyed in the middle of a long follow scroll.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "display/skin_pixels.h"
#include "display/track_grid.h"

namespace {

// A grid of `entries` drawn once; Settles polls (3 s at most) until its offset is `offset` (or
// has moved at all: -1) and, for an offset, its animation thread has let go of the scroll lock.
struct Grid {
    HWND window = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, kGridWidth, 136, nullptr, nullptr, nullptr,
                                nullptr);
    std::unique_ptr<TrackGrid> grid;
    explicit Grid(int32_t entries) : grid(std::make_unique<TrackGrid>(window, TestSkin(), entries)) {
        grid->RedrawGrid(nullptr, 0);
    }
    ~Grid() {
        grid.reset();
        DestroyWindow(window);
    }
    bool Settles(int32_t offset) const {
        auto there = [&] { return offset < 0 ? grid->View().scroll_offset != 0 : grid->View().scroll_offset == offset; };
        for (int i = 0; i < 300 && !there(); ++i) Sleep(10);
        return there() && (offset < 0 || SemaphoreSlot(grid->ScrollLock(), 3000).held());
    }
};

TEST(GridScroll, HeldArrowsClicksRowTargetsAndRedraws) {
    ASSERT_TRUE(LoadTestSkin());
    TestSkin().DisplayMode = kDisplayNormal;
    Grid held(20);  // a held down arrow scrolls to the last first row and stops there
    held.grid->SetScrolling(true);
    held.grid->StartScroll(kArrowDown);
    ASSERT_TRUE(held.Settles(48));
    EXPECT_EQ(held.grid->View().first_visible_row, 3);
    EXPECT_FALSE(held.grid->Scrolling());

    Grid clicked(20);  // a click scrolls one row even if released at once
    clicked.grid->SetScrolling(true);
    clicked.grid->StartScroll(kArrowDown);
    clicked.grid->SetScrolling(false);
    ASSERT_TRUE(clicked.Settles(24));
    EXPECT_EQ(clicked.grid->View().first_visible_row, 2);

    Grid target(30);  // a row target is taken at once and animated, a bad one ignored
    target.grid->StartScroll(6);
    EXPECT_EQ(target.grid->View().first_visible_row, 6);
    ASSERT_TRUE(target.Settles(120));
    target.grid->StartScroll(7);  // 10 rows: 6 is the last first row
    EXPECT_EQ(target.grid->View().first_visible_row, 6);

    Grid redrawn(99);  // a redraw during an animation leaves offset and row in step
    redrawn.grid->StartScroll(20);
    ASSERT_TRUE(redrawn.Settles(-1));
    redrawn.grid->View().first_visible_row = 2;  // as a redraw for another mode would settle it
    redrawn.grid->RedrawGrid(nullptr, 0);
    ASSERT_TRUE(redrawn.Settles(24));
    EXPECT_EQ(redrawn.grid->View().first_visible_row, 2);

    // Destroying the grid ends a follow scroll of seconds (row 1 to 30) where it is, and a held arrow
    // waiting for it: the window still shows the grid's first row.
    Grid destroyed(100), at_rest(100);
    destroyed.grid->StartScroll(30);
    destroyed.grid->SetScrolling(true), destroyed.grid->StartScroll(kArrowDown);
    ASSERT_TRUE(destroyed.Settles(-1));
    destroyed.grid.reset();
    Canvas shown(kGridWidth, 120), start(kGridWidth, 120);
    BitBlt(shown.dc, 0, 0, kGridWidth, 120, WindowDC(destroyed.window).get(), 0, 0, SRCCOPY);
    at_rest.grid->PaintGrid(start.dc);
    bool first_row = false;
    for (int offset = 4; offset <= 24 && !first_row; offset += 4)
        first_row = Same(shown.Snapshot(), 0, 0, start.Snapshot(), 0, offset, kGridWidth, 120 - offset);
    EXPECT_TRUE(first_row);
}

}  // namespace
