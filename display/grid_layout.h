#pragma once
// The track grid's geometry and sprite choices: three cells of 24 pixels a
// row, five rows visible in normal mode, one in shade mode, scrolled by
// whole rows with an animation of at most 4 pixels a step.
#include <cstdint>
#include <span>

#include "cdaudio/play_order.h"

inline constexpr int32_t kGridColumns = 3;
inline constexpr int32_t kGridCell = 24;        // cell pitch in the grid bitmap
inline constexpr int32_t kGridCellSize = 21;    // a cell sprite is 21 x 21
inline constexpr int32_t kShadeCell = 13;       // cell pitch in the shade strip
inline constexpr int32_t kGridWidth = 70;
inline constexpr int32_t kGridVisibleHeight = 120;
inline constexpr int32_t kScrollStepPixels = 4;
inline constexpr int32_t kArrowUp = -10;
inline constexpr int32_t kArrowDown = -20;

struct GridView {
    int32_t entry_count = 0;
    int32_t visible_rows = 5;       // 5 normal, 1 shade
    int32_t first_visible_row = 1;  // 1-based
    int32_t scroll_offset = 0;      // pixels; (first_visible_row - 1) * 24 at rest
    bool shade = false;

    int32_t rows() const { return entry_count <= 0 ? 0 : (entry_count - 1) / kGridColumns + 1; }
    int32_t grid_height() const { return (rows() + 1) * kGridCell; }
    int32_t bitmap_height() const { return grid_height() > kGridVisibleHeight ? grid_height() : kGridVisibleHeight; }
    int32_t last_first_row() const { return rows() - visible_rows + 1; }
    bool can_scroll() const { return rows() > visible_rows; }
};

struct Point {
    int32_t x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// Where entry i sits in the grid bitmap.
constexpr Point cell_origin(int32_t i) { return {kGridCell * (i % kGridColumns), kGridCell * (i / kGridColumns)}; }

// The 1-based entry under a point of the tracks window, or 0.
int32_t hit_cell(const GridView& view, int32_t x, int32_t y);

// kArrowUp, kArrowDown or 0.
int32_t hit_arrow(int32_t x, int32_t y);

// The cell sprite's x in the tracks skin for an entry's flags.
int32_t cell_sprite_x(const PlayOrderEntry& entry);
bool cell_number_lit(const PlayOrderEntry& entry);
// Where the number goes inside the cell: pressed cells sink by a pixel.
Point cell_number_offset(const PlayOrderEntry& entry);

// Whether a cell whose grid y is given lies wholly within the visible rows.
bool cell_in_view(const GridView& view, int32_t cell_y);

// The arrows' sprites (x, y in the tracks skin) for the arrow held (kArrowUp,
// kArrowDown or 0) and whether it is pressed.
struct ArrowSprites {
    Point up, down;
    bool operator==(const ArrowSprites&) const = default;
};
ArrowSprites arrow_sprites(const GridView& view, int32_t which, bool pressed);

// The first visible row a full redraw settles on: the row of the current
// position, kept within the grid in normal mode.
int32_t first_row_for_redraw(const GridView& view, int32_t current_index);

// One animation step toward the destination offset.
int32_t scroll_step(int32_t offset, int32_t destination);

// The row target that brings the current position into view, or 0 when it
// is in view already.
int32_t follow_target(const GridView& view, int32_t current_index);

// Whether StartScroll accepts a target: an arrow, or a first row the grid
// can show, and only when there are more rows than fit.
bool scroll_target_valid(const GridView& view, int32_t target);

// One pass of the scroll animation for an arrow target: the first visible row
// it heads for, and whether a held arrow may go on after it. A row target is
// one pass to the row already chosen.
struct ScrollPass {
    int32_t first_row = 1;
    bool more = false;
    bool operator==(const ScrollPass&) const = default;
};
ScrollPass scroll_pass(const GridView& view, int32_t target);

// While an entry is dragged off the cells: kArrowUp above the window,
// kArrowDown below the visible rows, 0 inside (the scrolling stops).
constexpr int32_t drag_scroll_direction(int32_t y) {
    return y < 0 ? kArrowUp : y > kGridVisibleHeight ? kArrowDown : 0;
}

// A press becomes a drag once the pointer is further than the system's drag
// distance from the press point, horizontally or vertically.
constexpr bool drag_started(int32_t dx, int32_t dy, int32_t drag_cx, int32_t drag_cy) {
    return (dx < 0 ? -dx : dx) > drag_cx || (dy < 0 ? -dy : dy) > drag_cy;
}

// Moves the entry dragged from position `from` to position `to`: the tracks
// and excluded flags between shift one place, positions stay.
void move_entry(std::span<PlayOrderEntry> order, int32_t from, int32_t to);
