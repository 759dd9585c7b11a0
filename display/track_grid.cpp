#include "display/track_grid.h"

#include "app/player.h"
#include "app/window_state.h"
#include "display/skin_draw.h"

namespace {

constexpr int32_t kAreaX = 218, kAreaY = 19, kAreaHeight = 136;
constexpr int32_t kArrowWidth = 32, kArrowHeight = 10;

bool Shade() { return Player.DisplayMode == kDisplayShade; }

HBITMAP Tracks() { return Player.SkinTracks.get(); }

}  // namespace

TrackGrid::TrackGrid(HWND tracks_window, int32_t track_count)
    : order_(make_play_order(track_count)), scroll_lock_(CreateLock()) {
    view_.entry_count = track_count;
    view_.visible_rows = 0;  // settled by the first RedrawGrid
    HDC dc = GetDC(tracks_window);
    picture_ = std::make_unique<MemorySurface>(dc, kGridWidth, view_.bitmap_height());
    ReleaseDC(tracks_window, dc);
}

void TrackGrid::RedrawGrid(HDC window_dc) {
    const int32_t current = Player.Disc ? Player.Disc->current_index : 0;
    if (Shade()) {
        view_.shade = true;
        view_.visible_rows = 1;
        view_.first_visible_row = first_row_for_redraw(view_, current);
    } else if (view_.visible_rows != 5 || view_.shade) {
        view_.shade = false;
        view_.visible_rows = 5;
        view_.first_visible_row = first_row_for_redraw(view_, current);
    }
    view_.scroll_offset = (view_.first_visible_row - 1) * kGridCell;

    HDC picture = picture_->dc();
    for (int32_t y = 0, n = view_.grid_height() / kAreaHeight + 1; n > 0; --n, y += kAreaHeight)
        BlitCopy(picture, 0, y, kGridWidth, kAreaHeight, kAreaX, kAreaY, Player.SkinMain.get());
    for (int32_t i = 0; i < static_cast<int32_t>(order_.size()); ++i) DrawCell(i, nullptr);
    if (!window_dc) return;
    if (!Shade()) DrawArrows(window_dc, 0, false);
    PaintGrid(window_dc);
}

void TrackGrid::DrawCell(int32_t index, HDC window_dc) {
    if (index < 0 || index >= static_cast<int32_t>(order_.size())) return;
    const PlayOrderEntry& entry = order_[index];
    const Point at = cell_origin(index);
    HDC picture = picture_->dc();
    BlitCopy(picture, at.x, at.y, kGridCellSize, kGridCellSize, cell_sprite_x(entry), 0, Tracks());
    const Point number = cell_number_offset(entry);
    DrawNumber(picture, at.x + number.x, at.y + number.y, entry.track, cell_number_lit(entry));
    if (entry.excluded) BlitOr(picture, at.x, at.y, kGridCellSize, kGridCellSize, 88, 0, Tracks());

    if (!window_dc || !cell_in_view(view_, at.y)) return;
    if (Shade()) {
        const int old_mode = SetStretchBltMode(window_dc, COLORONCOLOR);
        StretchBlt(window_dc, kShadeCell * (index % kGridColumns), 0, 12, 12, picture, at.x, at.y,
                   kGridCellSize, kGridCellSize, SRCCOPY);
        SetStretchBltMode(window_dc, old_mode);
    } else {
        BitBlt(window_dc, at.x, at.y - view_.scroll_offset, kGridCellSize, kGridCellSize, picture, at.x,
               at.y, SRCCOPY);
    }
}

void TrackGrid::PaintGrid(HDC window_dc) {
    HDC picture = picture_->dc();
    if (Shade()) {
        const int old_mode = SetStretchBltMode(window_dc, COLORONCOLOR);
        StretchBlt(window_dc, 0, 0, 38, 12, picture, 0, view_.scroll_offset, kGridWidth, kGridCellSize,
                   SRCCOPY);
        SetStretchBltMode(window_dc, old_mode);
    } else {
        BitBlt(window_dc, 0, 0, kGridWidth, kGridVisibleHeight, picture, 0, view_.scroll_offset, SRCCOPY);
    }
}

void TrackGrid::DrawArrows(HDC window_dc, int32_t which, bool pressed) {
    if (Shade()) return;
    BlitCopy(window_dc, 0, kGridVisibleHeight, kGridWidth, 16, kAreaX, 139, Player.SkinMain.get());
    const ArrowSprites s = arrow_sprites(view_, which, pressed);
    BlitCopy(window_dc, 2, 122, kArrowWidth, kArrowHeight, s.up.x, s.up.y, Tracks());
    BlitCopy(window_dc, 34, 122, kArrowWidth, kArrowHeight, s.down.x, s.down.y, Tracks());
}

namespace {

bool SetFlag(uint8_t& flag, bool value) {
    const bool old = flag != 0;
    flag = value ? 1 : 0;
    return old;
}

}  // namespace

bool TrackGrid::SetCellLit(int32_t index, bool lit, HDC window_dc) {
    const bool old = SetFlag(order_.at(index).lit, lit);
    if (old != lit) DrawCell(index, window_dc);
    return old;
}

bool TrackGrid::SetCellPressed(int32_t index, bool pressed, HDC window_dc) {
    const bool old = SetFlag(order_.at(index).pressed, pressed);
    if (old != pressed) DrawCell(index, window_dc);
    return old;
}

bool TrackGrid::SetCellExcluded(int32_t index, bool excluded, HDC window_dc) {
    const bool old = SetFlag(order_.at(index).excluded, excluded);
    if (old != excluded) DrawCell(index, window_dc);
    return old;
}

void TrackGrid::ToggleCellBlink(int32_t index, HDC window_dc) {
    PlayOrderEntry& entry = order_.at(index);
    entry.blink = entry.blink ? 0 : 1;
    DrawCell(index, window_dc);
}

bool TrackGrid::ClearLit(HDC window_dc) {
    bool any = false;
    for (int32_t i = 0; i < static_cast<int32_t>(order_.size()); ++i) any = SetCellLit(i, false, window_dc) || any;
    return any;
}
