#pragma once
// brd.bdb: the disc database file. Little-endian: a 12-byte header ("PACK",
// index offset, index size), the entry texts back to back, then one 64-byte
// index record per entry (56-byte zero-padded key, offset, length).
//
// Each operation opens the file, works and closes it. Changes are written to a
// new file beside the database and renamed over it, so a crash at any instant
// leaves either the old file or the complete new one. Look-ups match when a
// record's key contains the search text anywhere.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cdaudio/disc_record.h"

inline constexpr int kKeySize = 56;
inline constexpr int kIndexRecordSize = 64;
inline constexpr int kHeaderSize = 12;
inline const std::filesystem::path kDefaultDatabase = "brd.bdb";

inline constexpr const char* kDbAddFailedMessage =
    "Error - Could not open 'brd.bdb' for writing.\nMake sure the BRD database file 'brd.bdb'\n"
    "and directory are not write protected.\n\nThe information for this CD will not be saved.";

// Called with kDbAddFailedMessage when db_add cannot write the file; the Win32
// layer sets it to show the message box owned by the main window.
inline std::function<void(const char* message)> db_add_failure_hook;

// 1 added; 0 when key or text is null; -1 when the file cannot be written
// (after calling db_add_failure_hook). A key is cut to 56 bytes.
int db_add(const Text& key, const Text& text, const std::filesystem::path& file = kDefaultDatabase);

// 1 if some record's key contains the text, else 0 (also for a missing file).
int db_contains(std::string_view search, const std::filesystem::path& file = kDefaultDatabase);

// The text of the first matching entry, or null (also for a magic other than "PACK").
Text db_read(std::string_view search, const std::filesystem::path& file = kDefaultDatabase);

// Removes every matching entry and compacts the file. 1 if something was
// removed; 0 when nothing matched or the file could not be rewritten.
int db_delete(std::string_view search, const std::filesystem::path& file = kDefaultDatabase);

// --- Beyond the four operations: the index as it stands, and bulk adds. ---

struct DbEntry {
    std::string key;  // at most 56 bytes
    std::string text;
};

// One index record as stored; offset and length are unchecked.
struct DbIndexRecord {
    std::string key;  // up to the first zero byte, at most 56
    int32_t offset = 0;
    int32_t length = 0;
};

struct DbHeader {
    char magic[4] = {};
    int32_t index_offset = 0;
    int32_t index_size = 0;
};

struct DbListing {
    uint64_t file_size = 0;
    DbHeader header;
    std::vector<DbIndexRecord> records;  // those of the index that lie within the file
    bool index_complete = false;         // every record the header announces was there
};

// Reads the header and the index without trusting either; null when the file
// cannot be opened or is shorter than a header.
std::optional<DbListing> db_list(const std::filesystem::path& file = kDefaultDatabase);

// The text of one record, or null when its offset and length leave the file.
Text db_read_record(const DbIndexRecord& record, const std::filesystem::path& file = kDefaultDatabase);

// Adds many entries in one rewrite: the same bytes as db_add of each in turn.
// Results as db_add (0 when the list is empty).
int db_add_all(std::span<const DbEntry> entries, const std::filesystem::path& file = kDefaultDatabase);

// db_delete (search) then db_add (key, text) as one change: a crash never
// leaves the entry deleted but not re-added. Results as db_add.
int db_replace(std::string_view search, const Text& key, const Text& text,
               const std::filesystem::path& file = kDefaultDatabase);

// Test seam: called before every write to the new file and before it
// replaces the database; returning false makes that step fail, as a full disk
// or a crash at that instant would.
inline std::function<bool()> db_write_fault_hook;
