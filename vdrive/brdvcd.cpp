// brdvcd.drv: an MCI "cdaudio" driver whose drives are folders holding a CUE
// sheet and its BIN image. Wine's winmm loads it in place of its own CD
// driver; the program drives it through mciSendCommand like any CD drive.
// Tray and play state live in the drive's folder (see drive_state.h), so
// every process that opens the drive sees the same drive.
#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "base/owned_handles.h"
#include "cdaudio/msf.h"
#include "vdrive/disc_sound.h"
#include "vdrive/drive_folder.h"

extern "C" {
BOOL WINAPI mciDriverNotify(HANDLE callback, MCIDEVICEID device, UINT status);
DWORD_PTR WINAPI mciGetDriverData(MCIDEVICEID device);
BOOL WINAPI mciSetDriverData(MCIDEVICEID device, DWORD_PTR data);
__declspec(dllexport) LRESULT CALLBACK DriverProc(DWORD_PTR id, HDRVR driver, UINT msg, LPARAM p1, LPARAM p2);
}

namespace {

// The instance winmm opens first, before any device, gets this id.
constexpr DWORD_PTR kSessionId = 0xFFFFFFFF;
// How often a waiter looks for changes another process made.
constexpr DWORD kPollMs = 20;
// How often a pending notification does: it is told at once of commands of
// its own process, and otherwise waits for the range's end.
constexpr DWORD kNotifyPollMs = 500;

// The pending end-of-play notification of one open device. A thread waits
// for the range's end and posts MCI_NOTIFY_SUCCESSFUL; a command that
// interrupts the play cancels it and posts MCI_NOTIFY_ABORTED (or
// SUPERSEDED) itself; a play replaced from another process is noticed by its
// changed play number.
class PendingNotify {
public:
    ~PendingNotify() { cancel(0); }

    void start(const DriveFolder& folder, MCIDEVICEID device, HWND callback, uint32_t play_id) {
        cancel(MCI_NOTIFY_ABORTED);
        folder_ = &folder;
        device_ = device;
        callback_ = callback;
        play_id_ = play_id;
        posted_ = false;
        stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        recheck_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (stop_ && recheck_) thread_.reset(CreateThread(nullptr, 0, &PendingNotify::run, this, 0, nullptr));
        if (!thread_) post_once(MCI_NOTIFY_FAILURE);
    }

    // Ends a pending notification with `status` (0 posts nothing).
    void cancel(UINT status) {
        if (!thread_) return;
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
        stop_.reset();
        if (status) post_once(status);
    }

    bool pending() const { return thread_ && !posted_.load(); }

    // Has the waiter read the drive's state again, after a command of this
    // process changed it (a resume brings the range's end nearer).
    void recheck() {
        if (thread_) SetEvent(recheck_.get());
    }

private:
    static DWORD WINAPI run(void* self) {
        auto* pending = static_cast<PendingNotify*>(self);
        try {
            pending->wait_for_end();
        } catch (...) {
            pending->post_once(MCI_NOTIFY_FAILURE);
        }
        return 0;
    }

    void wait_for_end() {
        DWORD wait = 0;
        int64_t expected_end = -1;
        const HANDLE wakes[] = {stop_.get(), recheck_.get()};
        while (WaitForMultipleObjects(2, wakes, FALSE, wait) != WAIT_OBJECT_0) {
            const DriveState raw = folder_->read_state();
            const int64_t now = wall_clock_ms();
            if (raw.play_id != play_id_ || raw.tray_open) return post_once(MCI_NOTIFY_ABORTED);
            if (raw.mode == DriveMode::Paused) {
                wait = kNotifyPollMs;
                continue;
            }
            if (raw.mode == DriveMode::Stopped) {
                // Stopped by someone else, unless it was the end of this range
                // being written back before this thread saw it.
                return post_once(expected_end >= 0 && now >= expected_end ? MCI_NOTIFY_SUCCESSFUL
                                                                          : MCI_NOTIFY_ABORTED);
            }
            const int64_t left = ms_until_end(raw, now);
            expected_end = now + left;
            if (left == 0) return post_once(MCI_NOTIFY_SUCCESSFUL);
            wait = static_cast<DWORD>(std::min<int64_t>(left, kNotifyPollMs));
        }
    }

