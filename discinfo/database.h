#pragma once
// brd.bdb: the disc database file. Little-endian: a 12-byte header ("PACK",
// index offset, index size), the entry texts back to back, then one 64-byte
// index record per entry (56-byte zero-padded key, offset, length).
//
// Each operation opens the file, works and closes it. Changes are written to a
// new file beside the database and renamed over it, so a crash at any instant
// leaves either the old file or the complete new one. A change holds the
// database's writer lock from its read to its rename, so changes from any
// thread or process take turns and none undoes another; readers never wait.
// Look-ups match when a record's key contains the search text anywhere.
//
// A damaged file is still read and changed: a change keeps every intact
// entry and drops only damage, after keeping a copy of the damaged file
// beside it ("brd.bdb.damaged-YYYYMMDD-HHMMSS"). A change never writes more
// than the file's own bytes plus the new texts, and memory follows the
// largest single text, never the number of records or what the header claims.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cdaudio/disc_record.h"
#include "discinfo/db_file.h"

inline constexpr int kKeySize = 56;
inline constexpr int kIndexRecordSize = 64;
inline constexpr int kHeaderSize = 12;
// The defaults and hooks are plain values without destructors: a CDDB query
// may still store its entry while the program's statics go at exit.
inline constexpr char kDefaultDatabase[] = "brd.bdb";

inline constexpr const char* kDbAddFailedMessage =
    "Error - Could not open 'brd.bdb' for writing.\nMake sure the BRD database file 'brd.bdb'\n"
    "and directory are not write protected.\n\nThe information for this CD will not be saved.";

// Called with kDbAddFailedMessage when db_add, db_add_each or db_update cannot
// write the file; the Win32 layer sets it to show the message box owned by the
// main window. A plain pointer: a worker may still fail a write while the
// process exits, after every static with a destructor is gone.
inline void (*db_add_failure_hook)(const char* message) = nullptr;

// How long a change waits for another writer (an import, say) to finish
// before it fails as a change that cannot write.
inline std::chrono::milliseconds db_writer_wait{5000};

// 1 added; 0 when key or text is null; -1 when the file cannot be written
// (after calling db_add_failure_hook, on the calling thread). A key is cut to
// 56 bytes.
int db_add(const Text& key, const Text& text, const std::filesystem::path& file = kDefaultDatabase);

// 1 if some record's key contains the text, else 0 (also for a missing file).
int db_contains(std::string_view search, const std::filesystem::path& file = kDefaultDatabase);

// The text of the first matching entry, or null (also for a magic other than "PACK").
Text db_read(std::string_view search, const std::filesystem::path& file = kDefaultDatabase);

// Removes every matching record and compacts the file. 1 if something was
// removed; 0 when nothing matched or the file could not be rewritten.
int db_delete(std::string_view search, const std::filesystem::path& file = kDefaultDatabase);

// --- Beyond the four operations: changes that depend on what is stored, the
// file as it stands, repair, bulk adds. ---

struct DbEntry {
    std::string key;  // at most 56 bytes
    std::string text;
};

// Shown the text of the first entry matching the search (null when there is
// none, as db_read), returns the entry to store in place of every matching
// one, or nothing to leave the file as it is.
using DbEdit = std::function<std::optional<DbEntry>(const Text& stored)>;

// A read and a write of the database as one change, so nothing stored in
// between is undone. The edit runs while every other writer waits: it must
// neither wait for the user nor change the database itself. 1 stored; 0 when
// the edit declined; -1 as db_add.
int db_update(std::string_view search, const DbEdit& edit, const std::filesystem::path& file = kDefaultDatabase);

// Adds the entries that next() gives until it returns false, in one change;
// each text goes to the new file as it comes, so a whole CDDB dump needs no
// more memory than its largest entry and 64 bytes for each index record.
// Before the first, present() is shown the key of every entry the file keeps,
// so the caller can leave out what is there. Results as db_add (0 when next()
// gave nothing).
int db_add_each(const std::function<bool(DbEntry& entry)>& next,
                const std::function<void(std::string_view key)>& present = {},
                const std::filesystem::path& file = kDefaultDatabase);

// Adds many entries in one rewrite: the same bytes as db_add of each in turn.
// Results as db_add (0 when the list is empty).
int db_add_all(std::span<const DbEntry> entries, const std::filesystem::path& file = kDefaultDatabase);

// A record is intact when its text lies between the header and the index and
// shares no byte with the text of an intact record before it in the index.
// A rewrite keeps the intact records it does not delete; the others are damage.
enum class DbRecordState { Intact, Outside, Overlapping };

// One index record as stored.
struct DbIndexRecord {
    std::string key;  // up to the first zero byte, at most 56
    int32_t offset = 0;
    int32_t length = 0;
    DbRecordState state = DbRecordState::Intact;
    bool repeats_key = false;  // an intact record before it has the same key (when asked)
};

struct DbHeader {
    char magic[4] = {};
    int32_t index_offset = 0;
    int32_t index_size = 0;
};

// What the file holds against what its header claims.
struct DbSurvey {
    FileIdentity identity;         // of the file surveyed
    uint64_t file_size = 0;
    DbHeader header;               // zeros when the file is shorter than a header
    int64_t index_offset = 0;      // where the index was read
    bool index_recovered = false;  // not where the header says, but ending the file
    uint64_t records = 0;          // index records wholly inside the file and read
    uint64_t damaged_records = 0;  // of them, not intact
    uint64_t loose_bytes = 0;      // in no record and no intact text: a rewrite drops them
    bool header_sane = true;       // index offset and size fit the file and each other

    // A rewrite would drop something besides the entries it deletes, or fix the header.
    bool damaged() const { return !header_sane || damaged_records > 0 || loose_bytes > 0; }
};

// Where the writer puts it, the index ends the file. When the header's index
// fields do not say so (a flipped bit, a crash of another program's writer)
// and the file ends in an index whose every text lies between the header and
// it, reads, surveys and rewrites use that index.

// Walks the index in bounded pieces and calls visit for each record in
// order, with up to text_limit bytes of its text when it is intact (else
// null), and whether it repeats an earlier key when find_repeats asks (which
// costs a walk per half a million records). Null when the file cannot be opened.
std::optional<DbSurvey> db_survey(const std::filesystem::path& file = kDefaultDatabase,
                                  const std::function<void(const DbIndexRecord&, const Text&)>& visit = {},
                                  size_t text_limit = 0, bool find_repeats = false);

// Rewrites a damaged file (or one with a magic other than "PACK") with its
// intact entries only, under "PACK". 1 rewritten, 0 nothing to repair, -1
// not possible; old_copy then names the copy of the damaged file.
int db_repair(const std::filesystem::path& file, std::filesystem::path& old_copy);

// Test seam: called before every write to the new file and before it
// replaces the database; returning false makes that step fail, as a full disk
// or a crash at that instant would.
inline bool (*db_write_fault_hook)() = nullptr;
