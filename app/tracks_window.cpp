// The tracks window: the Play order as a grid of cells to click, exclude,
// drag into a new order and scroll through, with the playing entry blinking
// and kept in view.
#include <windowsx.h>

#include "app/child_windows.h"
#include "app/playback.h"
#include "app/player.h"
#include "app/window_state.h"
#include "cdaudio/cd_device.h"
#include "display/lcd_readout.h"
#include "display/title_display.h"
#include "display/track_grid.h"
#include "resources/resource.h"

namespace {

constexpr UINT kBlinkMs = 750;
constexpr UINT kFollowMs = 500;
constexpr UINT kFollowPauseMs = 10000;  // after a manual scroll
constexpr UINT kHoverMs = 100;
constexpr UINT kTitleRestoreMs = 2500;

// The entry pressed with the left button and, once the pointer has moved far
// enough, the drag it became. The entry itself carries its track and mark
// until the drop moves them.
struct DragState {
    int32_t index = -1;
    int32_t x = 0, y = 0;
    bool dragging = false;
} Drag;

// The drag is over, dropped or not: the pointer shows again.
void EndDrag() {
    if (Drag.dragging) ShowCursor(TRUE);
    Drag.dragging = false;
}

bool Playing() { return Player.Disc && Player.Disc->playing; }
bool Shade() { return Player.Skin.DisplayMode == kDisplayShade; }

// The pointer has left the entries: the title and LCD go back to what the
// player shows without a hover.
void ShowUnhovered() {
    DiscRecord& disc = *Player.Disc;
    if (disc.playing) {
        ShowTrackAt(disc.current_index);
    } else if (!Drag.dragging) {
        ShowTime(disc.disc_seconds, false);
        if (Player.TitleDisplay) Player.TitleDisplay->SetTrackLine(std::nullopt);
    }
}

void ShowHovered(int32_t index) {
    DiscRecord& disc = *Player.Disc;
    const int32_t track = Player.TrackGrid->Entries()[index].track;
    if (!disc.playing && track >= 1 && track <= kMaxTracks) ShowTime(disc.track_seconds[track - 1], false);
    ShowTrackAt(index);
    if (disc.playing) SetTimer(Player.MainWindow, TIMER_TITLE_RESTORE, kTitleRestoreMs, nullptr);
}

void UnlightAll(HDC dc) {
    if (Player.TrackGrid->ClearLit(dc)) ShowUnhovered();
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    TrackGrid* grid = Player.TrackGrid.get();
    if (!grid) {
        DrawBackgroundBehind(hwnd, dc, Player.Skin);  // no disc: the case shows through
    } else if (grid->View().shade != Shade()) {
        // A display-mode change resizes this window and repaints it: the
        // rows are settled again for the new mode first.
        grid->RedrawGrid(dc, CurrentPosition());
    } else {
        grid->PaintGrid(dc);
        grid->DrawArrows(dc, 0, false);
    }
    EndPaint(hwnd, &ps);
}

// Off the cells while dragging: scrolls toward the pointer above or below.
void ScrollTowardPointer(TrackGrid& grid, int32_t y) {
    const int32_t direction = drag_scroll_direction(y);
    if (!direction) {
        grid.SetScrolling(false);
    } else if (!grid.Scrolling()) {
        grid.SetScrolling(true);
        grid.StartScroll(direction);
    }
}

void OnMouseMove(HWND hwnd, int x, int y, UINT keys) {
    TrackGrid* grid = Player.TrackGrid.get();
    if (!grid || !Player.Disc) return;
    WindowDC dc(hwnd);
    const int32_t hit = grid->HitCell(x, y);
    if (hit) {
        if (!grid->SetCellLit(hit - 1, true, dc.get())) {
            const std::span<PlayOrderEntry> entries = grid->Entries();
            for (int32_t i = 0; i < static_cast<int32_t>(entries.size()); ++i)
                if (i != hit - 1) grid->SetCellLit(i, false, dc.get());
            if (!Drag.dragging) ShowHovered(hit - 1);
        }
    } else {
        UnlightAll(dc.get());
    }
    if (Drag.dragging) ScrollTowardPointer(*grid, y);

    if (!Shade() && (keys & MK_LBUTTON) && Drag.index >= 0 && !Drag.dragging &&
        drag_started(x - Drag.x, y - Drag.y, GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG))) {
        Drag.dragging = true;
        ShowCursor(FALSE);
    }
    if (Drag.dragging) grid->DrawDragCell(Drag.index, dc.get(), x, y);
    SetTimer(hwnd, TIMER_HOVER, kHoverMs, nullptr);
}

