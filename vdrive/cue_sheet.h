#pragma once
// The virtual drive's disc: a CUE sheet and its raw BIN image(s), turned into
// the table a CD drive reads from the disc. Positions are absolute frames:
// the image's first sector is at 00:02:00 (frame 150), after the lead-in.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int32_t kLeadInFrames = 150;
inline constexpr int32_t kSectorBytes = 2352;
inline constexpr int32_t kMaxDiscTracks = 99;

struct DiscTrack {
    int32_t number = 0;
    int32_t start = 0;  // absolute frame of INDEX 01
    bool audio = true;
};

struct DiscLayout {
    std::vector<DiscTrack> tracks;  // numbered 1, 2, ... in order
    int32_t lead_out = 0;           // absolute frame after the last sector

    int32_t first_start() const { return tracks.empty() ? kLeadInFrames : tracks.front().start; }
    // The track that holds `frame` (the first one for frames before it).
    const DiscTrack& track_at(int32_t frame) const;
    // Frames from the track's start to the next track's start; the last
    // track's length stops one frame short of the lead-out, as CD audio
    // drivers report it.
    int32_t track_length(int32_t number) const;
    // The frame where audio playing from `from` stops: the first data track
    // after it, or the lead-out.
    int32_t audio_end(int32_t from) const;
};

// The outcome of reading a disc: a layout, or why the drive cannot read it.
struct DiscReading {
    std::optional<DiscLayout> layout;
    std::string error;
};

// Reads a CUE sheet. size_of gives the size in bytes of a FILE the sheet
// names, or nothing when it cannot be found.
DiscReading read_cue(std::string_view cue,
                     const std::function<std::optional<uint64_t>(const std::string&)>& size_of);
