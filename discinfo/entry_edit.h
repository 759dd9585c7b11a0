#pragma once
// The CD Editor's rules, without its window: how its fields change a Disc
// record, and how the changed record is stored in brd.bdb.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cdaudio/disc_record.h"

inline constexpr size_t kEditLimit = 255;     // artist, album and track title edits
inline constexpr size_t kCategoryLimit = 56;  // the category field

// What the editor's fields hold: as it showed a record, and as its changes
// are applied.
struct EditorFields {
    std::string artist;
    std::string album;
    std::string category;
    std::vector<std::string> titles;  // one per row of the track list

    bool operator==(const EditorFields&) const = default;
};

// "artist / album"; the album alone without an artist, the artist alone
// without an album.
std::string compose_disc_title(std::string_view artist, std::string_view album);

// The record's entry key before an edit: "category/discid", or none when
// the record has no category or no disc id text yet.
Text editor_old_key(const DiscRecord& record);

// Writes into the record the fields that differ from what the editor showed
// (`shown`): every other text stays as the record has it now, whole, also
// when a CDDB result replaced it meanwhile. True if anything changed.
bool apply_editor_fields(DiscRecord& record, const EditorFields& shown, const EditorFields& fields);

// Stores the edited record: the entry found under old_key, updated and moved
// to the record's key as one change, or a new "100" entry. `stored` receives
// the text written. Results as db_add.
int save_edited_entry(DiscRecord& record, const Text& old_key, std::string& stored,
                      const std::filesystem::path& database = "brd.bdb");