void OnLButtonDown(HWND hwnd, BOOL, int x, int y, UINT) {
    SetForegroundWindow(Player.MainWindow);
    SetCapture(hwnd);
    Drag.index = -1;
    TrackGrid* grid = Player.TrackGrid.get();
    if (!grid) return;
    WindowDC dc(hwnd);
    if (const int32_t arrow = Shade() ? 0 : hit_arrow(x, y)) {
        grid->DrawArrows(dc.get(), arrow, true);
        grid->SetScrolling(true);
        grid->StartScroll(arrow);
        if (Playing()) SetTimer(hwnd, TIMER_GRID_FOLLOW, kFollowPauseMs, nullptr);
    } else if (const int32_t hit = grid->HitCell(x, y)) {
        const PlayOrderEntry& entry = grid->Entries()[hit - 1];
        if (!entry.excluded) grid->SetCellPressed(hit - 1, true, dc.get());
        Drag = {hit - 1, x, y, false};
    }
}

// The dragged entry lands on position `to`; the player follows the new order.
void Drop(TrackGrid& grid, int32_t to, HDC dc) {
    DiscRecord& disc = *Player.Disc;
    move_entry(grid.Entries(), Drag.index, to);
    const int32_t at = PositionOfDeviceTrack();
    if (at >= 0) disc.current_index = at;
    grid.RedrawGrid(dc, CurrentPosition());
    ReplanRange();
}

void OnLButtonUp(HWND hwnd, int x, int y, UINT) {
    TrackGrid* grid = Player.TrackGrid.get();
    if (grid && Player.Disc) {
        WindowDC dc(hwnd);
        const int32_t hit = grid->HitCell(x, y);
        const bool over_pressed = hit && grid->Entries()[hit - 1].pressed;
        if (over_pressed && !Drag.dragging) {
            PlayPosition(hit - 1);
        } else if ((!Shade() && hit_arrow(x, y)) || grid->Scrolling()) {
            grid->SetScrolling(false);
            grid->DrawArrows(dc.get(), 0, false);
        }
        if (Drag.dragging) {
            EndDrag();
            grid->SetScrolling(false);
            if (hit) Drop(*grid, hit - 1, dc.get());
            else grid->RedrawGrid(dc.get(), CurrentPosition());  // wipes the dragged cell
        }
        const std::span<PlayOrderEntry> entries = grid->Entries();
        for (int32_t i = 0; i < static_cast<int32_t>(entries.size()); ++i)
            grid->SetCellPressed(i, false, dc.get());
    }
    EndDrag();  // also when the disc went away during the drag
    Drag.index = -1;
    ReleaseCapture();
}

// The capture went elsewhere before the button came up (another window
// took it): a drag or a held arrow ends without a drop.
LRESULT OnCaptureChanged(HWND hwnd, HWND gaining) {
    if (gaining == hwnd) return 0;
    const bool was_dragging = Drag.dragging;
    const int32_t pressed = Drag.index;
    EndDrag();
    Drag.index = -1;
    TrackGrid* grid = Player.TrackGrid.get();
    if (!grid) return 0;
    WindowDC dc(hwnd);
    grid->SetScrolling(false);
    if (was_dragging) grid->RedrawGrid(dc.get(), CurrentPosition());  // wipes the dragged cell
    if (pressed >= 0 && pressed < static_cast<int32_t>(grid->Entries().size()))
        grid->SetCellPressed(pressed, false, dc.get());
    return 0;
}

void OnRButtonDown(HWND hwnd, BOOL, int x, int y, UINT) {
    TrackGrid* grid = Player.TrackGrid.get();
    if (!grid) return;
    const int32_t hit = grid->HitCell(x, y);
    if (!hit) return;
    const PlayOrderEntry& entry = grid->Entries()[hit - 1];
    if (entry.pressed) return;
    WindowDC dc(hwnd);
    grid->SetCellExcluded(hit - 1, !entry.excluded, dc.get());
    ReplanRange();
}

