#pragma once
// The track grid: the Play order of the loaded disc drawn as numbered cells,
// three a row, in an off-screen picture of the whole grid that the tracks
// window shows a window of. Exists from a disc's set-up to its removal.
#include <windows.h>

#include <memory>
#include <span>

#include "app/owned_handles.h"
#include "cdaudio/play_order.h"
#include "display/grid_layout.h"
#include "display/memory_surface.h"

class TrackGrid {
public:
    // The Play order in disc order; the picture is made compatible with the
    // tracks window's device context.
    TrackGrid(HWND tracks_window, int32_t track_count);
    TrackGrid(const TrackGrid&) = delete;
    TrackGrid& operator=(const TrackGrid&) = delete;

    PlayOrder& Order() { return order_; }
    std::span<PlayOrderEntry> Entries() { return order_; }
    GridView& View() { return view_; }
    HANDLE ScrollLock() const { return scroll_lock_.get(); }

    // Settles the visible rows for the display mode, draws every cell into
    // the picture and shows it in the window.
    void RedrawGrid(HDC window_dc);
    // Redraws one entry into the picture and, when it is in view, into the
    // window (window_dc may be null to update the picture only).
    void DrawCell(int32_t index, HDC window_dc);
    // Copies the visible part of the picture to the window.
    void PaintGrid(HDC window_dc);
    // The arrows under the grid (normal mode only); which is kArrowUp,
    // kArrowDown or 0.
    void DrawArrows(HDC window_dc, int32_t which, bool pressed);

    // Flag setters: redraw only on a change; return the old value.
    bool SetCellLit(int32_t index, bool lit, HDC window_dc);
    bool SetCellPressed(int32_t index, bool pressed, HDC window_dc);
    bool SetCellExcluded(int32_t index, bool excluded, HDC window_dc);
    void ToggleCellBlink(int32_t index, HDC window_dc);
    // Un-lights every entry; true when one was lit.
    bool ClearLit(HDC window_dc);

private:
    PlayOrder order_;
    GridView view_;
    std::unique_ptr<MemorySurface> picture_;
    OwnedHandle scroll_lock_;
};
