#include "cdaudio/msf.h"

TocEntry lead_out_entry(const TocEntry& last_start, Msf last_length) {
    int32_t minutes = last_start.minutes + last_length.minutes;
    int32_t seconds = last_start.seconds + last_length.seconds;
    int32_t frames = last_start.frames + last_length.frames + 1;
    seconds += frames / kFramesPerSecond;
    frames %= kFramesPerSecond;
    minutes += seconds / 60;
    seconds %= 60;
    return toc_entry({minutes, seconds, frames});
}

void compute_lengths(DiscRecord& disc) {
    const int32_t count = disc.track_count;
    disc.disc_seconds = disc.toc[count].minutes * 60 + disc.toc[count].seconds;
    for (int32_t i = 0; i < count; ++i)
        disc.track_seconds[i] = whole_seconds_between(disc.toc[i], disc.toc[i + 1]);
}

int32_t readout_seconds(const DiscRecord& disc, int32_t mode, uint32_t tmsf, uint32_t msf) {
    const bool remaining = mode & kTimerRemaining;
    if (mode & kTimerDisc) {
        const Msf p = unpack_msf(msf);
        const int32_t elapsed = p.minutes * 60 + p.seconds;
        return remaining ? disc.disc_seconds - elapsed : elapsed;
    }
    const Tmsf p = unpack_tmsf(tmsf);
    const int32_t elapsed = p.minutes * 60 + p.seconds;
    if (!remaining) return elapsed;
    if (p.track < 1 || p.track > disc.track_count) return 0;
    return disc.track_seconds[p.track - 1] - elapsed;
}

SeekTarget seek_target(const DiscRecord& disc, int16_t seconds, int16_t track, uint8_t flags) {
    const bool from_end = flags & 2;
    if (flags & 1) {
        if (from_end) seconds = static_cast<int16_t>(disc.disc_seconds - seconds);
        if (seconds == 0) return {true, pack_msf({disc.toc[0].minutes, disc.toc[0].seconds, 0})};
        return {true, pack_msf({seconds / 60, seconds % 60, 0})};
    }
    if (from_end && track >= 1 && track <= kMaxTracks)
        seconds = static_cast<int16_t>(disc.track_seconds[track - 1] - seconds);
    return {false, pack_tmsf({track, seconds / 60, seconds % 60, 0})};
}