    void post_once(UINT status) {
        if (!posted_.exchange(true)) mciDriverNotify(callback_, device_, status);
    }

    const DriveFolder* folder_ = nullptr;
    MCIDEVICEID device_ = 0;
    HWND callback_ = nullptr;
    uint32_t play_id_ = 0;
    std::atomic<bool> posted_{true};
    OwnedHandle stop_;
    OwnedHandle recheck_;
    OwnedHandle thread_;
};

struct Device {
    MCIDEVICEID id = 0;
    std::optional<DriveFolder> folder;  // set by MCI_OPEN_DRIVER
    DWORD time_format = MCI_FORMAT_MSF;
    OwnedHandle claim;  // the drive taken shared or alone (see DriveFolder::claim)
    PendingNotify notify;
    DiscSound sound;  // the sound of the last play this device started
};

Device* device_of(DWORD_PTR id) {
    if (id == kSessionId) return nullptr;
    return reinterpret_cast<Device*>(mciGetDriverData(static_cast<MCIDEVICEID>(id)));
}

// ---- the command log ---------------------------------------------------

const char* command_name(UINT msg) {
    switch (msg) {
        case MCI_OPEN_DRIVER: return "OPEN";
        case MCI_CLOSE_DRIVER: return "CLOSE";
        case MCI_PLAY: return "PLAY";
        case MCI_STOP: return "STOP";
        case MCI_PAUSE: return "PAUSE";
        case MCI_RESUME: return "RESUME";
        case MCI_SEEK: return "SEEK";
        case MCI_STATUS: return "STATUS";
        case MCI_SET: return "SET";
        case MCI_INFO: return "INFO";
        case MCI_GETDEVCAPS: return "GETDEVCAPS";
    }
    return nullptr;
}

std::string flag_names(UINT msg, DWORD flags) {
    struct Name { DWORD bit; const char* name; };
    static const Name common[] = {{MCI_NOTIFY, "NOTIFY"}, {MCI_WAIT, "WAIT"}};
    static const Name play[] = {{MCI_FROM, "FROM"}, {MCI_TO, "TO"}};
    static const Name seek[] = {{MCI_TO, "TO"}, {MCI_SEEK_TO_START, "TO_START"}, {MCI_SEEK_TO_END, "TO_END"}};
    static const Name status[] = {{MCI_STATUS_ITEM, "ITEM"}, {MCI_TRACK, "TRACK"}, {MCI_STATUS_START, "START"}};
    static const Name set[] = {{MCI_SET_TIME_FORMAT, "TIME_FORMAT"}, {MCI_SET_DOOR_OPEN, "DOOR_OPEN"},
                               {MCI_SET_DOOR_CLOSED, "DOOR_CLOSED"}, {MCI_SET_AUDIO, "AUDIO"},
                               {MCI_SET_ON, "ON"}, {MCI_SET_OFF, "OFF"}};
    static const Name open[] = {{MCI_OPEN_SHAREABLE, "SHAREABLE"}, {MCI_OPEN_TYPE, "TYPE"},
                                {MCI_OPEN_TYPE_ID, "TYPE_ID"}, {MCI_OPEN_ELEMENT, "ELEMENT"}};
    std::string out;
    DWORD known = 0;
    auto add = [&](const Name* names, size_t n) {
        for (size_t i = 0; i < n; ++i)
            if (flags & names[i].bit) {
                if (!out.empty()) out += '|';
                out += names[i].name;
                known |= names[i].bit;
            }
    };
    add(common, std::size(common));
    switch (msg) {
        case MCI_PLAY: add(play, std::size(play)); break;
        case MCI_SEEK: add(seek, std::size(seek)); break;
        case MCI_STATUS: add(status, std::size(status)); break;
        case MCI_SET: add(set, std::size(set)); break;
        case MCI_OPEN_DRIVER: add(open, std::size(open)); break;
    }
    if (flags & ~known) {
        char extra[16];
        std::snprintf(extra, sizeof extra, "0x%lx", static_cast<unsigned long>(flags & ~known));
        if (!out.empty()) out += '|';
        out += extra;
    }
    return out.empty() ? "0" : out;
}

const char* format_name(DWORD f) {
    switch (f) {
        case MCI_FORMAT_MSF: return "MSF";
        case MCI_FORMAT_TMSF: return "TMSF";
        case MCI_FORMAT_MILLISECONDS: return "MS";
    }
    return "?";
}

const char* status_item_name(DWORD item) {
    switch (item) {
        case MCI_STATUS_MODE: return "MODE";
        case MCI_STATUS_NUMBER_OF_TRACKS: return "NUMBER_OF_TRACKS";
        case MCI_STATUS_POSITION: return "POSITION";
        case MCI_STATUS_LENGTH: return "LENGTH";
        case MCI_STATUS_CURRENT_TRACK: return "CURRENT_TRACK";
        case MCI_STATUS_MEDIA_PRESENT: return "MEDIA_PRESENT";
        case MCI_STATUS_READY: return "READY";
        case MCI_STATUS_TIME_FORMAT: return "TIME_FORMAT";
        case MCI_CDA_STATUS_TYPE_TRACK: return "TYPE_TRACK";
    }
    return "?";
}

// ---- positions -----------------------------------------------------------

// A position given in the device's time format, as an absolute frame.
std::optional<int32_t> frames_from(DWORD value, DWORD format, const DiscLayout& disc) {
    switch (format) {
        case MCI_FORMAT_MSF: {
            const Msf p = unpack_msf(value);
            if (p.seconds > 59 || p.frames > 74) return std::nullopt;
            return msf_to_frames(p);
        }
        case MCI_FORMAT_TMSF: {
            const Tmsf p = unpack_tmsf(value);
            if (p.track < 1 || p.track > static_cast<int32_t>(disc.tracks.size()) || p.seconds > 59 ||
                p.frames > 74)
                return std::nullopt;
            return disc.tracks[p.track - 1].start + msf_to_frames({p.minutes, p.seconds, p.frames});
        }
        case MCI_FORMAT_MILLISECONDS:
            return static_cast<int32_t>(static_cast<int64_t>(value) * 75 / 1000);
    }
    return std::nullopt;
}

DWORD position_in(int32_t frame, DWORD format, const DiscLayout& disc) {
    switch (format) {
        case MCI_FORMAT_TMSF: {
            const DiscTrack& t = disc.track_at(frame);
            const Msf in_track = frames_to_msf(frame > t.start ? frame - t.start : 0);
            return pack_tmsf({t.number, in_track.minutes, in_track.seconds, in_track.frames});
        }
        case MCI_FORMAT_MILLISECONDS:
            return static_cast<DWORD>(static_cast<int64_t>(frame) * 1000 / 75);
    }
    return pack_msf(frames_to_msf(frame));
}

// Lengths are reported in MSF under TMSF as well.
DWORD length_in(int32_t frames, DWORD format) {
    if (format == MCI_FORMAT_MILLISECONDS) return static_cast<DWORD>(static_cast<int64_t>(frames) * 1000 / 75);
    return pack_msf(frames_to_msf(frames));
}

// ---- the drive as one command sees it ------------------------------------

struct Snapshot {
    DriveState state;    // taken to the present
    DiscReading disc;
    bool has_media() const { return !state.tray_open && disc.layout.has_value(); }
};

// The drive at the instant `now`.
Snapshot look(const Device& dev, int64_t now) {
    Snapshot s{state_at(dev.folder->read_state(), now), dev.folder->read_disc()};
    // A disc put in from outside rests at the start of its first track.
    if (s.has_media() && s.state.mode == DriveMode::Stopped && s.state.position < s.disc.layout->first_start())
        s.state.position = s.disc.layout->first_start();
    return s;
}

void notify(HWND callback, MCIDEVICEID id, DWORD flags, DWORD result) {
    if ((flags & MCI_NOTIFY) && callback)
        mciDriverNotify(callback, id, result == 0 ? MCI_NOTIFY_SUCCESSFUL : MCI_NOTIFY_FAILURE);
}

HWND callback_of(LPARAM parms) {
    return parms ? reinterpret_cast<HWND>(reinterpret_cast<MCI_GENERIC_PARMS*>(parms)->dwCallback) : nullptr;
}

// A command with MCI_NOTIFY that does not interrupt playback replaces the
// pending notification, which is then told it was superseded.
void supersede(Device& dev, DWORD flags) {
    if ((flags & MCI_NOTIFY) && dev.notify.pending()) dev.notify.cancel(MCI_NOTIFY_SUPERSEDED);
}

// Blocks until the play `play_id` has ended or been replaced.
void wait_for_play(const Device& dev, uint32_t play_id) {
    for (;;) {
        const DriveState raw = dev.folder->read_state();
        const DriveState now = state_at(raw, wall_clock_ms());
        if (raw.play_id != play_id || now.mode == DriveMode::Stopped || raw.tray_open) return;
        const int64_t left = ms_until_end(raw, wall_clock_ms());
        Sleep(left > 0 && left < kPollMs ? static_cast<DWORD>(left) : kPollMs);
    }
}

// ---- commands ------------------------------------------------------------

DWORD open_device(Device& dev, DWORD flags, MCI_OPEN_PARMSW* parms) {
    char letter = 0;
    if ((flags & MCI_OPEN_ELEMENT) && parms && parms->lpstrElementName && parms->lpstrElementName[0]) {
        const wchar_t* name = parms->lpstrElementName;
        if (!((name[0] >= L'A' && name[0] <= L'Z') || (name[0] >= L'a' && name[0] <= L'z')) || name[1] != L':' ||
            !(name[2] == 0 || (name[2] == L'\\' && name[3] == 0)))
            return MCIERR_INVALID_FILE;
        letter = static_cast<char>(name[0] & ~0x20);
    } else {
        // No element: the first CD-ROM drive, as the system's CD driver does.
        for (char c = 'C'; c <= 'Z' && !letter; ++c) {
            const char root[] = {c, ':', '\\', 0};
            if (GetDriveTypeA(root) == DRIVE_CDROM) letter = c;
        }
        if (!letter) return MCIERR_INVALID_FILE;
    }
    const char root[] = {letter, ':', '\\', 0};
    if (GetDriveTypeA(root) != DRIVE_CDROM) return MCIERR_INVALID_FILE;
    DriveFolder folder(letter);
    if (folder.claim(flags & MCI_OPEN_SHAREABLE, dev.claim) == DriveFolder::Claim::Refused)
        return MCIERR_MUST_USE_SHAREABLE;
    dev.folder.emplace(std::move(folder));
    dev.time_format = MCI_FORMAT_MSF;
    return 0;
}

DWORD status(Device& dev, DWORD flags, MCI_STATUS_PARMS* parms, std::string& log) {
    if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
    log += std::string(" item=") + status_item_name(parms->dwItem);
    if (flags & MCI_TRACK) log += " track=" + std::to_string(parms->dwTrack);
    const Snapshot s = look(dev, wall_clock_ms());
    if (!s.disc.layout) log += " disc=\"" + s.disc.error + "\"";
    switch (parms->dwItem) {
        case MCI_STATUS_MODE: {
            DWORD mode = MCI_MODE_OPEN;
            if (s.has_media())
                mode = s.state.mode == DriveMode::Playing  ? MCI_MODE_PLAY
                     : s.state.mode == DriveMode::Paused ? MCI_MODE_PAUSE
                                                         : MCI_MODE_STOP;
            parms->dwReturn = MAKEMCIRESOURCE(mode, mode);
            log += std::string(" mode=") + std::to_string(mode);
            return MCI_RESOURCE_RETURNED;
        }
        case MCI_STATUS_MEDIA_PRESENT:
        case MCI_STATUS_READY:
            parms->dwReturn = s.has_media() ? MAKEMCIRESOURCE(TRUE, MCI_TRUE) : MAKEMCIRESOURCE(FALSE, MCI_FALSE);
            return MCI_RESOURCE_RETURNED;
        case MCI_STATUS_TIME_FORMAT:
            parms->dwReturn = MAKEMCIRESOURCE(dev.time_format, MCI_FORMAT_RETURN_BASE + dev.time_format);
            return MCI_RESOURCE_RETURNED;
    }
    if (!s.has_media()) return MCIERR_DEVICE_NOT_READY;
    const DiscLayout& disc = *s.disc.layout;
    const auto count = static_cast<DWORD>(disc.tracks.size());
    const bool track_given = flags & MCI_TRACK;
    if (track_given && (parms->dwTrack < 1 || parms->dwTrack > count)) return MCIERR_OUTOFRANGE;
    const DWORD format = dev.time_format;
    DWORD answer = 0;
    DWORD returned = 0;
    switch (parms->dwItem) {
        case MCI_STATUS_NUMBER_OF_TRACKS:
            answer = count;
            break;
        case MCI_STATUS_CURRENT_TRACK:
            answer = static_cast<DWORD>(disc.track_at(s.state.position).number);
            break;
        case MCI_STATUS_POSITION: {
            int32_t frame = s.state.position;
            if (track_given) frame = disc.tracks[parms->dwTrack - 1].start;
            else if (flags & MCI_STATUS_START) frame = disc.first_start();
            answer = position_in(frame, format, disc);
            returned = format == MCI_FORMAT_TMSF ? MCI_COLONIZED4_RETURN
                     : format == MCI_FORMAT_MSF  ? MCI_COLONIZED3_RETURN
                                                 : 0;
            log += " frame=" + std::to_string(frame);
            break;
        }
        case MCI_STATUS_LENGTH: {
            const int32_t frames = track_given ? disc.track_length(static_cast<int32_t>(parms->dwTrack))
                                               : disc.lead_out - disc.first_start() - 1;
            answer = length_in(frames, format);
            returned = format == MCI_FORMAT_MILLISECONDS ? 0 : MCI_COLONIZED3_RETURN;
            log += " frames=" + std::to_string(frames);
            break;
        }
        case MCI_CDA_STATUS_TYPE_TRACK:
            if (!track_given) return MCIERR_MISSING_PARAMETER;
            answer = disc.tracks[parms->dwTrack - 1].audio ? MCI_CDA_TRACK_AUDIO : MCI_CDA_TRACK_OTHER;
            parms->dwReturn = MAKEMCIRESOURCE(answer, answer);
            return MCI_RESOURCE_RETURNED;
        default:
            return MCIERR_UNSUPPORTED_FUNCTION;
    }
    parms->dwReturn = answer;
    char value[24];
    std::snprintf(value, sizeof value, " answer=0x%08lx", static_cast<unsigned long>(answer));
    log += value;
    return returned;
}

DWORD set(Device& dev, DWORD flags, MCI_SET_PARMS* parms, int64_t now, std::string& log) {
    if (flags & MCI_SET_VIDEO) return MCIERR_UNSUPPORTED_FUNCTION;
    if ((flags & MCI_SET_DOOR_OPEN) && (flags & MCI_SET_DOOR_CLOSED)) return MCIERR_FLAGS_NOT_COMPATIBLE;
    if (flags & MCI_SET_TIME_FORMAT) {
        if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
        const DWORD f = parms->dwTimeFormat;
        if (f != MCI_FORMAT_MSF && f != MCI_FORMAT_TMSF && f != MCI_FORMAT_MILLISECONDS)
            return MCIERR_BAD_TIME_FORMAT;
        dev.time_format = f;
        log += std::string(" format=") + format_name(f);
    }
    if (flags & (MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED)) {
        const DriveFolder::StateLock held = dev.folder->lock_state();
        Snapshot s = look(dev, now);
        if (flags & MCI_SET_DOOR_OPEN) {
            dev.notify.cancel(MCI_NOTIFY_ABORTED);
            drive_open_tray(s.state);
        } else {
            drive_close_tray(s.state, s.disc.layout ? &*s.disc.layout : nullptr);
        }
        if (!dev.folder->write_state(s.state)) return MCIERR_HARDWARE;
    }
    return 0;
}

DWORD play(Device& dev, DWORD flags, MCI_PLAY_PARMS* parms, int64_t now, std::string& log) {
    if ((flags & (MCI_FROM | MCI_TO)) && !parms) return MCIERR_NULL_PARAMETER_BLOCK;
    // Released before a waited play runs its course.
    std::optional<DriveFolder::StateLock> held{dev.folder->lock_state()};
    Snapshot s = look(dev, now);
    if (!s.has_media()) return MCIERR_DEVICE_NOT_READY;
    const DiscLayout& disc = *s.disc.layout;
    int32_t from = s.state.position;
    int32_t to = disc.lead_out;
    if (flags & MCI_FROM) {
        const std::optional<int32_t> f = frames_from(parms->dwFrom, dev.time_format, disc);
        if (!f) return MCIERR_OUTOFRANGE;
        from = *f;
    }
    if (flags & MCI_TO) {
        const std::optional<int32_t> t = frames_from(parms->dwTo, dev.time_format, disc);
        if (!t) return MCIERR_OUTOFRANGE;
        to = *t;
    }
    // Playing on from the head after a play has run out starts afresh at
    // the frame after the last one played.
    if (!(flags & MCI_FROM) && s.state.mode == DriveMode::Stopped && from + 1 == s.state.end) ++from;
    if (from < disc.first_start()) from = disc.first_start();
    log += " from=" + std::to_string(from) + " to=" + ((flags & MCI_TO) ? std::to_string(to) : "-");
    if (from >= to || to > disc.lead_out) return MCIERR_OUTOFRANGE;
    // A refused play leaves the running one and its notification alone.
    if (!drive_play(s.state, disc, from, to, now)) return MCIERR_HARDWARE;
    dev.notify.cancel(MCI_NOTIFY_ABORTED);
    if (!dev.folder->write_state(s.state)) return MCIERR_HARDWARE;
    held.reset();
    dev.sound.follow(*dev.folder, disc, s.state);
    if (flags & MCI_WAIT) {
        wait_for_play(dev, s.state.play_id);
        const DriveState after = dev.folder->read_state();
        if ((flags & MCI_NOTIFY) && parms)
            mciDriverNotify(callback_of(reinterpret_cast<LPARAM>(parms)), dev.id,
                            after.play_id == s.state.play_id && !after.tray_open ? MCI_NOTIFY_SUCCESSFUL
                                                                                  : MCI_NOTIFY_ABORTED);
        return 0;
    }
    if ((flags & MCI_NOTIFY) && parms)
        dev.notify.start(*dev.folder, dev.id, callback_of(reinterpret_cast<LPARAM>(parms)), s.state.play_id);
    return 0;
}

// Stop, pause, resume and seek: each changes the head and the play state.
DWORD transport(Device& dev, UINT msg, DWORD flags, LPARAM parms, int64_t now, std::string& log) {
    const DriveFolder::StateLock held = dev.folder->lock_state();
    Snapshot s = look(dev, now);
    if (!s.has_media()) return MCIERR_DEVICE_NOT_READY;
    const DiscLayout& disc = *s.disc.layout;
    switch (msg) {
        case MCI_STOP:
            dev.notify.cancel(MCI_NOTIFY_ABORTED);
            drive_stop(s.state);
            break;
        case MCI_PAUSE:
            // The play's notification stays pending: resuming finishes the range.
            drive_pause(s.state);
            break;
        case MCI_RESUME:
            drive_resume(s.state, now);
            break;
        case MCI_SEEK: {
            auto* seek = reinterpret_cast<MCI_SEEK_PARMS*>(parms);
            int32_t to = 0;
            const int given = !!(flags & MCI_TO) + !!(flags & MCI_SEEK_TO_START) + !!(flags & MCI_SEEK_TO_END);
            if (given != 1) return given ? MCIERR_FLAGS_NOT_COMPATIBLE : MCIERR_MISSING_PARAMETER;
            if (flags & MCI_SEEK_TO_START) to = disc.first_start();
            else if (flags & MCI_SEEK_TO_END) to = disc.lead_out;
            else {
                if (!seek) return MCIERR_NULL_PARAMETER_BLOCK;
                const std::optional<int32_t> t = frames_from(seek->dwTo, dev.time_format, disc);
                if (!t) return MCIERR_OUTOFRANGE;
                to = *t;
            }
            log += " to=" + std::to_string(to);
            if (!drive_seek(s.state, disc, to)) return MCIERR_OUTOFRANGE;
            dev.notify.cancel(MCI_NOTIFY_ABORTED);
            break;
        }
    }
    log += " position=" + std::to_string(s.state.position);
    const bool written = dev.folder->write_state(s.state);
    dev.notify.recheck();
    return written ? 0 : MCIERR_HARDWARE;
}

DWORD info(Device& dev, DWORD flags, MCI_INFO_PARMSW* parms) {
    if (!parms || !parms->lpstrReturn) return MCIERR_NULL_PARAMETER_BLOCK;
    std::wstring text;
    if (flags & MCI_INFO_PRODUCT) text = L"BRD virtual CD-ROM";
    else if (flags & (MCI_INFO_MEDIA_IDENTITY)) {
        const Snapshot s = look(dev, wall_clock_ms());
        if (!s.has_media()) return MCIERR_DEVICE_NOT_READY;
        text = std::to_wstring(s.disc.layout->lead_out);
    } else
        return MCIERR_UNSUPPORTED_FUNCTION;
    if (text.size() + 1 > parms->dwRetSize) return MCIERR_PARAM_OVERFLOW;
    lstrcpynW(parms->lpstrReturn, text.c_str(), static_cast<int>(parms->dwRetSize));
    return 0;
}

DWORD capabilities(DWORD flags, MCI_GETDEVCAPS_PARMS* parms) {
    if (!parms) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_GETDEVCAPS_ITEM)) return MCIERR_MISSING_PARAMETER;
    auto boolean = [parms](bool b) {
        parms->dwReturn = b ? MAKEMCIRESOURCE(TRUE, MCI_TRUE) : MAKEMCIRESOURCE(FALSE, MCI_FALSE);
        return MCI_RESOURCE_RETURNED;
    };
    switch (parms->dwItem) {
        case MCI_GETDEVCAPS_CAN_PLAY:
        case MCI_GETDEVCAPS_CAN_EJECT:
        case MCI_GETDEVCAPS_HAS_AUDIO:
            return boolean(true);
        case MCI_GETDEVCAPS_CAN_RECORD:
        case MCI_GETDEVCAPS_HAS_VIDEO:
        case MCI_GETDEVCAPS_USES_FILES:
        case MCI_GETDEVCAPS_COMPOUND_DEVICE:
        case MCI_GETDEVCAPS_CAN_SAVE:
            return boolean(false);
        case MCI_GETDEVCAPS_DEVICE_TYPE:
            parms->dwReturn = MAKEMCIRESOURCE(MCI_DEVTYPE_CD_AUDIO, MCI_DEVTYPE_CD_AUDIO);
            return MCI_RESOURCE_RETURNED;
    }
    return MCIERR_UNSUPPORTED_FUNCTION;
}