// The playing entry blinks; the others are made steady.
void OnBlinkTimer(HWND hwnd) {
    TrackGrid* grid = Player.TrackGrid.get();
    if (!grid || !Player.Disc) {
        KillTimer(hwnd, TIMER_GRID_BLINK);
        return;
    }
    const std::span<PlayOrderEntry> entries = grid->Entries();
    const int32_t current = Player.Disc->current_index;
    const bool in_order = current >= 0 && current < static_cast<int32_t>(entries.size());
    WindowDC dc(hwnd);
    if (Playing()) {
        for (int32_t i = 0; i < static_cast<int32_t>(entries.size()); ++i)
            if (i != current && entries[i].blink) grid->ToggleCellBlink(i, dc.get());
        if (in_order) grid->ToggleCellBlink(current, dc.get());
    } else {
        KillTimer(hwnd, TIMER_GRID_BLINK);
        if (in_order) {
            entries[current].blink = 0;
            grid->DrawCell(current, dc.get());
        }
    }
}

// Keeps the playing entry in view; skips a tick while an animation runs.
void OnFollowTimer(HWND hwnd) {
    TrackGrid* grid = Player.TrackGrid.get();
    if (!grid || !Player.Disc || !Player.Disc->loaded) {
        KillTimer(hwnd, TIMER_GRID_FOLLOW);
        return;
    }
    if (!Playing() || Drag.dragging) return;
    SetTimer(hwnd, TIMER_GRID_FOLLOW, kFollowMs, nullptr);
    SemaphoreSlot slot(grid->ScrollLock(), 0);
    if (!slot.held()) return;
    const int32_t target = follow_target(grid->View(), Player.Disc->current_index);
    if (target) grid->StartScroll(target);
}

void OnHoverTimer(HWND hwnd) {
    RECT r;
    POINT cursor;
    GetWindowRect(hwnd, &r);
    GetCursorPos(&cursor);
    if (PtInRect(&r, cursor)) return;
    if (Player.TrackGrid && Player.Disc) {
        WindowDC dc(hwnd);
        UnlightAll(dc.get());
    }
    KillTimer(hwnd, TIMER_HOVER);
}

void OnTimer(HWND hwnd, UINT id) {
    switch (id) {
        case TIMER_GRID_BLINK: OnBlinkTimer(hwnd); break;
        case TIMER_GRID_FOLLOW: OnFollowTimer(hwnd); break;
        case TIMER_HOVER: OnHoverTimer(hwnd); break;
    }
}

// A Quick Track choice plays its position as a click on the entry would; an
// excluded entry, which a click does not press, is not played.
void OnCommand(HWND, int id, HWND, UINT) {
    const int32_t p = id - IDM_TRACK_FIRST;
    const DiscRecord* disc = Player.Disc.get();
    if (!disc || !disc->loaded || !Player.TrackGrid || p < 0 || p >= disc->track_count) return;
    const std::span<PlayOrderEntry> entries = Player.TrackGrid->Entries();
    if (p >= static_cast<int32_t>(entries.size()) || entries[p].excluded) return;
    PlayPosition(p);
}

}  // namespace

LRESULT CALLBACK TracksWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        HANDLE_MSG(hwnd, WM_PAINT, OnPaint);
        HANDLE_MSG(hwnd, WM_MOUSEMOVE, OnMouseMove);
        HANDLE_MSG(hwnd, WM_LBUTTONDOWN, OnLButtonDown);
        HANDLE_MSG(hwnd, WM_LBUTTONUP, OnLButtonUp);
        HANDLE_MSG(hwnd, WM_RBUTTONDOWN, OnRButtonDown);
        HANDLE_MSG(hwnd, WM_TIMER, OnTimer);
        HANDLE_MSG(hwnd, WM_COMMAND, OnCommand);
        case WM_CAPTURECHANGED: return OnCaptureChanged(hwnd, reinterpret_cast<HWND>(lParam));
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
