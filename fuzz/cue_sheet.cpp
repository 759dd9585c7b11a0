// A CUE sheet and its images as a user's folder may hold them, read as the
// virtual drive reads a disc. The input: the sheet, a zero byte, then every
// image the sheet names: a count of sectors (3 bytes, little-endian) after
// its first bytes, which follow (a WAVE file's header). A disc read is well
// formed and all its sound lies within its images.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "vdrive/cue_sheet.h"

namespace {

void expect_well_formed(const DiscLayout& disc, const ImageFile& image) {
    if (disc.tracks.empty() || disc.lead_out > kLastFrame || disc.first_start() < kLeadInFrames) std::abort();
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        const DiscTrack& track = disc.tracks[i];
        const auto number = static_cast<int32_t>(i + 1);
        if (track.number != number || disc.track_length(number) <= 0 || &disc.track_at(track.start) != &track ||
            disc.audio_end(track.start) <= track.start || disc.audio_end(track.start) > disc.lead_out)
            std::abort();
    }
    int32_t end = kLeadInFrames;
    for (const ImageSpan& span : disc.spans) {
        if (span.start < end || span.frames <= 0 || span.image >= disc.images.size() || span.image_frame < 0 ||
            disc.span_at(span.start) != &span || disc.span_at(span.start + span.frames - 1) != &span)
            std::abort();
        // The drive reads these bytes of the image: all of them must be there.
        const DiscImage& file = disc.images[span.image];
        const uint64_t last = file.data_offset + uint64_t(span.image_frame + span.frames) * kSectorBytes;
        if (last > image.size) std::abort();
        end = span.start + span.frames;
    }
    if (end > disc.lead_out) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t zero = std::min(input.find('\0'), input.size());
    const std::string_view sheet = input.substr(0, zero), rest = input.substr(std::min(zero + 1, size));
    ImageFile image;
    for (size_t i = 0; i < 3 && i < rest.size(); ++i) image.size |= uint64_t(uint8_t(rest[i])) << (8 * i);
    const std::string_view head = rest.substr(std::min<size_t>(3, rest.size()));
    image.size = image.size * kSectorBytes + head.size();
    const DiscReading reading = read_cue(sheet, [&](const std::string&, size_t head_bytes) {
        ImageFile file = image;
        file.head = head.substr(0, head_bytes);
        return std::optional<ImageFile>(file);
    });
    if (reading.layout) {
        if (!reading.error.empty()) std::abort();
        expect_well_formed(*reading.layout, image);
    } else if (reading.error.empty()) {
        std::abort();
    }
    return 0;
}
