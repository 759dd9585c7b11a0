#include "vdrive/cue_sheet.h"

#include <algorithm>
#include <cctype>
#include <tuple>

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

const ImageSpan* DiscLayout::span_at(int32_t frame) const {
    for (const ImageSpan& s : spans)
        if (frame >= s.start && frame < s.start + s.frames) return &s;
    return nullptr;
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

uint32_t little_endian(std::string_view bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The samples of a RIFF WAVE file: where they start and how many bytes they
// take, or why the drive cannot play them (only CD audio's own format).
std::optional<std::pair<uint64_t, uint64_t>> wave_data(const ImageFile& file, std::string& why) {
    const std::string_view head = file.head;
    if (head.size() < 12 || head.substr(0, 4) != "RIFF" || head.substr(8, 4) != "WAVE") {
        why = "is not a RIFF WAVE file";
        return std::nullopt;
    }
    bool cd_format = false;
    for (size_t at = 12; at + 8 <= head.size();) {
        const std::string_view id = head.substr(at, 4);
        const uint64_t size = little_endian(head, at + 4, 4);
        const size_t body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > head.size()) break;
            const uint32_t tag = little_endian(head, body, 2);
            cd_format = (tag == 1 || tag == 0xFFFE) && little_endian(head, body + 2, 2) == 2 &&
                        little_endian(head, body + 4, 4) == 44100 && little_endian(head, body + 14, 2) == 16;
            if (!cd_format) {
                why = "is not 16-bit 44.1 kHz stereo PCM";
                return std::nullopt;
            }
        } else if (id == "data") {
            if (!cd_format) break;
            return std::pair{uint64_t{body}, std::min(size, file.size > body ? file.size - body : 0)};
        }
        at = body + size + (size & 1);
    }
    why = cd_format ? "has no data chunk near its start" : "has no format chunk before its data";
    return std::nullopt;
}

struct PendingTrack {
    int number = 0;
    bool audio = true;
    int32_t index01 = -1;   // frames from the start of its file
    int64_t shift = 0;      // PREGAP and POSTGAP frames before it on the disc
    int file = -1;
};

DiscReading fail(std::string why) { return {std::nullopt, std::move(why)}; }

}  // namespace

bool names_inside_folder(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\' || name.find(':') != std::string_view::npos)
        return false;
    for (size_t start = 0; start <= name.size();) {
        const size_t end = std::min(name.find_first_of("/\\", start), name.size());
        if (name.substr(start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}

DiscReading read_cue(std::string_view cue,
                     const std::function<std::optional<ImageFile>(const std::string&, size_t)>& open_image) {
    std::vector<int32_t> file_frames;  // length of each FILE in frames
    std::vector<DiscImage> images;
    std::vector<PendingTrack> tracks;
    int64_t gaps = 0;  // a sheet may name thousands of minutes of gaps
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
            const std::string type = upper(w[2]);
            if (type != "BINARY" && type != "MOTOROLA" && type != "WAVE")
                return fail(where + "only BINARY, MOTOROLA and WAVE files are supported, not " + w[2]);
            if (!names_inside_folder(w[1]))
                return fail(where + "\"" + w[1] + "\" lies outside the drive's folder");
            const std::optional<ImageFile> file = open_image(w[1], type == "WAVE" ? kWaveHeadBytes : 0);
            if (!file) return fail(where + "cannot find \"" + w[1] + "\"");
            DiscImage image{w[1], 0, type == "MOTOROLA"};
            uint64_t bytes = file->size;
            if (type == "WAVE") {
                std::string why;
                const auto data = wave_data(*file, why);
                if (!data) return fail(where + "\"" + w[1] + "\" " + why);
                std::tie(image.data_offset, bytes) = *data;
            }
            if (bytes / kSectorBytes > 100u * 60 * 75) return fail(where + "\"" + w[1] + "\" is too large");
            file_frames.push_back(static_cast<int32_t>(bytes / kSectorBytes));
            images.push_back(std::move(image));
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

    std::vector<int64_t> file_base(file_frames.size(), 0);
    for (size_t i = 1; i < file_frames.size(); ++i) file_base[i] = file_base[i - 1] + file_frames[i - 1];
    // Positions are minutes, seconds and frames of a byte each on the disc
    // and in MCI: nothing lies past 99:59:74.
    const int64_t lead_out = kLeadInFrames + file_base.back() + file_frames.back() + gaps;
    if (lead_out > kLastFrame) return fail("the disc is longer than 99:59:74");

    DiscLayout layout;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const PendingTrack& t = tracks[i];
        if (t.index01 < 0) return fail("track " + std::to_string(t.number) + " has no INDEX 01");
        const auto start = static_cast<int32_t>(kLeadInFrames + file_base[t.file] + t.index01 + t.shift);
        if (!layout.tracks.empty() && start <= layout.tracks.back().start)
            return fail("track " + std::to_string(t.number) + " does not start after the track before it");
        layout.tracks.push_back({t.number, start, t.audio});
    }
    // Each track's sound runs from its INDEX 01 (the first of a file from the
    // file's start) to where the next one's begins; the gaps lie between.
    for (size_t i = 0; i < tracks.size(); ++i) {
        const PendingTrack& t = tracks[i];
        const bool first_in_file = i == 0 || tracks[i - 1].file != t.file;
        const bool last_in_file = i + 1 == tracks.size() || tracks[i + 1].file != t.file;
        const int32_t from = first_in_file ? 0 : t.index01;
        const int32_t to = last_in_file ? file_frames[t.file] : tracks[i + 1].index01;
        if (to > from)
            layout.spans.push_back({static_cast<int32_t>(kLeadInFrames + file_base[t.file] + from + t.shift), to - from,
                                    static_cast<size_t>(t.file), from});
    }
    layout.images = std::move(images);
    layout.lead_out = static_cast<int32_t>(lead_out);
    if (layout.lead_out <= layout.tracks.back().start + 1)
        return fail("the last track has no sectors in the image");
    return {std::move(layout), {}};
}
