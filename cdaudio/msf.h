#pragma once
// Disc positions: the packed MSF and TMSF words exchanged with the device,
// frame counts, and the arithmetic of the table of contents and the time
// readout. 75 frames make a second.
#include <cstdint>

#include "cdaudio/disc_record.h"

// Bits of "TimerType": the readout counts the disc (else the track) and
// counts down (else up).
inline constexpr int32_t kTimerDisc = 1, kTimerRemaining = 2;

struct Msf {
    int32_t minutes = 0, seconds = 0, frames = 0;
    bool operator==(const Msf&) const = default;
};

struct Tmsf {
    int32_t track = 0, minutes = 0, seconds = 0, frames = 0;
    bool operator==(const Tmsf&) const = default;
};

// The layouts of MCI_MAKE_MSF and MCI_MAKE_TMSF: one byte per field, lowest first.
constexpr uint32_t pack_msf(Msf p) {
    return (static_cast<uint32_t>(p.minutes) & 0xff) | (static_cast<uint32_t>(p.seconds) & 0xff) << 8 |
           (static_cast<uint32_t>(p.frames) & 0xff) << 16;
}
constexpr Msf unpack_msf(uint32_t v) {
    return {static_cast<int32_t>(v & 0xff), static_cast<int32_t>(v >> 8 & 0xff),
            static_cast<int32_t>(v >> 16 & 0xff)};
}
constexpr uint32_t pack_tmsf(Tmsf p) {
    return (static_cast<uint32_t>(p.track) & 0xff) | (static_cast<uint32_t>(p.minutes) & 0xff) << 8 |
           (static_cast<uint32_t>(p.seconds) & 0xff) << 16 | (static_cast<uint32_t>(p.frames) & 0xff) << 24;
}
constexpr Tmsf unpack_tmsf(uint32_t v) {
    return {static_cast<int32_t>(v & 0xff), static_cast<int32_t>(v >> 8 & 0xff),
            static_cast<int32_t>(v >> 16 & 0xff), static_cast<int32_t>(v >> 24 & 0xff)};
}

constexpr int32_t msf_to_frames(Msf p) {
    return (p.minutes * 60 + p.seconds) * kFramesPerSecond + p.frames;
}
constexpr Msf frames_to_msf(int32_t f) {
    return {f / (60 * kFramesPerSecond), f / kFramesPerSecond % 60, f % kFramesPerSecond};
}

// A table entry from the device's MSF answer, with its frame offset.
constexpr TocEntry toc_entry(Msf p) { return {p.minutes, p.seconds, p.frames, msf_to_frames(p)}; }

// The lead-out: the device reports the last track one frame short, so the
// frame is added back before the fields are carried.
TocEntry lead_out_entry(const TocEntry& last_start, Msf last_length);

// Whole seconds of a track: the difference of the whole-second parts of two
// starts (frames ignored), so 05:59:74 to 06:00:01 is one second.
constexpr int32_t whole_seconds_between(const TocEntry& from, const TocEntry& to) {
    return (to.minutes - from.minutes) * 60 + to.seconds - from.seconds;
}

// The record holds at most 100 tracks, whatever the device reports.
constexpr int32_t track_count_of(uint32_t reported) {
    return reported > kMaxTracks ? kMaxTracks : static_cast<int32_t>(reported);
}

// Fills track_seconds and disc_seconds from toc[0..track_count].
void compute_lengths(DiscRecord& disc);

// The time readout for "TimerType" bits (kTimerDisc, kTimerRemaining) from the
// device position: TMSF for the track readouts, MSF for the disc ones. A
// failed position query reads as 0; a track remaining readout for a track the
// disc does not have (track 0 from a failed query) reads 0, never a length
// from outside the table.
int32_t readout_seconds(const DiscRecord& disc, int32_t mode, uint32_t tmsf, uint32_t msf);

// A seek_to target: disc-relative (flag bit 0) or track-relative, seconds
// counted from the end when flag bit 1 is set. Track-relative yields a TMSF
// word, disc-relative an MSF word; disc-relative 0 is the recorded start of
// track 1.
struct SeekTarget {
    bool disc_relative = false;
    uint32_t position = 0;
};
SeekTarget seek_target(const DiscRecord& disc, int16_t seconds, int16_t track, uint8_t flags);
