#include "display/grid_layout.h"

#include <algorithm>

int32_t hit_cell(const GridView& view, int32_t x, int32_t y) {
    const int32_t s = view.shade ? kShadeCell : kGridCell;
    if (x < 0 || x >= kGridColumns * s - 1 || y < 0 || y >= view.visible_rows * s - 1) return 0;
    const int32_t column = (x + 1) / s;
    const int32_t row = view.shade ? view.first_visible_row - 1 : (y + view.scroll_offset + 1) / s;
    const int32_t entry = row * kGridColumns + column + 1;
    return entry <= view.entry_count ? entry : 0;
}

int32_t hit_arrow(int32_t x, int32_t y) {
    if (y < 122 || y >= 134) return 0;
    if (x >= 2 && x < 35) return kArrowUp;
    if (x >= 35 && x < 68) return kArrowDown;
    return 0;
}

bool cell_number_lit(const PlayOrderEntry& entry) { return entry.lit || entry.blink; }

int32_t cell_sprite_x(const PlayOrderEntry& entry) {
    if (cell_number_lit(entry)) return entry.pressed ? 44 : 0;
    return entry.pressed ? 66 : 22;
}

Point cell_number_offset(const PlayOrderEntry& entry) { return entry.pressed ? Point{3, 3} : Point{4, 4}; }

bool cell_in_view(const GridView& view, int32_t cell_y) {
    return cell_y >= view.scroll_offset &&
           cell_y + kGridCellSize <= view.scroll_offset + kGridCell * view.visible_rows;
}

ArrowSprites arrow_sprites(const GridView& view, int32_t which, bool pressed) {
    constexpr Point kUpDimmed{66, 22}, kDownDimmed{66, 33};
    if (!view.can_scroll()) return {kUpDimmed, kDownDimmed};
    ArrowSprites s;
    if (view.first_visible_row == 1) s.up = kUpDimmed;
    else s.up = which == kArrowUp && pressed ? Point{0, 33} : Point{0, 22};
    if (view.first_visible_row + view.visible_rows < view.rows() + 1)
        s.down = which == kArrowDown && pressed ? Point{33, 33} : Point{33, 22};
    else s.down = kDownDimmed;
    return s;
}

int32_t first_row_for_redraw(const GridView& view, int32_t current_index) {
    const int32_t row = current_index / kGridColumns + 1;
    if (view.shade) return row;
    return view.rows() > view.visible_rows ? std::min(row, view.rows() - 4) : 1;
}

int32_t scroll_step(int32_t offset, int32_t destination) {
    return offset + std::clamp(destination - offset, -kScrollStepPixels, kScrollStepPixels);
}

int32_t follow_target(const GridView& view, int32_t current_index) {
    const int32_t row = current_index / kGridColumns + 1;
    if (row < view.first_visible_row) return row;
    if (row >= view.first_visible_row + view.visible_rows) return row - view.visible_rows + 1;
    return 0;
}

bool scroll_target_valid(const GridView& view, int32_t target) {
    if (!view.can_scroll()) return false;
    return target == kArrowUp || target == kArrowDown || (target >= 1 && target <= view.last_first_row());
}

ScrollPass scroll_pass(const GridView& view, int32_t target) {
    const int32_t row = view.first_visible_row;
    if (target == kArrowUp) return row > 1 ? ScrollPass{row - 1, true} : ScrollPass{row, false};
    if (target == kArrowDown)
        return row < view.last_first_row() ? ScrollPass{row + 1, true} : ScrollPass{row, false};
    return {row, false};
}

void move_entry(std::span<PlayOrderEntry> order, int32_t from, int32_t to) {
    const int32_t n = static_cast<int32_t>(order.size());
    if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
    const PlayOrderEntry moved = order[from];
    if (from > to)
        for (int32_t i = from; i > to; --i) {
            order[i].track = order[i - 1].track;
            order[i].excluded = order[i - 1].excluded;
        }
    else
        for (int32_t i = from; i < to; ++i) {
            order[i].track = order[i + 1].track;
            order[i].excluded = order[i + 1].excluded;
        }
    order[to].track = moved.track;
    order[to].excluded = moved.excluded;
}
