// The track grid's scroll animation on real threads and GDI: a held arrow,
// a row target, a redraw in the middle of an animation, and a grid destroyed
// while its arrow is still held.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "app/player.h"
#include "app/window_state.h"
#include "display/track_grid.h"

#include "display/skin_pixels.h"

namespace {

class GridScroll : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(LoadTestSkin());
        if (!Player.SkinTracks) Player.SkinTracks.reset(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TRACKS)));
        ASSERT_TRUE(Player.SkinTracks);
    }
    void SetUp() override {
        Player.DisplayMode = kDisplayNormal;
        window_ = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, kGridWidth, 136, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window_);
    }
    void TearDown() override { DestroyWindow(window_); }

    std::unique_ptr<TrackGrid> Grid(int32_t entries) {
        auto grid = std::make_unique<TrackGrid>(window_, entries);
        grid->RedrawGrid(nullptr);
        return grid;
    }

    // Waits until the animation has reached the offset and its thread has
    // let go of the scroll lock.
    static bool Settles(TrackGrid& grid, int32_t offset) {
        for (int i = 0; i < 300 && grid.View().scroll_offset != offset; ++i) Sleep(10);
        if (grid.View().scroll_offset != offset) return false;
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

    grid->SetScrolling(true);
    grid->StartScroll(kArrowUp);
    Sleep(60);
    grid->SetScrolling(false);  // let go within the first row
    ASSERT_TRUE(Settles(*grid, 24));
    EXPECT_EQ(grid->View().first_visible_row, 2);
}

TEST_F(GridScroll, AClickOnAnArrowScrollsOneRowEvenIfReleasedAtOnce) {
    auto grid = Grid(20);
    grid->SetScrolling(true);
    grid->StartScroll(kArrowDown);
    grid->SetScrolling(false);
    ASSERT_TRUE(Settles(*grid, 24));
    EXPECT_EQ(grid->View().first_visible_row, 2);
}

TEST_F(GridScroll, ARowTargetIsTakenAtOnceAndAnimated) {
    auto grid = Grid(30);
    grid->StartScroll(6);
    EXPECT_EQ(grid->View().first_visible_row, 6);
    ASSERT_TRUE(Settles(*grid, 120));
    grid->StartScroll(7);  // 10 rows: 6 is the last first row
    grid->StartScroll(0);
    EXPECT_EQ(grid->View().first_visible_row, 6);
}

TEST_F(GridScroll, ARedrawDuringAnAnimationLeavesOffsetAndRowInStep) {
    auto grid = Grid(99);
    grid->StartScroll(20);
    Sleep(50);
    grid->View().first_visible_row = 2;  // as a redraw for another mode would settle it
    grid->RedrawGrid(nullptr);
    ASSERT_TRUE(Settles(*grid, 24));
    Sleep(100);
    EXPECT_EQ(grid->View().scroll_offset, 24);
    EXPECT_EQ(grid->View().first_visible_row, 2);
}

TEST_F(GridScroll, AGridThatFitsDoesNotScroll) {
    auto grid = Grid(12);
    grid->SetScrolling(true);
    grid->StartScroll(kArrowDown);
    SemaphoreSlot free_at_once(grid->ScrollLock(), 0);
    EXPECT_TRUE(free_at_once.held());
    EXPECT_EQ(grid->View().first_visible_row, 1);
    EXPECT_EQ(grid->View().scroll_offset, 0);
}

TEST_F(GridScroll, DestroyingTheGridEndsAHeldScrollAndAWaitingOne) {
    auto grid = Grid(99);
    grid->SetScrolling(true);
    grid->StartScroll(kArrowDown);
    grid->StartScroll(kArrowDown);  // waits for the first
    Sleep(100);
    grid.reset();  // returns once both threads are gone
    SUCCEED();
}

}  // namespace