// The commands that move the head or change the play.
bool changes_play(UINT msg, DWORD flags) {
    switch (msg) {
        case MCI_CLOSE_DRIVER:
        case MCI_PLAY:
        case MCI_STOP:
        case MCI_PAUSE:
        case MCI_RESUME:
        case MCI_SEEK:
            return true;
        case MCI_SET:
            return flags & (MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED);
    }
    return false;
}

DWORD command(Device& dev, UINT msg, DWORD flags, LPARAM parms) {
    std::string log;
    DWORD result = 0;
    // The sound stops while the command changes the drive, and goes on (or
    // follows the new play) after it.
    const bool changing = dev.folder && changes_play(msg, flags);
    const int64_t now = changing ? dev.sound.halt() : wall_clock_ms();
    switch (msg) {
        case MCI_OPEN_DRIVER:
            result = open_device(dev, flags, reinterpret_cast<MCI_OPEN_PARMSW*>(parms));
            break;
        case MCI_CLOSE_DRIVER:
            dev.notify.cancel(MCI_NOTIFY_ABORTED);
            break;
        case MCI_STATUS:
            supersede(dev, flags);
            result = status(dev, flags, reinterpret_cast<MCI_STATUS_PARMS*>(parms), log);
            break;
        case MCI_SET:
            supersede(dev, flags);
            result = set(dev, flags, reinterpret_cast<MCI_SET_PARMS*>(parms), now, log);
            break;
        case MCI_PLAY:
            result = play(dev, flags, reinterpret_cast<MCI_PLAY_PARMS*>(parms), now, log);
            break;
        case MCI_STOP:
        case MCI_PAUSE:
        case MCI_RESUME:
        case MCI_SEEK:
            result = transport(dev, msg, flags, parms, now, log);
            break;
        case MCI_INFO:
            supersede(dev, flags);
            result = info(dev, flags, reinterpret_cast<MCI_INFO_PARMSW*>(parms));
            break;
        case MCI_GETDEVCAPS:
            supersede(dev, flags);
            result = capabilities(flags, reinterpret_cast<MCI_GETDEVCAPS_PARMS*>(parms));
            break;
        default:
            result = MCIERR_UNRECOGNIZED_COMMAND;
            break;
    }
    // A closed device makes no more sound; the disc plays on.
    if (changing && msg != MCI_CLOSE_DRIVER) dev.sound.carry_on();
    if (dev.folder) {
        const char* name = command_name(msg);
        char head[160];
        std::snprintf(head, sizeof head, "%lld pid=%lu dev=%u %s flags=%s",
                      static_cast<long long>(wall_clock_ms()), GetCurrentProcessId(), dev.id,
                      name ? name : std::to_string(msg).c_str(), flag_names(msg, flags).c_str());
        dev.folder->log(std::string(head) + log + " result=" + std::to_string(LOWORD(result)));
    }
    // The play notifications are posted by play() itself.
    if (msg != MCI_PLAY) notify(callback_of(parms), dev.id, flags, LOWORD(result));
    return result;
}

