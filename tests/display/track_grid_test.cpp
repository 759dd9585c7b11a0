// The track grid's scroll animation on real threads and GDI: a held arrow,
// a click, a row target, a redraw in the middle of an animation, and a grid
// destroyed while its arrow is still held.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "display/skin_pixels.h"
#include "display/track_grid.h"

namespace {

class GridScroll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadTestSkin());
        TestSkin().DisplayMode = kDisplayNormal;
        window_ = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, kGridWidth, 136, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window_);
    }
    void TearDown() override { DestroyWindow(window_); }

    std::unique_ptr<TrackGrid> Grid(int32_t entries) {
        auto grid = std::make_unique<TrackGrid>(window_, TestSkin(), entries);
        grid->RedrawGrid(nullptr, 0);
        return grid;
    }
    // Polls (3 s at most) until the offset is `offset`, or until it moved at all (-1).
    static bool Reaches(TrackGrid& grid, int32_t offset) {
        auto there = [&] { return offset < 0 ? grid.View().scroll_offset != 0 : grid.View().scroll_offset == offset; };
        for (int i = 0; i < 300 && !there(); ++i) Sleep(10);
        return there();
    }
    // The animation has reached the offset and its thread has let go of the scroll lock.
    static bool Settles(TrackGrid& grid, int32_t offset) {
        if (!Reaches(grid, offset)) return false;
        SemaphoreSlot done(grid.ScrollLock(), 3000);
        return done.held();
    }

    HWND window_ = nullptr;
};

TEST_F(GridScroll, AHeldDownArrowScrollsToTheLastFirstRowAndStops) {
    auto grid = Grid(20);
    grid->SetScrolling(true);
    grid->StartScroll(kArrowDown);
    ASSERT_TRUE(Settles(*grid, 48));
    EXPECT_EQ(grid->View().first_visible_row, 3);
    EXPECT_FALSE(grid->Scrolling());  // the last row ended the held scroll
}

TEST_F(GridScroll, AClickOnAnArrowScrollsOneRowEvenIfReleasedAtOnce) {
    auto grid = Grid(20);
    grid->SetScrolling(true);
    grid->StartScroll(kArrowDown);
    grid->SetScrolling(false);
    ASSERT_TRUE(Settles(*grid, 24));
    EXPECT_EQ(grid->View().first_visible_row, 2);
}

TEST_F(GridScroll, ARowTargetIsTakenAtOnceAndAnimatedAndABadOneIgnored) {
    auto grid = Grid(30);
    grid->StartScroll(6);
    EXPECT_EQ(grid->View().first_visible_row, 6);
    ASSERT_TRUE(Settles(*grid, 120));
    grid->StartScroll(7);  // 10 rows: 6 is the last first row
    EXPECT_EQ(grid->View().first_visible_row, 6);
}

TEST_F(GridScroll, ARedrawDuringAnAnimationLeavesOffsetAndRowInStep) {
    auto grid = Grid(99);
    grid->StartScroll(20);
    ASSERT_TRUE(Reaches(*grid, -1));
    grid->View().first_visible_row = 2;  // as a redraw for another mode would settle it
    grid->RedrawGrid(nullptr, 0);
    ASSERT_TRUE(Settles(*grid, 24));
    EXPECT_EQ(grid->View().scroll_offset, 24);
    EXPECT_EQ(grid->View().first_visible_row, 2);
}

TEST_F(GridScroll, DestroyingTheGridEndsAHeldScrollAndAWaitingOne) {
    auto grid = Grid(99);
    grid->SetScrolling(true);
    grid->StartScroll(kArrowDown);
    grid->StartScroll(kArrowDown);  // waits for the first
    ASSERT_TRUE(Reaches(*grid, -1));
    grid.reset();  // returns once both threads are gone
}

}  // namespace
