#pragma once
// The stored xmcd form of an entry: a "200"/"100" status line, the program's
// own xmcd header computed from the table of contents, then the title lines.
#include <string>
#include <string_view>

#include "cdaudio/disc_record.h"

// The integer after "Revision:" in the text's leading comment block (the
// first line may be a status line), else 0.
int revision_of(std::string_view text);

// Turns a CDDB read reply into the stored form with the revision raised by
// one. 1 if done; 0 if the reply has no DTITLE line (text unchanged).
int store_reply(const DiscRecord& record, std::string& text);

// A complete "100" entry built from the record alone (for the CD Editor's
// first save of a disc).
std::string new_entry_text(const DiscRecord& record);

// A category is a word of 1 to 20 letters and digits: CDDB's are short, a
// longer one would push the disc id out of the database key, and a space or
// a "/" would break the entry's status line or its key.
inline constexpr size_t kMaxCategory = 20;
bool is_category(std::string_view category);

// The database key of a record: "category/discid" or "nocategory/discid",
// cut to the 56 characters an index record holds.
std::string entry_key(const Text& category, std::string_view disc_id_text);
