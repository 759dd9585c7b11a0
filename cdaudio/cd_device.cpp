#include "cdaudio/cd_device.h"

#include <windows.h>
#include <mmsystem.h>

#include <optional>

#include "app/player.h"
#include "cdaudio/msf.h"

namespace {

MCIDEVICEID device() { return Player.Disc ? static_cast<MCIDEVICEID>(Player.Disc->device_id) : 0; }

std::optional<DWORD> status_item(DWORD item, DWORD track = 0) {
    MCI_STATUS_PARMS p{};
    p.dwItem = item;
    p.dwTrack = track;
    const DWORD flags = MCI_STATUS_ITEM | MCI_WAIT | (track ? MCI_TRACK : 0);
    if (mciSendCommandA(device(), MCI_STATUS, flags, reinterpret_cast<DWORD_PTR>(&p))) return std::nullopt;
    return static_cast<DWORD>(p.dwReturn);
}

bool set_time_format(DWORD format) {
    MCI_SET_PARMS p{};
    p.dwTimeFormat = format;
    return mciSendCommandA(device(), MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&p)) == 0;
}

// One MCI_PLAY over the range [start, end) of TMSF tracks; no MCI_TO when
// the range runs to the end of the disc, no MCI_FROM when it continues from
// the head.
int32_t play_range_on_device(const PlayRange& range, bool from_start) {
    MCI_PLAY_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(Player.Disc->owner_window);
    DWORD flags = MCI_NOTIFY;
    if (from_start) {
        flags |= MCI_FROM;
        p.dwFrom = MCI_MAKE_TMSF(range.start, 0, 0, 0);
    }
    if (range.end <= Player.Disc->track_count) {
        flags |= MCI_TO;
        p.dwTo = MCI_MAKE_TMSF(range.end, 0, 0, 0);
    }
    return mciSendCommandA(device(), MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&p)) ? kDevicePlayFailed
                                                                                      : kDeviceOk;
}

void free_texts(DiscRecord& disc) {
    disc.disc_title.reset();
    disc.disc_id_text.reset();
    disc.category.reset();
    for (int32_t i = 0; i < disc.track_count && i < kMaxTracks; ++i) disc.track_titles[i].reset();
}

}  // namespace

int32_t open_disc() {
    if (!Player.Disc) return kDeviceOpenFailed;
    DiscRecord& disc = *Player.Disc;
    if (disc.device_id) {
        mciSendCommandA(device(), MCI_CLOSE, MCI_WAIT, 0);
        disc.device_id = 0;
    }
    const char element[] = {static_cast<char>('A' + Settings.UseDrive), ':', 0};
    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<DWORD_PTR>(MCI_DEVTYPE_CD_AUDIO));
    open.lpstrElementName = element;
    if (Settings.UseDrive < 0 || Settings.UseDrive > 25 ||
        mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE,
                        reinterpret_cast<DWORD_PTR>(&open)))
        return kDeviceOpenFailed;
    disc.device_id = open.wDeviceID;

    disc.playing = 0;
    const int32_t mode = query_mode();
    if (mode == kDeviceStatusFailed || mode == kDeviceDoorOpen) return mode;
    if (mode == kDevicePlaying) disc.playing = 1;

    const std::optional<DWORD> count = status_item(MCI_STATUS_NUMBER_OF_TRACKS);
    if (!count) return kDeviceStatusFailed;
    disc.track_count = track_count_of(*count);

    // No time format is set: a freshly opened device answers in MSF.
    for (int32_t t = 1; t <= disc.track_count; ++t) {
        const std::optional<DWORD> start = status_item(MCI_STATUS_POSITION, static_cast<DWORD>(t));
        if (!start) return kDeviceStatusFailed;
        disc.toc[t - 1] = toc_entry(unpack_msf(*start));
    }
    if (disc.track_count > 0) {
        const std::optional<DWORD> length =
            status_item(MCI_STATUS_LENGTH, static_cast<DWORD>(disc.track_count));
        if (!length) return kDeviceStatusFailed;
        disc.toc[disc.track_count] = lead_out_entry(disc.toc[disc.track_count - 1], unpack_msf(*length));
    }
    compute_lengths(disc);
    return disc.playing ? kDevicePlaying : kDeviceOk;
}

int32_t query_mode() {
    const std::optional<DWORD> mode = status_item(MCI_STATUS_MODE);
    if (!mode) return kDeviceStatusFailed;
    if (*mode == MCI_MODE_OPEN) return kDeviceDoorOpen;
    if (*mode == MCI_MODE_PLAY) return kDevicePlaying;
    return kDeviceOk;
}