LRESULT open_instance(MCI_OPEN_DRIVER_PARMS* parms) {
    if (!parms) return kSessionId;
    auto dev = std::make_unique<Device>();
    dev->id = parms->wDeviceID;
    parms->wCustomCommandTable = MCI_NO_COMMAND_TABLE;
    parms->wType = MCI_DEVTYPE_CD_AUDIO;
    mciSetDriverData(parms->wDeviceID, reinterpret_cast<DWORD_PTR>(dev.release()));
    return parms->wDeviceID;
}

LRESULT close_instance(DWORD_PTR id) {
    if (Device* dev = device_of(id)) {
        mciSetDriverData(static_cast<MCIDEVICEID>(id), 0);
        delete dev;
    }
    return 1;
}

}  // namespace

static LRESULT driver_message(DWORD_PTR id, HDRVR driver, UINT msg, LPARAM p1, LPARAM p2) {
    switch (msg) {
        case DRV_LOAD:
        case DRV_FREE:
        case DRV_ENABLE:
        case DRV_DISABLE:
            return 1;
        case DRV_OPEN:
            return open_instance(reinterpret_cast<MCI_OPEN_DRIVER_PARMS*>(p2));
        case DRV_CLOSE:
            return close_instance(id);
        case DRV_QUERYCONFIGURE:
            return 0;
        case DRV_CONFIGURE:
        case DRV_INSTALL:
        case DRV_REMOVE:
            return DRVCNF_OK;
    }
    if (msg < DRV_MCI_FIRST || msg > DRV_MCI_LAST) return DefDriverProc(id, driver, msg, p1, p2);
    Device* dev = device_of(id);
    if (!dev) return MCIERR_UNSUPPORTED_FUNCTION;
    if (!dev->folder && msg != MCI_OPEN_DRIVER) return MCIERR_DEVICE_NOT_READY;
    return command(*dev, msg, static_cast<DWORD>(p1), p2);
}

LRESULT CALLBACK DriverProc(DWORD_PTR id, HDRVR driver, UINT msg, LPARAM p1, LPARAM p2) {
    try {
        return driver_message(id, driver, msg, p1, p2);
    } catch (...) {
        // Out of memory in a log line or a path must not cross into winmm.
        return msg >= DRV_MCI_FIRST && msg <= DRV_MCI_LAST ? MCIERR_OUT_OF_MEMORY : 0;
    }
}
