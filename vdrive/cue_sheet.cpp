#include "vdrive/cue_sheet.h"

#include <algorithm>
#include <cctype>

const DiscTrack& DiscLayout::track_at(int32_t frame) const {
    const DiscTrack* found = &tracks.front();
    for (const DiscTrack& t : tracks)
        if (t.start <= frame) found = &t;
    return *found;
}

int32_t DiscLayout::track_length(int32_t number) const {
    const auto count = static_cast<int32_t>(tracks.size());
    if (number < 1 || number > count) return 0;
    if (number == count) return lead_out - tracks[number - 1].start - 1;
    return tracks[number].start - tracks[number - 1].start;
}

int32_t DiscLayout::audio_end(int32_t from) const {
    for (const DiscTrack& t : tracks)
        if (t.start > from && !t.audio) return t.start;
    return lead_out;
}

namespace {

// Splits a CUE line into words; a double-quoted word may hold spaces.
std::vector<std::string> words_of(std::string_view line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? line.size() : close;
            word = std::string(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                word += line[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "mm:ss:ff" to frames, or -1.
int32_t frames_of(const std::string& t) {
    int m = 0, s = 0, f = 0;
    char c1 = 0, c2 = 0;
    size_t pos = 0;
    auto number = [&](int& out) {
        const size_t start = pos;
        out = 0;
        while (pos < t.size() && std::isdigit(static_cast<unsigned char>(t[pos])) && pos - start < 4)
            out = out * 10 + (t[pos++] - '0');
        return pos > start;
    };
    if (!number(m) || pos >= t.size() || (c1 = t[pos++]) != ':' || !number(s) || pos >= t.size() ||
        (c2 = t[pos++]) != ':' || !number(f) || pos != t.size() || s > 59 || f > 74)
        return -1;
    return (m * 60 + s) * 75 + f;
}

bool parse_int(const std::string& s, int& out) {
    if (s.empty() || s.size() > 3) return false;
    out = 0;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

struct PendingTrack {
    int number = 0;
    bool audio = true;
    int32_t index01 = -1;   // frames from the start of its file
    int32_t shift = 0;      // PREGAP and POSTGAP frames before it on the disc
    int file = -1;
};

DiscReading fail(std::string why) { return {std::nullopt, std::move(why)}; }

}  // namespace

DiscReading read_cue(std::string_view cue,
                     const std::function<std::optional<uint64_t>(const std::string&)>& size_of) {
    std::vector<int32_t> file_frames;  // length of each FILE in frames
    std::vector<PendingTrack> tracks;
    int32_t gaps = 0;
    size_t line_no = 0;
    size_t at = 0;
    while (at <= cue.size()) {
        size_t eol = cue.find('\n', at);
        if (eol == std::string_view::npos) eol = cue.size();
        std::string_view line = cue.substr(at, eol - at);
        at = eol + 1;
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string> w = words_of(line);
        if (w.empty()) continue;
        const std::string cmd = upper(w[0]);
        const std::string where = "line " + std::to_string(line_no) + ": ";
        if (cmd == "FILE") {
            if (w.size() < 3) return fail(where + "FILE needs a name and a type");
            if (upper(w[2]) != "BINARY") return fail(where + "only BINARY files are supported");
            const std::optional<uint64_t> size = size_of(w[1]);
            if (!size) return fail(where + "cannot find \"" + w[1] + "\"");
            if (*size / kSectorBytes > 100u * 60 * 75) return fail(where + "\"" + w[1] + "\" is too large");
            file_frames.push_back(static_cast<int32_t>(*size / kSectorBytes));
        } else if (cmd == "TRACK") {
            int number = 0;
            if (w.size() < 3 || !parse_int(w[1], number)) return fail(where + "TRACK needs a number and a mode");
            if (file_frames.empty()) return fail(where + "TRACK before FILE");
            if (number != static_cast<int>(tracks.size()) + 1)
                return fail(where + "tracks must be numbered 1, 2, 3, ... in order");
            if (number > kMaxDiscTracks) return fail(where + "more than 99 tracks");
            const std::string mode = upper(w[2]);
            if (mode != "AUDIO" && mode != "MODE1/2352" && mode != "MODE2/2352")
                return fail(where + "unsupported track mode " + w[2]);
            tracks.push_back({number, mode == "AUDIO", -1, gaps, static_cast<int>(file_frames.size()) - 1});
        } else if (cmd == "INDEX") {
            int index = 0;
            const int32_t frames = w.size() >= 3 ? frames_of(w[2]) : -1;
            if (w.size() < 3 || !parse_int(w[1], index) || frames < 0)
                return fail(where + "INDEX needs a number and mm:ss:ff");
            if (tracks.empty()) return fail(where + "INDEX before TRACK");
            PendingTrack& t = tracks.back();
            if (frames > file_frames[t.file]) return fail(where + "INDEX lies beyond the end of its file");
            if (index == 1) t.index01 = frames;
        } else if (cmd == "PREGAP" || cmd == "POSTGAP") {
            const int32_t frames = w.size() >= 2 ? frames_of(w[1]) : -1;
            if (frames < 0) return fail(where + cmd + " needs mm:ss:ff");
            if (tracks.empty()) return fail(where + cmd + " before TRACK");
            gaps += frames;
            if (cmd == "PREGAP") tracks.back().shift = gaps;
        }
        // REM, TITLE, PERFORMER, CATALOG, FLAGS, ISRC and the like carry
        // nothing the drive reports.
    }
    if (tracks.empty()) return fail("no TRACK in the sheet");

    std::vector<int32_t> file_base(file_frames.size(), 0);
    for (size_t i = 1; i < file_frames.size(); ++i) file_base[i] = file_base[i - 1] + file_frames[i - 1];

    DiscLayout layout;
    for (const PendingTrack& t : tracks) {
        if (t.index01 < 0) return fail("track " + std::to_string(t.number) + " has no INDEX 01");
        const int32_t start = kLeadInFrames + file_base[t.file] + t.index01 + t.shift;
        if (!layout.tracks.empty() && start <= layout.tracks.back().start)
            return fail("track " + std::to_string(t.number) + " does not start after the track before it");
        layout.tracks.push_back({t.number, start, t.audio});
    }
    layout.lead_out = kLeadInFrames + file_base.back() + file_frames.back() + gaps;
    if (layout.lead_out <= layout.tracks.back().start + 1)
        return fail("the last track has no sectors in the image");
    return {std::move(layout), {}};
}