int32_t play_from(int16_t index, std::span<const PlayOrderEntry> order) {
    if (!Player.Disc || index < kRunOut) return kDeviceOk;
    if (!set_time_format(MCI_FORMAT_TMSF)) return kDeviceSetFailed;
    if (index == kRunOut)
        return mciSendCommandA(device(), MCI_PLAY, 0, 0) ? kDevicePlayFailed : kDeviceOk;
    const bool continuing = index == kContinueRange;
    const std::optional<PlayRange> range =
        play_range(order, continuing ? Player.Disc->current_index : index, Settings.PlayType);
    if (!range) return kDeviceOk;
    return play_range_on_device(*range, !continuing);
}

int32_t stop_device() { return mciSendCommandA(device(), MCI_STOP, MCI_WAIT, 0) ? kDevicePlayFailed : kDeviceOk; }

int32_t toggle_pause(std::span<const PlayOrderEntry> order) {
    const std::optional<DWORD> mode = status_item(MCI_STATUS_MODE);
    if (!mode) return kDevicePlayFailed;
    switch (*mode) {
        case MCI_MODE_PLAY:
            return mciSendCommandA(device(), MCI_PAUSE, MCI_WAIT, 0) ? kDevicePlayFailed : kDeviceOk;
        case MCI_MODE_PAUSE:
            return mciSendCommandA(device(), MCI_RESUME, MCI_WAIT, 0) ? kDevicePlayFailed : kDeviceOk;
        case MCI_MODE_STOP: {
            // A seek leaves the device stopped: play on from the head to the
            // end of the current position's range.
            const std::optional<PlayRange> range = play_range(order, Player.Disc->current_index, Settings.PlayType);
            if (!range) return kDeviceOk;
            if (!set_time_format(MCI_FORMAT_TMSF)) return kDevicePlayFailed;
            return play_range_on_device(*range, false);
        }
    }
    return kDeviceOk;
}

int32_t toggle_door() {
    const std::optional<DWORD> mode = status_item(MCI_STATUS_MODE);
    const DWORD flags = mode && *mode == MCI_MODE_OPEN ? MCI_SET_DOOR_CLOSED : MCI_SET_DOOR_OPEN;
    return mciSendCommandA(device(), MCI_SET, flags, 0) ? kDeviceSetFailed : kDeviceOk;
}

int32_t seek_to(int16_t seconds, int16_t track, uint8_t flags) {
    if (!Player.Disc) return kDeviceSeekFailed;
    const SeekTarget target = seek_target(*Player.Disc, seconds, track, flags);
    if (!set_time_format(target.disc_relative ? MCI_FORMAT_MSF : MCI_FORMAT_TMSF)) return kDeviceSetFailed;
    MCI_SEEK_PARMS p{};
    p.dwTo = target.position;
    return mciSendCommandA(device(), MCI_SEEK, MCI_TO | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p))
               ? kDeviceSeekFailed
               : kDeviceOk;
}

uint32_t position_tmsf() {
    if (!set_time_format(MCI_FORMAT_TMSF)) return 0;
    return status_item(MCI_STATUS_POSITION).value_or(0);
}

uint32_t position_msf() {
    if (!set_time_format(MCI_FORMAT_MSF)) return 0;
    return status_item(MCI_STATUS_POSITION).value_or(0);
}

int32_t time_readout(int32_t mode) {
    if (!Player.Disc) return 0;
    const bool disc_wide = mode & kTimerDisc;
    return readout_seconds(*Player.Disc, mode, disc_wide ? 0 : position_tmsf(), disc_wide ? position_msf() : 0);
}

void clear_disc() {
    if (!Player.Disc) return;
    DiscRecord& disc = *Player.Disc;
    free_texts(disc);
    for (int32_t i = 0; i < disc.track_count && i < kMaxTracks; ++i) disc.track_seconds[i] = -1;
    disc.track_count = 0;
}

void close_disc() {
    if (!Player.Disc) return;
    free_texts(*Player.Disc);
    if (Player.Disc->device_id) mciSendCommandA(device(), MCI_CLOSE, 0, 0);
    Player.Disc->device_id = 0;
}

PlaybackHooks device_playback_hooks(std::span<const PlayOrderEntry> order) {
    PlaybackHooks hooks;
    hooks.stop_device = [] { return stop_device(); };
    hooks.seek_to = [](int16_t seconds, int16_t track, uint8_t flags) { return seek_to(seconds, track, flags); };
    hooks.play_from = [order](int16_t index) { return play_from(index, order); };
    return hooks;
}
