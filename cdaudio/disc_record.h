#pragma once
// The Disc record: everything the program knows about the disc in the chosen
// drive (or, detached, about a stored entry). Portable: the device operations
// that fill it live in the Win32 layer.
#include <array>
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

struct DiscRecord {
    void* owner_window = nullptr;  // the main window's HWND; null for a detached record
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
};
