#include "discinfo/entry_text.h"

#include <algorithm>
#include <map>

#include "discinfo/database.h"
#include "discinfo/disc_id.h"

namespace {

std::string numbered_key(const char* prefix, int number) {
    return prefix + std::to_string(number) + "=";
}

// The line starting at pos, without its LF; has_end tells whether an LF follows.
struct Line {
    std::string_view text;
    size_t next = std::string_view::npos;  // start of the following line
    bool has_end() const { return next != std::string_view::npos; }
};

Line line_at(std::string_view text, size_t pos) {
    const size_t lf = text.find('\n', pos);
    if (lf == std::string_view::npos) return {text.substr(pos), lf};
    return {text.substr(pos, lf - pos), lf + 1};
}

std::string_view without_cr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// Start of line n (1 is the first line), or npos when the text is shorter.
size_t line_start(std::string_view text, int n) {
    size_t pos = 0;
    for (int line = 1; line < n; ++line) {
        const size_t lf = text.find('\n', pos);
        if (lf == std::string_view::npos) return lf;
        pos = lf + 1;
    }
    return pos;
}

// The text's first line: the status line whose words name an entry's category and disc id.
std::string_view status_line(std::string_view text) { return text.substr(0, text.find('\n')); }

Text word_at(std::string_view text, size_t pos) {
    if (pos > text.size()) return std::nullopt;
    const size_t end = text.find_first_of(" \r\n", pos);
    return std::string(text.substr(pos, end == std::string_view::npos ? end : end - pos));
}

Text eight_at(std::string_view text, size_t pos) {
    if (pos == std::string_view::npos || pos > text.size() || text.size() - pos < 8) return std::nullopt;
    const std::string_view word = text.substr(pos, 8);
    if (word.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    return std::string(word);
}

}  // namespace

void set_default_titles(DiscRecord& record) {
    record.disc_title = "Unknown CD";
    const int count = std::clamp(record.track_count, 0, kMaxTracks);
    for (int i = 0; i < count; ++i) record.track_titles[i] = "Track " + std::to_string(i + 1);
}

void free_texts(DiscRecord& record) {
    record.disc_title.reset();
    record.disc_id_text.reset();
    record.category.reset();
    const int count = std::clamp(record.track_count, 0, kMaxTracks);
    for (int i = 0; i < count; ++i) record.track_titles[i].reset();
}

Text value_of(std::string_view key, std::string_view text) {
    if (key.empty() || text.empty()) return std::nullopt;
    Text value;
    for (size_t pos = 0; pos < text.size();) {
        const Line line = line_at(text, pos);
        if (line.text.starts_with(key)) {
            if (!line.has_end()) return std::nullopt;
            if (!value) value.emplace();
            value->append(without_cr(line.text.substr(key.size())));
        }
        pos = line.next;
    }
    return value;
}

Text title_value(std::string_view key, std::string_view text) {
    Text value = value_of(key, text);
    if (value && value->size() > kMaxTitle) value->resize(kMaxTitle);
    return value;
}

EntryFault entry_fault(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return EntryFault::ZeroByte;
    // Each title's length, summed over the lines that continue it, in one pass.
    std::map<std::string_view, size_t> titles;
    for (size_t pos = 0; pos < text.size();) {
        const Line line = line_at(text, pos);
        pos = line.next;
        const size_t equals = line.text.find('=');
        const std::string_view key = line.text.substr(0, equals == std::string_view::npos ? 0 : equals + 1);
        const bool track = key.starts_with("TTITLE") && key.size() > 7 &&
                           key.find_first_not_of("0123456789", 6) == key.size() - 1;
        if (key == "DTITLE=" || track) titles[key] += without_cr(line.text).size() - key.size();
    }
    if (!titles.contains("DTITLE=")) return EntryFault::NoTitle;
    for (const auto& [key, length] : titles)
        if (length > kMaxTitle) return EntryFault::LongTitle;
    return EntryFault::None;
}

std::string entry_fault_text(EntryFault fault) {
    switch (fault) {
        case EntryFault::ZeroByte: return "a zero byte";
        case EntryFault::NoTitle: return "no DTITLE line";
        case EntryFault::LongTitle: return "a title longer than " + std::to_string(kMaxTitle) + " bytes";
        case EntryFault::None: break;
    }
    return "";
}

int replace_value(std::string_view key, std::string_view value, std::string& text) {
    if (key.empty()) return 0;
    size_t first = 0;
    Line line = line_at(text, first);
    while (!line.text.starts_with(key)) {
        if (!line.has_end() || line.next >= text.size()) return 0;
        first = line.next;
        line = line_at(text, first);
    }
    if (!line.has_end()) return 0;

    // No written line may pass 79 characters before its CR LF.
    const size_t piece = key.size() < 79 ? 79 - key.size() : 1;
    std::string replaced = text.substr(0, first);
    size_t at = 0;
    do {
        replaced.append(key).append(value.substr(at, piece)).append("\r\n");
        at += piece;
    } while (at < value.size());
    // A value is every line of its key (value_of): a line left further on
    // would come back appended to the new value.
    for (size_t pos = line.next; pos < text.size();) {
        const Line rest = line_at(text, pos);
        const size_t end = rest.has_end() ? rest.next : text.size();
        if (!rest.text.starts_with(key)) replaced.append(text, pos, end - pos);
        pos = end;
    }
    text = std::move(replaced);
    return 1;
}

Text category_word(std::string_view text, int n) {
    if (n == 1) {
        const size_t space = status_line(text).find(' ');
        if (space == std::string_view::npos) return std::nullopt;
        return word_at(text, space + 1);
    }
    if (n >= 2) {
        const size_t start = line_start(text, n);
        if (start == std::string_view::npos) return std::nullopt;
        return word_at(text, start);
    }
    return word_at(text, 0);
}

Text disc_id_word(std::string_view text, int n) {
    if (n == 1) {
        const std::string_view status = status_line(text);
        const size_t first = status.find(' ');
        if (first == std::string_view::npos) return std::nullopt;
        const size_t second = status.find(' ', first + 1);
        return eight_at(text, second == std::string_view::npos ? second : second + 1);
    }
    if (n >= 2) {
        const size_t start = line_start(text, n);
        if (start == std::string_view::npos) return std::nullopt;
        const Line line = line_at(text, start);
        const size_t space = line.text.find(' ');
        return eight_at(text, space == std::string_view::npos ? space : start + space + 1);
    }
    return eight_at(text, 0);
}

int32_t leading_int(std::string_view text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string_view::npos) return 0;
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+') ++i;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    return static_cast<int32_t>(negative ? -value : value);
}

