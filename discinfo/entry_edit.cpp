#include "discinfo/entry_edit.h"

#include <algorithm>

#include "discinfo/database.h"
#include "discinfo/disc_id.h"
#include "discinfo/entry_text.h"
#include "discinfo/xmcd_writer.h"

namespace {

// The field's text replaces the record's unless it is that text as the field shows it.
bool differs(const std::string& field, const Text& value, size_t limit) {
    const std::string_view current = value ? std::string_view(*value) : std::string_view();
    return field != current.substr(0, limit);
}

}  // namespace

std::string compose_disc_title(std::string_view artist, std::string_view album) {
    if (artist.empty()) return std::string(album);
    if (album.empty()) return std::string(artist);
    return std::string(artist) + " / " + std::string(album);
}

Text editor_old_key(const DiscRecord& record) {
    if (!record.category || !record.disc_id_text) return std::nullopt;
    return entry_key(record.category, *record.disc_id_text);
}

bool apply_editor_fields(DiscRecord& record, const EditorFields& fields) {
    bool changed = false;
    const size_t rows = std::min<size_t>(fields.titles.size(), std::clamp(record.track_count, 0, kMaxTracks));
    for (size_t i = 0; i < rows; ++i) {
        if (!differs(fields.titles[i], record.track_titles[i], kEditLimit)) continue;
        record.track_titles[i] = fields.titles[i];
        changed = true;
    }
    if (differs(fields.artist, artist_part(record.disc_title), kEditLimit) ||
        differs(fields.album, title_part(record.disc_title), kEditLimit)) {
        record.disc_title = compose_disc_title(fields.artist, fields.album);
        changed = true;
    }
    if (differs(fields.category, record.category, kCategoryLimit)) {
        record.category = fields.category.empty() ? Text() : Text(fields.category);
        changed = true;
    }
    return changed;
}

int save_edited_entry(DiscRecord& record, const Text& old_key, std::string& stored,
                      const std::filesystem::path& database) {
    if (!record.disc_id_text) record.disc_id_text = disc_id_string(disc_id(record));
    const std::string key = entry_key(record.category, *record.disc_id_text);
    // Read and written back in one change, so nothing stored meanwhile is undone.
    return db_update(old_key.value_or(key), [&](const Text& current) -> std::optional<DbEntry> {
        stored = current ? *current : new_entry_text(record);
        if (current) update_entry(record, stored);
        return DbEntry{key, stored};
    }, database);
}
