#pragma once
// The track grid: the Play order of the loaded disc drawn as numbered cells,
// three a row, in an off-screen picture of the whole grid that the tracks
// window shows a window of. Exists from a disc's set-up to its removal.
#include <windows.h>

#include <atomic>
#include <memory>
#include <span>

#include "base/memory_surface.h"
#include "base/owned_handles.h"
#include "cdaudio/play_order.h"
#include "display/grid_layout.h"
#include "display/skin.h"

// A recursive lock for one process: the scroll thread and the main thread
// take turns at the grid's view and picture with it.
class CriticalSection {
    CRITICAL_SECTION cs_;

public:
    CriticalSection() { InitializeCriticalSection(&cs_); }
    ~CriticalSection() { DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void lock() { EnterCriticalSection(&cs_); }
    void unlock() { LeaveCriticalSection(&cs_); }
};

class TrackGrid {
public:
    // The Play order in disc order; the picture is made compatible with the
    // tracks window's device context.
    // The skin outlives the grid.
    TrackGrid(HWND tracks_window, const Skin& skin, int32_t track_count);
    TrackGrid(const TrackGrid&) = delete;
    TrackGrid& operator=(const TrackGrid&) = delete;
    // Ends a running scroll animation at once, at the step it is in, before
    // the picture goes.
    ~TrackGrid();

    PlayOrder& Order() { return order_; }
    std::span<PlayOrderEntry> Entries() { return order_; }
    GridView& View() { return view_; }
    HANDLE ScrollLock() const { return scroll_lock_.get(); }

    // Settles the visible rows for the display mode (keeping the Play order
    // position `current` in view), draws every cell into the picture and
    // shows it in the window.
    void RedrawGrid(HDC window_dc, int32_t current);
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

    // The 1-based entry under a point of the tracks window, or 0.
    int32_t HitCell(int32_t x, int32_t y);
    // While an entry is dragged: the grid, the arrows and the entry drawn
    // pressed and lit under the pointer at (x, y).
    void DrawDragCell(int32_t index, HDC window_dc, int32_t x, int32_t y);

    // Scrolls on a worker thread: kArrowUp or kArrowDown one row a pass for
    // as long as the scrolling flag stays set (the caller sets it), or to a
    // first visible row. Other targets, or a grid that fits, do nothing.
    void StartScroll(int32_t target);
    bool Scrolling() const { return scrolling_; }
    void SetScrolling(bool on) { scrolling_ = on; }

private:
    static void __cdecl ScrollThread(void* request);
    void Scroll(int32_t target);

    HWND window_;
    const Skin& skin_;
    PlayOrder order_;
    GridView view_;
    std::unique_ptr<MemorySurface> picture_;
    OwnedHandle scroll_lock_;
    // Held for each step of a scroll and each drawing on the main thread, so
    // neither sees the scroll offset and the first visible row out of step.
    CriticalSection view_lock_;
    std::atomic<bool> scrolling_{false};
    // Set when the grid goes: a scroll thread ends at its next step, woken
    // from its pause between steps.
    OwnedHandle closing_;
    std::atomic<int32_t> scroll_threads_{0};  // started and not yet ended
};
