#include "app/placement_rules.h"

#include <gtest/gtest.h>

#include "app/window_state.h"

namespace {

constexpr WorkArea kWork{0, 0, 1024, 738};

// Where the window lands when the pointer, grabbed at (50, 5) of the window,
// would put its corner at (left, top).
ScreenPoint Drop(int left, int top, int height = 162, int resistance = 10) {
    return drag_position({left + 50, top + 5}, 50, 5, 297, height, kWork, resistance);
}

}  // namespace

TEST(EdgeSnapping, CloseEdgesSnapFarOnesDoNot) {
    EXPECT_EQ(Drop(7, 300).x, 0);
    EXPECT_EQ(Drop(12, 300).x, 12);
    EXPECT_EQ(Drop(1018 - 297, 300).x, 727);  // the right edge at 1018 goes to 1024
    EXPECT_EQ(Drop(1024 - 297 - 10, 300).x, 1024 - 297 - 10);
    EXPECT_EQ(Drop(400, 9).y, 0);
    EXPECT_EQ(Drop(400, 738 - 162 - 9).y, 738 - 162);
    EXPECT_EQ(Drop(400, 300), (ScreenPoint{400, 300}));
}

TEST(EdgeSnapping, TheShadeStripSnapsFlushWithItsOwnHeight) {
    EXPECT_EQ(Drop(400, 738 - 19 - 6, 19).y, 738 - 19);
    EXPECT_EQ(Drop(400, 738 - 162 - 6, 19).y, 738 - 162 - 6);
}

TEST(EdgeSnapping, ResistanceZeroNeverSnaps) {
    EXPECT_EQ(Drop(1, 1, 162, 0), (ScreenPoint{1, 1}));
    EXPECT_EQ(Drop(0, 0, 162, 0), (ScreenPoint{0, 0}));
}

TEST(EdgeSnapping, APointerBeyondACornerIsHeldInside) {
    // Dragged far beyond the bottom right: the pointer stays at the last
    // pixel of the work area, so the window hangs off the corner by the grab.
    EXPECT_EQ(drag_position({5000, 4000}, 50, 5, 297, 162, kWork, 0), (ScreenPoint{1023 - 50, 737 - 5}));
    EXPECT_EQ(drag_position({-300, -200}, 50, 5, 297, 162, kWork, 0), (ScreenPoint{-50, -5}));
    // With snapping the corner then goes flush to the nearest edges.
    EXPECT_EQ(drag_position({-300, -200}, 50, 5, 297, 162, kWork, 60), (ScreenPoint{0, 0}));
}

TEST(WindowGeometry, NormalAndShade) {
    const WindowGeometry normal = window_geometry(kDisplayNormal);
    EXPECT_EQ(normal.main, (Box{0, 0, 297, 162}));
    EXPECT_EQ(normal.controls, (Box{13, 125, 163, 24}));
    EXPECT_EQ(normal.tracks, (Box{218, 19, 70, 136}));
    EXPECT_TRUE(normal.slider_shown);
    const WindowGeometry shade = window_geometry(kDisplayShade);
    EXPECT_EQ(shade.main, (Box{0, 0, 297, 19}));
    EXPECT_EQ(shade.controls, (Box{25, 3, 81, 12}));
    EXPECT_EQ(shade.tracks, (Box{223, 3, 38, 12}));
    EXPECT_FALSE(shade.slider_shown);
}
