#include <gtest/gtest.h>

#include <vector>

#include "display/grid_layout.h"
#include "display/slider_layout.h"

namespace {

// Five visible rows of 24-pixel cells, or the shade strip's one row, scrolled to `first_row`.
GridView Normal(int32_t entries, int32_t first_row = 1) { return {entries, 5, first_row, (first_row - 1) * 24, false}; }
GridView Shade(int32_t entries, int32_t first_row) { return {entries, 1, first_row, (first_row - 1) * 24, true}; }

}  // namespace

TEST(Grid, HitTestsSpritesAndPlaces) {
    struct Case {
        GridView view;
        int32_t x, y, want;
    };
    const Case cells[] = {
        {Normal(12), 0, 0, 1}, {Normal(12), 22, 0, 1} /* the gap counts to the cell on its left */,
        {Normal(12), 23, 0, 2}, {Normal(12), 50, 30, 6}, {Normal(12), 70, 10, 3}, {Normal(12), 71, 10, 0},
        {Normal(12), 10, 100, 0} /* row 5 has no entry */, {Normal(12), -1, 10, 0}, {Normal(12), 10, 119, 0},
        {Normal(20, 3), 0, 0, 7}, {Normal(20, 3), 50, 100, 0} /* entry 21 does not exist */,
        // Shade mode: the visible row of 13-pixel cells.
        {Shade(12, 2), 0, 5, 4}, {Shade(12, 2), 13, 5, 5}, {Shade(12, 2), 37, 5, 6}, {Shade(12, 2), 38, 5, 0},
        {Shade(12, 2), 5, 12, 0}, {Shade(13, 5), 13, 0, 0}, {Shade(13, 5), 0, 0, 13},
    };
    for (const Case& c : cells) EXPECT_EQ(hit_cell(c.view, c.x, c.y), c.want) << c.x << "," << c.y;
    const int32_t arrows[][3] = {{2, 122, kArrowUp}, {34, 133, kArrowUp}, {35, 122, kArrowDown}, {67, 130, kArrowDown},
                                 {1, 125, 0},        {68, 125, 0},        {20, 121, 0},          {20, 134, 0}};
    for (const auto& a : arrows) EXPECT_EQ(hit_arrow(a[0], a[1]), a[2]) << a[0] << "," << a[1];

    EXPECT_EQ(arrow_sprites(Normal(12), 0, false), (ArrowSprites{{66, 22}, {66, 33}}));  // 4 rows fit in 5
    EXPECT_EQ(arrow_sprites(Normal(20, 1), 0, false), (ArrowSprites{{66, 22}, {33, 22}}));
    EXPECT_EQ(arrow_sprites(Normal(20, 2), kArrowDown, true), (ArrowSprites{{0, 22}, {33, 33}}));
    EXPECT_EQ(arrow_sprites(Normal(20, 2), kArrowUp, true), (ArrowSprites{{0, 33}, {33, 22}}));
    EXPECT_EQ(arrow_sprites(Normal(20, 3), 0, false), (ArrowSprites{{0, 22}, {66, 33}}));
    // Cells: plain, pressed, pressed and blinking, lit; pressed numbers sit one pixel up and left.
    const std::pair<PlayOrderEntry, int32_t> states[] = {
        {{1, 1}, 22}, {{.pressed = 1}, 66}, {{.pressed = 1, .blink = 1}, 44}, {{.lit = 1}, 0}};
    for (const auto& [entry, x] : states) EXPECT_EQ(cell_sprite_x(entry), x) << x;
    EXPECT_EQ(cell_number_offset({.pressed = 1}), (Point{3, 3}));
    EXPECT_EQ(cell_number_offset({.lit = 1}), (Point{4, 4}));
    EXPECT_TRUE(cell_number_lit({.blink = 1}));
    EXPECT_EQ(cell_origin(7), (Point{24, 48}));
    for (auto [y, in] : {std::pair{48, true}, {24, false}, {144, true}, {168, false}})
        EXPECT_EQ(cell_in_view(Normal(20, 3), y), in) << y;
    EXPECT_EQ(Normal(20).bitmap_height(), 192);
    EXPECT_EQ(Normal(3).bitmap_height(), 120);
}

