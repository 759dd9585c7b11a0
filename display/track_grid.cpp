#include "display/track_grid.h"

#include <process.h>

#include <mutex>

#include "display/skin_draw.h"

namespace {

constexpr int32_t kAreaX = 218, kAreaY = 19, kAreaHeight = 136;
constexpr int32_t kArrowWidth = 32, kArrowHeight = 10;
constexpr int32_t kShadeWidth = 38, kShadeHeight = 12;
constexpr DWORD kScrollStepMs = 35;

using Guard = std::lock_guard<CriticalSection>;

struct ScrollRequest {
    TrackGrid* grid;
    int32_t target;
};

}  // namespace

TrackGrid::TrackGrid(HWND tracks_window, const Skin& skin, int32_t track_count)
    : window_(tracks_window),
      skin_(skin),
      order_(make_play_order(track_count)),
      scroll_lock_(CreateLock()),
      closing_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    view_.entry_count = track_count;
    view_.visible_rows = 0;  // settled by the first RedrawGrid
    WindowDC dc(tracks_window);
    picture_ = std::make_unique<MemorySurface>(dc.get(), kGridWidth, view_.bitmap_height());
}

TrackGrid::~TrackGrid() {
    scrolling_ = false;
    SetEvent(closing_.get());
    // A running thread leaves at its next step, and those waiting for the
    // scroll lock as soon as they have it.
    while (scroll_threads_ > 0) Sleep(1);
}

void TrackGrid::RedrawGrid(HDC window_dc, int32_t current) {
    Guard guard(view_lock_);
    if (skin_.Shaded()) {
        view_.shade = true;
        view_.visible_rows = 1;
        view_.first_visible_row = first_row_for_redraw(view_, current);
    } else if (view_.visible_rows != 5 || view_.shade) {
        view_.shade = false;
        view_.visible_rows = 5;
        view_.first_visible_row = first_row_for_redraw(view_, current);
    }
    // A scroll animation under way heads for this offset from its next step.
    view_.scroll_offset = (view_.first_visible_row - 1) * kGridCell;

    HDC picture = picture_->dc();
    for (int32_t y = 0, n = view_.grid_height() / kAreaHeight + 1; n > 0; --n, y += kAreaHeight)
        BlitCopy(picture, 0, y, kGridWidth, kAreaHeight, kAreaX, kAreaY, skin_.Main.get());
    for (int32_t i = 0; i < static_cast<int32_t>(order_.size()); ++i) DrawCell(i, nullptr);
    if (!window_dc) return;
    if (!skin_.Shaded()) DrawArrows(window_dc, 0, false);
    PaintGrid(window_dc);
}