Text artist_part(const Text& title) {
    if (!title) return std::nullopt;
    const size_t slash = title->find('/');
    if (slash == std::string::npos) return std::nullopt;
    size_t end = slash;
    while (end > 1 && (*title)[end - 1] == ' ') --end;  // the first character always stays
    return title->substr(0, end);
}

Text title_part(const Text& title) {
    if (!title) return std::nullopt;
    const size_t slash = title->find('/');
    if (slash == std::string::npos) return title;
    const size_t start = title->find_first_not_of(' ', slash + 1);
    return start == std::string::npos ? std::string() : title->substr(start);
}

int parse_entry(DiscRecord& record, std::string_view text, LineLocks& locks) {
    BothLinesHeld held(locks);
    fill_from_entry(record, text);
    return 1;
}

void fill_from_entry(DiscRecord& record, std::string_view text) {
    free_texts(record);
    record.disc_title = title_value("DTITLE=", text);
    record.category = category_word(text, 1);
    record.disc_id_text = disc_id_string(disc_id(record));
    if (record.owner_window) {
        const int count = std::clamp(record.track_count, 0, kMaxTracks);
        for (int i = 0; i < count; ++i) record.track_titles[i] = title_value(numbered_key("TTITLE", i), text);
    } else {
        // A detached record has no table of contents: its tracks are the titles it has.
        int count = 0;
        for (; count < kMaxTracks; ++count) {
            Text title = title_value(numbered_key("TTITLE", count), text);
            if (!title) break;
            record.track_titles[count] = std::move(title);
        }
        record.track_count = count;
    }
}

int update_entry(const DiscRecord& record, std::string& text) {
    if (record.category && !text.empty()) {
        const size_t space = text.find(' ');
        const size_t lf = text.find('\n');
        if (space != std::string::npos && space < lf) {
            size_t end = text.find_first_of(" \r\n", space + 1);
            if (end == std::string::npos) end = text.size();
            text.replace(space + 1, end - space - 1, *record.category);
        }
    }
    replace_value("DTITLE=", record.disc_title.value_or(""), text);
    const int count = std::clamp(record.track_count, 0, kMaxTracks);
    for (int i = 0; i < count; ++i)
        replace_value(numbered_key("TTITLE", i), record.track_titles[i].value_or(""), text);
    return 1;
}

int lookup_disc(DiscRecord& record, LineLocks& locks, const std::filesystem::path& database) {
    const Text text = db_read(disc_id_string(disc_id(record)), database);
    if (!text) return 0;
    parse_entry(record, *text, locks);
    return 1;
}
