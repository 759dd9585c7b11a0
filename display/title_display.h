#pragma once
// The two-line title display: line 1 the disc title, line 2 the track title.
// Each line's text is rendered once into an off-screen strip in the skin's
// bitmap font; a worker thread per line copies the visible part of its strip
// to the main window every tick, scrolling it when it is wider than its view.
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

    // Any thread: stores a new text (an absent one clears the line) and
    // renders it in the current display mode's font. Storing the text a
    // line already shows does not restart its scrolling.
    void SetDiscLine(const Text& text);
    void SetTrackLine(const Text& text);

    // Both lines are drawn again at their next tick (after a repaint).
    void RequestRedraw();

    // "NameScrolling": how a line wider than its view scrolls.
    void SetScrollStyle(int32_t style) { scroll_style_ = style; }

    // The disc-line and track-line locks, for whoever replaces the Disc
    // record's titles.
    LineLocks& Locks() { return *locks_; }
    // The same locks, for a worker that may outlive the title display.
    std::shared_ptr<LineLocks> SharedLocks() const { return locks_; }

private:
    struct Line {
        Text text;
        bool changed = false;
        int width = 0;  // pixels of the rendered text
        std::atomic<bool> redraw{false};
        std::unique_ptr<MemorySurface> strip;
        int strip_height = 0;
        bool strip_shade = false;  // the display mode whose font the strip has
    };
    // What a worker keeps between ticks.
    struct Worker {
        std::unique_ptr<MemorySurface> frame;
        ScrollState scroll;
        bool cleared = false;
        int view_width = 0;
    };

    std::binary_semaphore& LockOf(int line) { return line ? locks_->track_line : locks_->disc_line; }
    void SetLine(int line, const Text& text);
    // Renders a line's text into its strip in the current mode's font; the
    // caller holds the line's lock.
    void RenderStrip(Line& line);
    void Run(int line);
    bool Tick(int line, Worker& worker);  // false: the main window is gone

    Line lines_[2];
    std::shared_ptr<LineLocks> locks_ = std::make_shared<LineLocks>();
    HWND window_;
    const Skin& skin_;
    const std::atomic<int32_t>& shade_line_;
    std::atomic<int32_t> scroll_style_{0};
    int tick_ms_;
    std::atomic<bool> stopping_{false};
    std::thread workers_[2];
};
