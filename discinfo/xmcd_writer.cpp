#include "discinfo/xmcd_writer.h"

#include <algorithm>
#include <climits>

#include "discinfo/database.h"
#include "discinfo/disc_id.h"
#include "discinfo/entry_text.h"

namespace {

constexpr std::string_view kSubmittedVia = "BrindleCD 1.0";

void line(std::string& out, std::string_view text) { out.append(text).append("\r\n"); }

// A detached record built from a stored entry has no table of contents: its
// frame offsets and length are unknown and are not invented.
bool has_toc(const DiscRecord& record) {
    return record.track_count > 0 && record.track_count <= kMaxTracks &&
           record.toc[record.track_count].frame_offset > 0;
}

// Lines 1 to 10 of a stored entry: the status line, the xmcd header and DISCID.
std::string header(const DiscRecord& record, std::string_view code, int revision, std::string_view disc_id) {
    const std::string id_text = record.disc_id_text.value_or(disc_id_string(::disc_id(record)));
    std::string out;
    line(out, std::string(code) + " " + record.category.value_or("nocategory") + " " + id_text);
    line(out, "# xmcd CD database file");
    line(out, "# Copyright (C) 1993-1998 Ti Kan");
    line(out, "#");
    line(out, "# Track frame offsets:");
    if (has_toc(record))
        for (int i = 0; i < record.track_count; ++i) line(out, "#\t" + std::to_string(record.toc[i].frame_offset));
    line(out, "#");
    line(out, "# Disc length: " + std::to_string(record.disc_seconds) + " seconds");
    line(out, "#");
    line(out, "# Revision: " + std::to_string(revision));
    line(out, "# Submitted via: " + std::string(kSubmittedVia));
    line(out, "#");
    line(out, "DISCID=" + std::string(disc_id));
    return out;
}

}  // namespace

int revision_of(std::string_view text) {
    for (size_t pos = 0, number = 0; pos < text.size(); ++number) {
        const size_t lf = text.find('\n', pos);
        if (lf == std::string_view::npos) return 0;
        const std::string_view current = text.substr(pos, lf - pos);
        if (number > 0 && !current.starts_with('#')) return 0;
        const size_t at = current.find("Revision:");
        if (at != std::string_view::npos) return leading_int(current.substr(at + 9));
        pos = lf + 1;
    }
    return 0;
}

int store_reply(const DiscRecord& record, std::string& text) {
    // Every line of the reply but its status line, comments and DISCID, in
    // order: the stored form brings its own, and no title line is lost.
    std::string values;
    bool titled = false;
    const size_t status_end = text.find('\n');
    for (size_t pos = status_end == std::string::npos ? text.size() : status_end + 1; pos < text.size();) {
        const size_t lf = text.find('\n', pos);
        const size_t end = lf == std::string::npos ? text.size() : lf + 1;
        const std::string_view current = std::string_view(text).substr(pos, end - pos);
        if (!current.starts_with('#') && !current.starts_with("DISCID=")) {
            values += current;
            titled = titled || current.starts_with("DTITLE=");
        }
        pos = end;
    }
    if (!titled) return 0;
    const int revision = std::max(revision_of(text), 0);
    const int next = revision == INT_MAX ? revision : revision + 1;
    const std::string id_text = record.disc_id_text.value_or(disc_id_string(disc_id(record)));
    text = header(record, "200", next, id_text) + values;
    return 1;
}

std::string new_entry_text(const DiscRecord& record) {
    const std::string id_text = has_toc(record) || !record.disc_id_text ? disc_id_string(disc_id(record))
                                                                         : *record.disc_id_text;
    std::string out = header(record, "100", 1, id_text);
    const int count = std::clamp(record.track_count, 0, kMaxTracks);
    line(out, "DTITLE=" + record.disc_title.value_or(""));
    for (int i = 0; i < count; ++i)
        line(out, "TTITLE" + std::to_string(i) + "=" + record.track_titles[i].value_or(""));
    line(out, "EXTD=");
    for (int i = 0; i < count; ++i) line(out, "EXTT" + std::to_string(i) + "=");
    line(out, "PLAYORDER=");
    line(out, ".");
    return out;
}

bool is_category(std::string_view category) {
    return !category.empty() && category.size() <= kMaxCategory &&
           std::all_of(category.begin(), category.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

std::string entry_key(const Text& category, std::string_view disc_id_text) {
    std::string key = category.value_or("nocategory") + "/" + std::string(disc_id_text);
    if (key.size() > kKeySize) key.resize(kKeySize);
    return key;
}
