#include "cdaudio/cd_device.h"

#include <windows.h>
#include <mmsystem.h>

#include <optional>

#include "cdaudio/msf.h"

namespace {

MCIDEVICEID device(const DiscRecord& disc) { return static_cast<MCIDEVICEID>(disc.device_id); }

std::optional<DWORD> status_item(const DiscRecord& disc, DWORD item, DWORD track = 0) {
    MCI_STATUS_PARMS p{};
    p.dwItem = item;
    p.dwTrack = track;
    const DWORD flags = MCI_STATUS_ITEM | MCI_WAIT | (track ? MCI_TRACK : 0);
    if (mciSendCommandA(device(disc), MCI_STATUS, flags, reinterpret_cast<DWORD_PTR>(&p))) return std::nullopt;
    return static_cast<DWORD>(p.dwReturn);
}

bool set_time_format(const DiscRecord& disc, DWORD format) {
    MCI_SET_PARMS p{};
    p.dwTimeFormat = format;
    return mciSendCommandA(device(disc), MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&p)) == 0;
}

// One MCI_PLAY over the range [start, end) of TMSF tracks; no MCI_TO when
// the range runs to the end of the disc, no MCI_FROM when it continues from
// the head.
int32_t play_range_on_device(const DiscRecord& disc, const PlayRange& range, bool from_start) {
    MCI_PLAY_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(disc.owner_window);
    DWORD flags = MCI_NOTIFY;
    if (from_start) {
        flags |= MCI_FROM;
        p.dwFrom = MCI_MAKE_TMSF(range.start, 0, 0, 0);
    }
    if (range.end <= disc.track_count) {
        flags |= MCI_TO;
        p.dwTo = MCI_MAKE_TMSF(range.end, 0, 0, 0);
    }
    return mciSendCommandA(device(disc), MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&p)) ? kDevicePlayFailed
                                                                                      : kDeviceOk;
}

}  // namespace

int32_t open_disc(DiscRecord& disc, int32_t drive) {
    if (disc.device_id) {
        mciSendCommandA(device(disc), MCI_CLOSE, MCI_WAIT, 0);
        disc.device_id = 0;
    }
    const char element[] = {static_cast<char>('A' + drive), ':', 0};
    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<DWORD_PTR>(MCI_DEVTYPE_CD_AUDIO));
    open.lpstrElementName = element;
    if (drive < 0 || drive > 25 ||
        mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE,
                        reinterpret_cast<DWORD_PTR>(&open)))
        return kDeviceOpenFailed;
    disc.device_id = open.wDeviceID;

    disc.playing = 0;
    const int32_t mode = query_mode(disc);
    if (mode == kDeviceStatusFailed || mode == kDeviceDoorOpen) return mode;
    if (mode == kDevicePlaying) disc.playing = 1;

    const std::optional<DWORD> count = status_item(disc, MCI_STATUS_NUMBER_OF_TRACKS);
    if (!count) return kDeviceStatusFailed;
    disc.track_count = track_count_of(*count);

    // No time format is set: a freshly opened device answers in MSF.
    for (int32_t t = 1; t <= disc.track_count; ++t) {
        const std::optional<DWORD> start = status_item(disc, MCI_STATUS_POSITION, static_cast<DWORD>(t));
        if (!start) return kDeviceStatusFailed;
        disc.toc[t - 1] = toc_entry(unpack_msf(*start));
    }
    // A disc of no tracks has no last track to ask the length of.
    if (disc.track_count < 1) return kDeviceStatusFailed;
    const std::optional<DWORD> length = status_item(disc, MCI_STATUS_LENGTH, static_cast<DWORD>(disc.track_count));
    if (!length) return kDeviceStatusFailed;
    disc.toc[disc.track_count] = lead_out_entry(disc.toc[disc.track_count - 1], unpack_msf(*length));
    compute_lengths(disc);
    return disc.playing ? kDevicePlaying : kDeviceOk;
}

int32_t query_mode(const DiscRecord& disc) {
    const std::optional<DWORD> mode = status_item(disc, MCI_STATUS_MODE);
    if (!mode) return kDeviceStatusFailed;
    if (*mode == MCI_MODE_OPEN) return kDeviceDoorOpen;
    if (*mode == MCI_MODE_PLAY) return kDevicePlaying;
    return kDeviceOk;
}