void TrackGrid::DrawCell(int32_t index, HDC window_dc) {
    if (index < 0 || index >= static_cast<int32_t>(order_.size())) return;
    Guard guard(view_lock_);
    const PlayOrderEntry& entry = order_[index];
    const Point at = cell_origin(index);
    HDC picture = picture_->dc();
    BlitCopy(picture, at.x, at.y, kGridCellSize, kGridCellSize, cell_sprite_x(entry), 0, skin_.Tracks.get());
    const Point number = cell_number_offset(entry);
    DrawNumber(picture, skin_, at.x + number.x, at.y + number.y, entry.track, cell_number_lit(entry));
    if (entry.excluded) BlitOr(picture, at.x, at.y, kGridCellSize, kGridCellSize, 88, 0, skin_.Tracks.get());

    if (!window_dc || !cell_in_view(view_, at.y)) return;
    if (skin_.Shaded()) {
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
    Guard guard(view_lock_);
    HDC picture = picture_->dc();
    if (skin_.Shaded()) {
        const int old_mode = SetStretchBltMode(window_dc, COLORONCOLOR);
        StretchBlt(window_dc, 0, 0, kShadeWidth, kShadeHeight, picture, 0, view_.scroll_offset, kGridWidth,
                   kGridCellSize, SRCCOPY);
        SetStretchBltMode(window_dc, old_mode);
    } else {
        BitBlt(window_dc, 0, 0, kGridWidth, kGridVisibleHeight, picture, 0, view_.scroll_offset, SRCCOPY);
    }
}

void TrackGrid::DrawArrows(HDC window_dc, int32_t which, bool pressed) {
    if (skin_.Shaded()) return;
    Guard guard(view_lock_);
    BlitCopy(window_dc, 0, kGridVisibleHeight, kGridWidth, 16, kAreaX, 139, skin_.Main.get());
    const ArrowSprites s = arrow_sprites(view_, which, pressed);
    BlitCopy(window_dc, 2, 122, kArrowWidth, kArrowHeight, s.up.x, s.up.y, skin_.Tracks.get());
    BlitCopy(window_dc, 34, 122, kArrowWidth, kArrowHeight, s.down.x, s.down.y, skin_.Tracks.get());
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

int32_t TrackGrid::HitCell(int32_t x, int32_t y) {
    Guard guard(view_lock_);
    return hit_cell(view_, x, y);
}

void TrackGrid::DrawDragCell(int32_t index, HDC window_dc, int32_t x, int32_t y) {
    if (index < 0 || index >= static_cast<int32_t>(order_.size())) return;
    // Composed off-screen, so the cell does not flicker as it follows the pointer.
    MemorySurface frame(window_dc, kGridWidth, kAreaHeight);
    if (!frame) return;
    const PlayOrderEntry& entry = order_[index];
    Guard guard(view_lock_);
    PaintGrid(frame.dc());
    DrawArrows(frame.dc(), 0, false);
    BlitCopy(frame.dc(), x - 8, y - 8, kGridCellSize, kGridCellSize, 44, 0, skin_.Tracks.get());
    DrawNumber(frame.dc(), skin_, x - 6, y - 6, entry.track, true);
    if (entry.excluded) BlitOr(frame.dc(), x - 8, y - 8, kGridCellSize, kGridCellSize, 88, 0, skin_.Tracks.get());
    BitBlt(window_dc, 0, 0, kGridWidth, kAreaHeight, frame.dc(), 0, 0, SRCCOPY);
}

void TrackGrid::StartScroll(int32_t target) {
    {
        Guard guard(view_lock_);
        if (!scroll_target_valid(view_, target)) return;
        if (target > 0) {
            scrolling_ = true;
            view_.first_visible_row = target;
        }
    }
    ++scroll_threads_;
    auto* request = new ScrollRequest{this, target};
    if (_beginthread(ScrollThread, 0, request) == static_cast<uintptr_t>(-1)) {
        delete request;
        --scroll_threads_;
    }
}

void __cdecl TrackGrid::ScrollThread(void* request) {
    const ScrollRequest r = *static_cast<ScrollRequest*>(request);
    delete static_cast<ScrollRequest*>(request);
    r.grid->Scroll(r.target);
    --r.grid->scroll_threads_;  // the grid may be gone from here on
}

void TrackGrid::Scroll(int32_t target) {
    SemaphoreSlot slot(scroll_lock_.get());
    if (WaitForSingleObject(closing_.get(), 0) == WAIT_OBJECT_0) return;
    WindowDC dc(window_);
    // At least one pass: a click on an arrow that is over before this thread
    // runs still scrolls one row.
    do {
        {
            Guard guard(view_lock_);
            const ScrollPass pass = scroll_pass(view_, target);
            view_.first_visible_row = pass.first_row;
            if (!pass.more) scrolling_ = false;
        }
        // The destination is read at every step: a RedrawGrid meanwhile
        // (a drop, a display-mode change) moves it, and the animation
        // settles where the redraw put the rows.
        for (;;) {
            {
                Guard guard(view_lock_);
                const int32_t destination = (view_.first_visible_row - 1) * kGridCell;
                if (view_.scroll_offset == destination) break;
                view_.scroll_offset = scroll_step(view_.scroll_offset, destination);
                PaintGrid(dc.get());
            }
            // A long follow scroll runs for seconds: the grid going ends it here.
            if (WaitForSingleObject(closing_.get(), kScrollStepMs) == WAIT_OBJECT_0) return;
        }
        // A held arrow stays drawn pressed; the other arrow follows the rows.
        DrawArrows(dc.get(), target < 0 ? target : 0, scrolling_);
    } while (scrolling_);
    DrawArrows(dc.get(), 0, false);
}
