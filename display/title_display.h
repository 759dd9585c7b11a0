#pragma once
// The two-line title display: line 1 the disc title, line 2 the track title.
// A worker thread per line renders the part of its text around the view into
// an off-screen strip in the skin's bitmap font and copies the visible part
// to the main window every tick while it scrolls (when it is wider than its
// view); the worker of a line standing still wakes when told of a change,
// and otherwise a few times a second.
// In shade mode the two lines share one slot, given by `ShadeLine`.
//
// Lifetime: constructed at start-up, workers started by Start(), and both
// workers stopped and joined by the destructor before the strips go. The
// window, the skin and the shade line it is given outlive it.
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

#include "base/memory_surface.h"
#include "base/owned_handles.h"
#include "cdaudio/disc_record.h"
#include "discinfo/line_locks.h"
#include "display/skin.h"
#include "display/title_scroll.h"

class TitleDisplay {
public:
    // Draws on `window` from `skin`; in shade mode the line that `shade_line`
    // names (66 disc, 99 track) has the one slot.
    TitleDisplay(HWND window, const Skin& skin, const std::atomic<int32_t>& shade_line, int tick_ms = 40);
    ~TitleDisplay();
    TitleDisplay(const TitleDisplay&) = delete;
    TitleDisplay& operator=(const TitleDisplay&) = delete;

    // Starts the two workers; a second call does nothing.
    void Start();
    // Stops both workers and waits for them (also done by the destructor).
    // The shutdown calls it before the skin bitmaps they draw from go.
    void Stop();

    // Any thread: stores a new text (an absent one clears the line), which
    // the line's worker renders at once. Storing the text a line
    // already shows does not restart its scrolling.
    void SetDiscLine(const Text& text);
    void SetTrackLine(const Text& text);

    // Both lines are drawn again at once (after a repaint).
    void RequestRedraw();

    // "NameScrolling": how a line wider than its view scrolls.
    void SetScrollStyle(int32_t style);

    // The disc-line and track-line locks, for whoever replaces the Disc
    // record's titles.
    LineLocks& Locks() { return *locks_; }
    // The same locks, for a worker that may outlive the title display.
    std::shared_ptr<LineLocks> SharedLocks() const { return locks_; }

private:
    struct Line {
        Text text;
        bool changed = false;
        std::atomic<bool> redraw{false};
    };
    // A stretch of a line's rendered text, kStripWidth pixels from the cell
    // of `first`: only what comes into view is ever rendered, so drawing and
    // scrolling cost the same for a title of any length.
    struct Strip {
        std::unique_ptr<MemorySurface> surface;
        TextPlace first;
        bool valid = false;
    };
    // What a worker keeps between ticks: the window's context for its whole
    // run, and its line's background, so that a tick is three blits.
    struct Worker {
        std::unique_ptr<WindowDC> window;
        std::unique_ptr<MemorySurface> frame;
        std::unique_ptr<MemorySurface> background;  // of the view's width
        ScrollState scroll;
        bool cleared = false;
        int view_width = 0;
        int width = 0;    // pixels of the whole rendered text
        Strip strips[2];  // where the view is, and the text's start for the repeated copy
    };

    std::binary_semaphore& LockOf(int line) { return line ? locks_->track_line : locks_->disc_line; }
    void SetLine(int line, const Text& text);
    // A new text or display mode: measured again, nothing rendered yet.
    void Measure(const Line& line, Worker& worker, bool shade);
    // ORs `count` columns of the line's text from column `from` onto the
    // frame at x, rendering the strip again when they lie beyond it.
    void PaintColumns(HDC frame, Strip& strip, const std::string& text, bool shade, int from, int count, int x);
    void RenderStrip(Strip& strip, const std::string& text, bool shade, int column);
    void Run(int line);
    // Draws what changed; true while the line moves, so that it needs the next tick.
    bool Tick(int line, Worker& worker);
    void WakeWorkers();

    Line lines_[2];
    std::shared_ptr<LineLocks> locks_ = std::make_shared<LineLocks>();
    HWND window_;
    const Skin& skin_;
    const std::atomic<int32_t>& shade_line_;
    std::atomic<int32_t> scroll_style_{0};
    int tick_ms_;
    std::atomic<bool> stopping_{false};
    // Set when there is something to draw: a worker whose line stands still
    // sleeps until then (or a while) instead of ticking.
    OwnedHandle wakes_[2] = {OwnedHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
                             OwnedHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr))};
    std::thread workers_[2];
};