int32_t play_from(DiscRecord& disc, int16_t index, std::span<const PlayOrderEntry> order, int32_t play_type) {
    if (index < kRunOut) return kDeviceOk;
    if (!set_time_format(disc, MCI_FORMAT_TMSF)) return kDeviceSetFailed;
    if (index == kRunOut)
        return mciSendCommandA(device(disc), MCI_PLAY, 0, 0) ? kDevicePlayFailed : kDeviceOk;
    const bool continuing = index == kContinueRange;
    const std::optional<PlayRange> range =
        play_range(order, continuing ? disc.current_index : index, play_type);
    if (!range) return kDeviceOk;
    return play_range_on_device(disc, *range, !continuing);
}

int32_t stop_device(const DiscRecord& disc) { return mciSendCommandA(device(disc), MCI_STOP, MCI_WAIT, 0) ? kDevicePlayFailed : kDeviceOk; }

int32_t toggle_pause(const DiscRecord& disc, std::span<const PlayOrderEntry> order, int32_t play_type) {
    const std::optional<DWORD> mode = status_item(disc, MCI_STATUS_MODE);
    if (!mode) return kDevicePlayFailed;
    switch (*mode) {
        case MCI_MODE_PLAY:
            return mciSendCommandA(device(disc), MCI_PAUSE, MCI_WAIT, 0) ? kDevicePlayFailed : kDeviceOk;
        case MCI_MODE_PAUSE:
            return mciSendCommandA(device(disc), MCI_RESUME, MCI_WAIT, 0) ? kDevicePlayFailed : kDeviceOk;
        case MCI_MODE_STOP: {
            // A seek leaves the device stopped: play on from the head to the
            // end of the current position's range.
            const std::optional<PlayRange> range = play_range(order, disc.current_index, play_type);
            if (!range) return kDeviceOk;
            if (!set_time_format(disc, MCI_FORMAT_TMSF)) return kDevicePlayFailed;
            return play_range_on_device(disc, *range, false);
        }
    }
    return kDeviceOk;
}

int32_t toggle_door(const DiscRecord& disc) {
    const std::optional<DWORD> mode = status_item(disc, MCI_STATUS_MODE);
    const DWORD flags = mode && *mode == MCI_MODE_OPEN ? MCI_SET_DOOR_CLOSED : MCI_SET_DOOR_OPEN;
    return mciSendCommandA(device(disc), MCI_SET, flags, 0) ? kDeviceSetFailed : kDeviceOk;
}

int32_t seek_to(const DiscRecord& disc, int16_t seconds, int16_t track, uint8_t flags) {
    const SeekTarget target = seek_target(disc, seconds, track, flags);
    if (!set_time_format(disc, target.disc_relative ? MCI_FORMAT_MSF : MCI_FORMAT_TMSF)) return kDeviceSetFailed;
    MCI_SEEK_PARMS p{};
    p.dwTo = target.position;
    return mciSendCommandA(device(disc), MCI_SEEK, MCI_TO | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p))
               ? kDeviceSeekFailed
               : kDeviceOk;
}

uint32_t position_tmsf(const DiscRecord& disc) {
    if (!set_time_format(disc, MCI_FORMAT_TMSF)) return 0;
    return status_item(disc, MCI_STATUS_POSITION).value_or(0);
}

uint32_t position_msf(const DiscRecord& disc) {
    if (!set_time_format(disc, MCI_FORMAT_MSF)) return 0;
    return status_item(disc, MCI_STATUS_POSITION).value_or(0);
}

int32_t time_readout(const DiscRecord& disc, int32_t mode) {
    const bool disc_wide = mode & kTimerDisc;
    return readout_seconds(disc, mode, disc_wide ? 0 : position_tmsf(disc), disc_wide ? position_msf(disc) : 0);
}

void close_disc(DiscRecord& disc) {
    if (disc.device_id) mciSendCommandA(device(disc), MCI_CLOSE, 0, 0);
    disc.device_id = 0;
}

bool range_running(const DiscRecord& disc) {
    const std::optional<DWORD> mode = status_item(disc, MCI_STATUS_MODE);
    return mode && (*mode == MCI_MODE_PLAY || *mode == MCI_MODE_PAUSE);
}

PlaybackHooks device_playback_hooks(DiscRecord& disc, std::span<const PlayOrderEntry> order, int32_t play_type) {
    PlaybackHooks hooks;
    hooks.stop_device = [&disc] { return stop_device(disc); };
    hooks.seek_to = [&disc](int16_t seconds, int16_t track, uint8_t flags) {
        return seek_to(disc, seconds, track, flags);
    };
    hooks.play_from = [&disc, order, play_type](int16_t index) { return play_from(disc, index, order, play_type); };
    return hooks;
}
