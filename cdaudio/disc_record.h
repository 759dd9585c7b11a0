#pragma once
// The Disc record: everything the program knows about the disc in the chosen
// drive (or, detached, about a stored entry). Portable: the device operations
// that fill it live in the Win32 layer.
#include <array>
#include <atomic>
#include <cstdint>

#include "base/text.h"

inline constexpr int kMaxTracks = 100;
inline constexpr int kFramesPerSecond = 75;

struct TocEntry {
    int32_t minutes = 0;
    int32_t seconds = 0;
    int32_t frames = 0;
    int32_t frame_offset = 0;  // (minutes * 60 + seconds) * 75 + frames
};

// A record describes one disc for good: when the disc leaves, the drive gets
// a fresh record and this one stays as it was for whoever still holds it (a
// CDDB query, the CD Editor), no longer `loaded`. So its table of contents
// never changes once it is loaded, and `loaded`, set once and cleared once,
// tells a worker whether its disc is still in the drive; workers read it
// under the title display's line locks, which the player holds to clear it.
struct DiscRecord {
    void* owner_window = nullptr;  // the main window's HWND; null for a detached record
    // No other record of this process has it: the notices about the disc carry it.
    uint32_t serial = next_serial();
    uint32_t device_id = 0;        // MCI device id, 0 while no device is open
    std::array<TocEntry, kMaxTracks + 1> toc{};  // toc[track_count] is the lead-out
    int32_t track_count = 0;
    std::array<int32_t, kMaxTracks> track_seconds{};
    int32_t disc_seconds = 0;

    Text disc_title;
    Text disc_id_text;
    Text category;
    std::array<Text, kMaxTracks> track_titles;

    int32_t playing = 0;
    int32_t paused = 0;
    int32_t current_index = 1;
    uint8_t loaded = 0;

    explicit DiscRecord(void* owner = nullptr) : owner_window(owner) { track_seconds.fill(-1); }

private:
    static uint32_t next_serial() {
        static std::atomic<uint32_t> last{0};
        return ++last;
    }
};
