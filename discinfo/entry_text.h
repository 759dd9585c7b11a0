#pragma once
// Entry text: the xmcd-style text of one disc (status line, "#" comments,
// KEY=value lines that may continue over several lines with the same key),
// and the text side of the Disc record that is read from and written to it.
//
// Texts are bytes in the system code page and pass through unchanged. A text
// that may be absent is a Text (std::optional<std::string>); empty and absent
// differ.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "cdaudio/disc_record.h"
#include "discinfo/line_locks.h"

// "Unknown CD" and "Track 1", "Track 2", ... for the first track_count tracks;
// category and disc_id_text stay.
void set_default_titles(DiscRecord& record);

// Drops disc_title, disc_id_text, category and the first track_count titles.
void free_texts(DiscRecord& record);

// The value of key (which ends in "="): the rest of every line that starts
// with it, concatenated in text order, without the line end. Null when no line
// matches, when the text is empty, or when a matching line has no line end.
Text value_of(std::string_view key, std::string_view text);

// The longest disc or track title (DTITLE or TTITLE%d value) the player
// keeps, in bytes: a few lines of xmcd text, four times the Editor's field.
// Longer ones come only from a broken or hostile peer.
inline constexpr size_t kMaxTitle = 1024;
// value_of for a title, cut to kMaxTitle bytes: a stored entry with a longer
// one is shown cut, and nothing ever works on the rest.
Text title_value(std::string_view key, std::string_view text);

// Why an entry text may not be stored: a zero byte (text ends at one, so the
// rest would be lost), no DTITLE line, or a title longer than kMaxTitle. The
// CDDB query and brd-db import store only an entry with none.
enum class EntryFault { None, ZeroByte, NoTitle, LongTitle };
EntryFault entry_fault(std::string_view text);
// "a zero byte", "no DTITLE line", "a title longer than 1024 bytes"; "" for None.
std::string entry_fault_text(EntryFault fault);

// Replaces every line starting with key by the value folded into lines of at
// most 79 characters (key included) before their CR LF, written where the
// first stood. 1 if replaced; 0 if the key has no line (or its first line has
// no line end), text unchanged.
int replace_value(std::string_view key, std::string_view value, std::string& text);

// Words of status lines and match lists; a word ends at a space or line end.
// n = 1: the second word of the first line; n >= 2: the first word of line n;
// n <= 0: the first word of the text.
Text category_word(std::string_view text, int n);
// n = 1: the 8 characters after the first line's second space; n >= 2: the 8 characters
// after the first space of line n; n <= 0: the first 8 characters. Null when
// 8 characters are not there.
Text disc_id_word(std::string_view text, int n);

// The integer a text starts with, as atoi reads it (blanks, a sign, digits up
// to the first non-digit), saturating instead of overflowing; 0 without digits.
int32_t leading_int(std::string_view text);

// DTITLE "Artist / Title" split at its first "/". artist_part is null without
// a "/"; title_part is the whole text without one.
Text artist_part(const Text& title);
Text title_part(const Text& title);

// Fills the record's texts from an entry text under both line locks (disc
// line first). The drive's record (owner_window set) reads one title per
// track; a detached record takes its track count from the TTITLE lines
// present, 0 upward, at most 100. Always 1.
int parse_entry(DiscRecord& record, std::string_view text, LineLocks& locks);
// parse_entry for a caller that holds both line locks already.
void fill_from_entry(DiscRecord& record, std::string_view text);

// Writes category, disc title and track titles back into the entry text; keys
// missing from the text are skipped. Always 1. Takes no lock.
int update_entry(const DiscRecord& record, std::string& text);

// Reads the entry whose key contains the record's disc id from the database
// and parses it into the record. 1 if found, else 0 (the record keeps its texts).
int lookup_disc(DiscRecord& record, LineLocks& locks,
                const std::filesystem::path& database = "brd.bdb");
