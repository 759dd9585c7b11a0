#include "app/placement_rules.h"

#include <gtest/gtest.h>

#include "app/window_state.h"

TEST(EdgeSnapping, EdgesWithinTheResistanceSnapFlush) {
    constexpr WorkArea work{0, 0, 1024, 738};
    const struct { int left, top, height, resistance; ScreenPoint expected; } cases[] = {
        {7, 300, 162, 10, {0, 300}},
        {10, 300, 162, 10, {10, 300}},  // as far as the resistance: no snap
        {12, 300, 162, 10, {12, 300}},
        {1018 - 297, 300, 162, 10, {727, 300}},  // the right edge at 1018 goes to 1024
        {1024 - 297 - 10, 300, 162, 10, {1024 - 297 - 10, 300}},
        {400, 9, 162, 10, {400, 0}},
        {400, 738 - 162 - 9, 162, 10, {400, 738 - 162}},
        {400, 738 - 19 - 6, 19, 10, {400, 738 - 19}},  // the shade strip, with its own height
        {400, 738 - 162 - 6, 19, 10, {400, 738 - 162 - 6}},
        {1, 1, 162, 0, {1, 1}},  // resistance 0 never snaps
    };
    // The pointer grabs the window at (50, 5).
    for (const auto& c : cases)
        EXPECT_EQ(drag_position({c.left + 50, c.top + 5}, 50, 5, 297, c.height, work, c.resistance), c.expected)
            << c.left << "," << c.top;
    // A pointer beyond a corner stays at the work area's last pixel; with
    // snapping the window then goes flush to the nearest edges.
    EXPECT_EQ(drag_position({5000, 4000}, 50, 5, 297, 162, work, 0), (ScreenPoint{1023 - 50, 737 - 5}));
    EXPECT_EQ(drag_position({-300, -200}, 50, 5, 297, 162, work, 0), (ScreenPoint{-50, -5}));
    EXPECT_EQ(drag_position({-300, -200}, 50, 5, 297, 162, work, 60), (ScreenPoint{0, 0}));
}

TEST(EdgeSnapping, AWindowOffTheWorkAreaComesInNoFurtherThanItMust) {
    constexpr WorkArea work{1024, 0, 2048, 738};  // a second monitor to the right
    const std::pair<Box, ScreenPoint> cases[] = {{{-5000, -5000, 297, 162}, {1024, 0}},
        {{99999, 400, 297, 162}, {2048 - 297, 400}}, {{1500, 9000, 297, 19}, {1500, 738 - 19}},
        {{1100, 100, 297, 162}, {1100, 100}}, {{0, 0, 3000, 900}, {1024, 0}}};
    for (const auto& [window, corner] : cases) EXPECT_EQ(inside_work_area(window, work), corner) << window.x;
}

