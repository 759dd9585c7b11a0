#include "vdrive/drive_state.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace {

const char* mode_name(DriveMode m) {
    switch (m) {
        case DriveMode::Playing: return "playing";
        case DriveMode::Paused: return "paused";
        case DriveMode::Stopped: break;
    }
    return "stopped";
}

template <typename T>
void read_number(std::string_view v, T& out) {
    T value{};
    const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (ec == std::errc{} && ptr == v.data() + v.size()) out = value;
}

int32_t frames_since(int64_t started_ms, int64_t now_ms) {
    if (now_ms <= started_ms) return 0;
    return static_cast<int32_t>((now_ms - started_ms) * 75 / 1000);
}

}  // namespace

std::string format_state(const DriveState& s) {
    std::string out;
    out += "tray=" + std::string(s.tray_open ? "open" : "closed") + "\n";
    out += "mode=" + std::string(mode_name(s.mode)) + "\n";
    out += "position=" + std::to_string(s.position) + "\n";
    out += "started=" + std::to_string(s.started_ms) + "\n";
    out += "end=" + std::to_string(s.end) + "\n";
    out += "play=" + std::to_string(s.play_id) + "\n";
    return out;
}

DriveState parse_state(std::string_view text) {
    DriveState s;
    while (!text.empty()) {
        size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "tray") s.tray_open = value == "open";
        else if (key == "mode")
            s.mode = value == "playing" ? DriveMode::Playing
                   : value == "paused"  ? DriveMode::Paused
                                        : DriveMode::Stopped;
        else if (key == "position") read_number(value, s.position);
        else if (key == "started") read_number(value, s.started_ms);
        else if (key == "end") read_number(value, s.end);
        else if (key == "play") read_number(value, s.play_id);
    }
    return s;
}

DriveState state_at(DriveState s, int64_t now_ms) {
    if (s.mode != DriveMode::Playing) return s;
    const int32_t head = s.position + frames_since(s.started_ms, now_ms);
    if (head >= s.end) {
        s.mode = DriveMode::Stopped;
        s.position = s.end > s.position ? s.end - 1 : s.position;
    } else {
        s.position = head;
        s.started_ms = now_ms;
    }
    return s;
}

int64_t ms_until_end(const DriveState& s, int64_t now_ms) {
    if (s.mode != DriveMode::Playing) return -1;
    // The instant the range's last frame has been played, rounded up to a
    // whole millisecond.
    const int64_t end_ms = s.started_ms + (static_cast<int64_t>(s.end - s.position) * 1000 + 74) / 75;
    return end_ms > now_ms ? end_ms - now_ms : 0;
}

bool drive_play(DriveState& s, const DiscLayout& disc, int32_t from, int32_t to, int64_t now_ms) {
    if (s.tray_open || from < disc.first_start() || from >= disc.lead_out || to <= from ||
        to > disc.lead_out)
        return false;
    if (!disc.track_at(from).audio) return false;
    s.mode = DriveMode::Playing;
    s.position = from;
    s.started_ms = now_ms;
    s.end = std::min(to, disc.audio_end(from));
    ++s.play_id;
    return true;
}

void drive_stop(DriveState& s) {
    if (s.mode != DriveMode::Stopped) s.mode = DriveMode::Stopped;
}

void drive_pause(DriveState& s) {
    if (s.mode == DriveMode::Playing) s.mode = DriveMode::Paused;
}

void drive_resume(DriveState& s, int64_t now_ms) {
    if (s.mode != DriveMode::Paused) return;
    s.mode = DriveMode::Playing;
    s.started_ms = now_ms;
}

bool drive_seek(DriveState& s, const DiscLayout& disc, int32_t to) {
    if (s.tray_open || to < 0 || to > disc.lead_out) return false;
    s.mode = DriveMode::Stopped;
    s.position = to;
    return true;
}

void drive_open_tray(DriveState& s) {
    s.tray_open = true;
    s.mode = DriveMode::Stopped;
    s.position = kLeadInFrames;
}

void drive_close_tray(DriveState& s, const DiscLayout* disc) {
    s.tray_open = false;
    s.mode = DriveMode::Stopped;
    s.position = disc ? disc->first_start() : kLeadInFrames;
}
