#pragma once
// The virtual drive's disc: a CUE sheet and its images (raw BIN, big-endian
// BIN or WAVE files), turned into the table a CD drive reads from the disc and
// the map of where each frame's sound lies. Positions are absolute frames:
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
inline constexpr int32_t kLastFrame = (99 * 60 + 59) * 75 + 74;  // 99:59:74

struct DiscTrack {
    int32_t number = 0;
    int32_t start = 0;  // absolute frame of INDEX 01
    bool audio = true;
};

// One FILE of the sheet: where its samples (16-bit stereo) begin and their byte order.
struct DiscImage {
    std::string name;
    uint64_t data_offset = 0;  // a WAVE file's header comes first
    bool big_endian = false;   // MOTOROLA
};

// A stretch of the disc whose sound lies in an image; the gaps between
// stretches are silence.
struct ImageSpan {
    int32_t start = 0;  // absolute frame
    int32_t frames = 0;
    size_t image = 0;
    int32_t image_frame = 0;  // the image's sector that holds `start`
};

struct DiscLayout {
    std::vector<DiscTrack> tracks;  // numbered 1, 2, ... in order
    int32_t lead_out = 0;           // absolute frame after the last sector
    std::vector<DiscImage> images;
    std::vector<ImageSpan> spans;  // in disc order

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
    // The stretch that holds `frame`, or null in a gap.
    const ImageSpan* span_at(int32_t frame) const;
};

// The outcome of reading a disc: a layout, or why the drive cannot read it.
struct DiscReading {
    std::optional<DiscLayout> layout;
    std::string error;
};

// What the reader learns of a FILE the sheet names: its size, and for a WAVE
// file its first bytes, which hold the header.
struct ImageFile {
    uint64_t size = 0;
    std::string head;
};
inline constexpr size_t kWaveHeadBytes = 64 * 1024;

// Whether a FILE name stays inside the drive's folder: a relative path
// without a drive, a stream or a ".." step. (vdrivectl also follows links.)
bool names_inside_folder(std::string_view name);

// Reads a CUE sheet. open_image gives what it needs of a FILE (reading its
// first `head_bytes` bytes), or nothing when the file cannot be found.
DiscReading read_cue(std::string_view cue,
                     const std::function<std::optional<ImageFile>(const std::string&, size_t head_bytes)>& open_image);
