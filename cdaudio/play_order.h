#pragma once
// The Play order: which track plays at each position, which positions are
// skipped, and how much of the disc one device play command covers.
// Portable: the device commands and the window effects these rules lead to
// are carried out by the caller (see PlaybackHooks).
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "cdaudio/disc_record.h"

// One position of the Play order. The first three fields are the order
// itself; the last three are the track grid's display state for the cell.
struct PlayOrderEntry {
    int32_t position = 0;  // i + 1 for position i, fixed
    int32_t track = 0;     // 1-based track played at this position
    uint8_t lit = 0;       // the pointer is over the cell
    uint8_t pressed = 0;   // the left button went down on the cell
    uint8_t excluded = 0;  // playback skips this position
    uint8_t blink = 0;     // toggled every 750 ms while this position plays
};

using PlayOrder = std::vector<PlayOrderEntry>;

// Bits of "PlayType": how the Play order repeats and whether it is shuffled.
inline constexpr int32_t kPlayRepeatCd = 1, kPlayRepeatTrack = 2, kPlayShuffle = 4;

// A new disc's order: position i plays track i + 1, nothing excluded.
PlayOrder make_play_order(int32_t track_count);

// The next playable position after p (p may be -1) in the given direction,
// wrapping around the ends at most twice; -1 when every position is excluded.
int32_t next_index(std::span<const PlayOrderEntry> order, int32_t p, bool forward);

// One device play command: from the start of `start` to the start of `end`
// (TMSF track numbers, time 0). An end beyond the last track means "to the
// end of the disc", which the device is asked for without an end position.
struct PlayRange {
    int32_t start = 0;
    int32_t end = 0;
    bool operator==(const PlayRange&) const = default;
};

// The range that starts at position p, or nothing to play. play_type is the
// "PlayType" bit set (kPlayRepeatTrack makes a range one track). A range runs
// on while the next position played is the very next position and holds the
// next track on the disc. So it never takes in an excluded track that lies
// between two playable positions whose tracks follow each other, and never
// runs on past the last position into the start of the order (even when the
// first position holds the next track): the end of the order is decided when
// the range ends, by repeat CD. follow_device moves along a range by the same
// rule.
std::optional<PlayRange> play_range(std::span<const PlayOrderEntry> order, int32_t p,
                                    int32_t play_type);

// What the end of a played range leads to.
struct RangeEnd {
    enum Action {
        Stop,      // stop playback (nothing playing, or nothing playable)
        Finished,  // the Play order has been played through: stop, then "On Done"
        Replay,    // repeat track: play `index` (the current position) again
        Advance,   // make `index` the current position and play it
    } action = Stop;
    int32_t index = -1;
    bool operator==(const RangeEnd&) const = default;
};
RangeEnd decide_range_finished(std::span<const PlayOrderEntry> order, const DiscRecord& disc,
                               int32_t play_type);

// What the once-a-second look at the device's track leads to.
struct FollowStep {
    enum Action {
        Stay,    // nothing changes
        Replay,  // repeat track ran into the next track: play `index` again
        MoveTo,  // the device moved on inside its range: `index` is now current
    } action = Stay;
    int32_t index = -1;
    bool operator==(const FollowStep&) const = default;
};
FollowStep decide_follow_device(std::span<const PlayOrderEntry> order, const DiscRecord& disc,
                                int32_t play_type, int32_t device_track);

// The device operations these rules drive and the window effects they name.
// The device side is bound to the CD device operations; unset window hooks
// are skipped, so a caller fills in only what it shows.
struct PlaybackHooks {
    std::function<int32_t()> stop_device;
    std::function<int32_t(int16_t seconds, int16_t track, uint8_t flags)> seek_to;
    std::function<int32_t(int16_t index)> play_from;

    // The player has stopped: redraw the cell at `index`, show disc_seconds
    // dim, clear title line 2, slider at 0, shade line 66, tray icon 136,
    // redraw title line 1.
    std::function<void(int32_t index)> show_stopped;
    // Title line 2 shows this track's title.
    std::function<void(int32_t track)> show_track_title;
    // The Play order has been played through: apply "On Done".
    std::function<void()> order_done;
};

// The transport stop: stops the device and, if the player was playing or
// paused, returns it to the stopped state with the head at track 1.
void stop_playback(DiscRecord& disc, const PlaybackHooks& hooks);

// The device reported a range played to its end (MCI_NOTIFY_SUCCESSFUL).
void range_finished(DiscRecord& disc, std::span<const PlayOrderEntry> order,
                    int32_t play_type, const PlaybackHooks& hooks);

// The second timer's look at the track under the device head while playing.
void follow_device(DiscRecord& disc, std::span<const PlayOrderEntry> order, int32_t play_type,
                   int32_t device_track, const PlaybackHooks& hooks);