// The held arrow, the click and the row target on real threads are the GDI grid test's.
TEST(Grid, ScrollingRedrawFollowAndTargets) {
    const std::tuple<GridView, int32_t, int32_t> redraws[] = {  // held so the last rows fill the view
        {Normal(20), 19, 3}, {Normal(20), 4, 2}, {Normal(12), 11, 1}, {Shade(20, 1), 19, 7}};
    for (const auto& [view, position, row] : redraws) EXPECT_EQ(first_row_for_redraw(view, position), row) << position;
    EXPECT_EQ(follow_target(Normal(30, 1), 16), 2);  // row 6 comes into view as the last row
    EXPECT_EQ(follow_target(Normal(30, 4), 2), 1);
    EXPECT_EQ(follow_target(Normal(30, 1), 14), 0);
    EXPECT_EQ(scroll_step(0, 24), 4);
    EXPECT_EQ(scroll_step(48, 45), 45);
    EXPECT_EQ(scroll_step(48, 0), 44);
    EXPECT_EQ(scroll_pass(Normal(20, 2), kArrowUp), (ScrollPass{1, true}));
    EXPECT_EQ(scroll_pass(Normal(20, 1), kArrowUp), (ScrollPass{1, false}));
    EXPECT_EQ(scroll_pass(Normal(20, 2), 2), (ScrollPass{2, false}));  // a row target: one pass
    EXPECT_EQ(scroll_pass(Shade(20, 6), kArrowDown), (ScrollPass{7, true}));
    EXPECT_EQ(scroll_pass(Shade(20, 7), kArrowDown), (ScrollPass{7, false}));
    // 12 entries: 4 rows fit in 5; 15: 5 fit exactly; 20: 7 rows, first rows 1 to 3; shade: 2 rows, one visible.
    const std::tuple<GridView, int32_t, bool> targets[] = {{Normal(12), kArrowDown, false},
        {Normal(15), kArrowUp, false}, {Normal(16), kArrowDown, true}, {Normal(20), 0, false}, {Normal(20), 1, true},
        {Normal(20), 3, true}, {Normal(20), 4, false}, {Normal(20), -5, false}, {Shade(4, 1), 2, true}};
    for (const auto& [view, target, valid] : targets) EXPECT_EQ(scroll_target_valid(view, target), valid) << target;
}

TEST(Grid, DraggingStartsBeyondTheDragDistanceAndMovesAnEntryWithItsMark) {
    EXPECT_FALSE(drag_started(4, -4, 4, 4));
    EXPECT_TRUE(drag_started(0, -5, 4, 4));
    EXPECT_EQ((std::vector{drag_scroll_direction(-1), drag_scroll_direction(120), drag_scroll_direction(121)}),
              (std::vector{kArrowUp, 0, kArrowDown}));
    PlayOrder order = make_play_order(8);
    order[1].excluded = 1;
    auto tracks = [&order] {  // excluded ones negative
        std::vector<int32_t> t;
        for (const PlayOrderEntry& e : order) t.push_back(e.excluded ? -e.track : e.track);
        return t;
    };
    move_entry(order, 1, 4);  // the excluded 2 moves with its mark; positions stay
    EXPECT_EQ(tracks(), (std::vector<int32_t>{1, 3, 4, 5, -2, 6, 7, 8}));
    move_entry(order, 7, 0);
    move_entry(order, 3, 3);
    move_entry(order, 3, 9);
    EXPECT_EQ(tracks(), (std::vector<int32_t>{8, 1, 3, 4, 5, -2, 6, 7}));
    for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(order[i].position, i + 1);
}

TEST(Slider, PercentsSecondsClicksAndTheThumb) {
    EXPECT_EQ(percent_to_seconds(0, 200, 3000, 0), 1);
    EXPECT_EQ(percent_to_seconds(50, 200, 3000, 0), 100);
    EXPECT_EQ(percent_to_seconds(50, 200, 3000, 1), 1500);
    EXPECT_EQ(percent_to_seconds(25, 200, 3000, 2), 150);  // remaining
    EXPECT_EQ(percent_to_seconds(100, 200, 3000, 3), 1);
    EXPECT_EQ(percent_to_seconds(33.3f, 7, 0, 0), 2);  // truncated
    for (auto [x, percent] : {std::pair{98, 50}, {-5, 0}, {196, 100}, {200, 100}})
        EXPECT_EQ(track_click_percent(x), percent) << x;
    EXPECT_EQ((std::vector{slider_position_mode(1, 2), slider_position_mode(2, 3), slider_position_mode(3, 3)}),
              (std::vector{1, 0, 3}));

    // The thumb draws only on a change, holds after a release and stops at the ends.
    SliderThumb thumb;
    EXPECT_TRUE(thumb.update(0, true));
    EXPECT_FALSE(thumb.update(0.3f, false));  // still pixel 0
    EXPECT_TRUE(thumb.update(50, false));
    EXPECT_EQ(thumb.drawn_x, 83);
    thumb.just_released = true;
    EXPECT_FALSE(thumb.update(40, false));  // the device has not caught up: stay
    EXPECT_EQ(thumb.drawn_x, 83);
    EXPECT_TRUE(thumb.update(40, false));  // the next refresh moves it back
    EXPECT_EQ(thumb.drawn_x, 66);
    EXPECT_TRUE(thumb.update(250, false));
    EXPECT_EQ(thumb.drawn_x, 166);
    thumb.update(-3, false);
    EXPECT_EQ(thumb.percent, 0);
    EXPECT_TRUE(thumb.hit(0, 5) && thumb.hit(30, 11));
    EXPECT_FALSE(thumb.hit(31, 5) || thumb.hit(5, 0));
    // Dragged past the right end: held at the groove's end, 166 and a hundred percent.
    thumb.update(90, true);
    thumb.dragging = true;
    thumb.last_pointer_x = 160;
    EXPECT_EQ(thumb.drag_to(400), 100.0f);
    thumb.update(100, false);
    EXPECT_EQ(thumb.drawn_x, 166);
    EXPECT_EQ(thumb.drag_to(196), 100.0f);
}
