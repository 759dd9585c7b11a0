#pragma once
// The virtual drive's tray and play state, kept in a small text file in the
// drive's folder so that a drive left playing keeps playing after the process
// that started it ends, and the next process finds it where a real drive
// would be. A running play is stored as where and when it started; its
// position at any instant follows from the wall clock.
#include <cstdint>
#include <string>
#include <string_view>

#include "vdrive/cue_sheet.h"

enum class DriveMode { Stopped, Playing, Paused };

struct DriveState {
    bool tray_open = false;
    DriveMode mode = DriveMode::Stopped;
    int32_t position = kLeadInFrames;  // the head; while playing, where the play started
    int64_t started_ms = 0;            // while playing: wall-clock ms when it started at `position`
    int32_t end = 0;                   // playing or paused: the frame the range stops before
    uint32_t play_id = 0;              // counts play commands, so a waiter can tell its play ended

    bool operator==(const DriveState&) const = default;
};

inline constexpr const char* kStateFileName = "brdvcd.state";
// Its byte 0 is locked by every read-modify-write of the state file.
inline constexpr const char* kStateLockFileName = "brdvcd.state.lock";
inline constexpr const char* kLogFileName = "brdvcd.log";
inline constexpr const char* kLockFileName = "brdvcd.lock";
// While it exists (the controller links it to a WAVE file), the sounding
// process appends every frame it plays to it.
inline constexpr const char* kCaptureFileName = "brdvcd.capture.wav";

std::string format_state(const DriveState& s);
// Unknown or missing fields keep their defaults: a damaged file gives a
// closed, stopped drive rather than a failure.
DriveState parse_state(std::string_view text);

// The drive at `now_ms`: a play is re-based to the present position, and a
// play whose range has run out has stopped on the last frame it played.
DriveState state_at(DriveState s, int64_t now_ms);

// Milliseconds until the running range ends (0 when it has); -1 when nothing plays.
int64_t ms_until_end(const DriveState& s, int64_t now_ms);

// The drive's answers to the commands, on a state already taken to the
// present with state_at. Each returns false when the drive refuses.
bool drive_play(DriveState& s, const DiscLayout& disc, int32_t from, int32_t to, int64_t now_ms);
void drive_stop(DriveState& s);
void drive_pause(DriveState& s);
void drive_resume(DriveState& s, int64_t now_ms);
bool drive_seek(DriveState& s, const DiscLayout& disc, int32_t to);
void drive_open_tray(DriveState& s);
void drive_close_tray(DriveState& s, const DiscLayout* disc);
