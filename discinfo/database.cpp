#include "discinfo/database.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "discinfo/db_file.h"

namespace {

constexpr char kMagic[4] = {'P', 'A', 'C', 'K'};
constexpr size_t kScanChunk = 1024;  // index records read at a time

int32_t get_le32(const unsigned char* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void put_le32(unsigned char* p, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// A stored key runs to its first zero byte, at most 56 bytes.
std::string_view key_of(const unsigned char* record) {
    const char* key = reinterpret_cast<const char*>(record);
    return {key, static_cast<size_t>(std::find(key, key + kKeySize, '\0') - key)};
}

using RawRecord = std::array<unsigned char, kIndexRecordSize>;

RawRecord make_record(std::string_view key, int32_t offset, int32_t length) {
    RawRecord raw{};
    std::memcpy(raw.data(), key.data(), std::min<size_t>(key.size(), kKeySize));
    put_le32(raw.data() + 56, offset);
    put_le32(raw.data() + 60, length);
    return raw;
}

std::optional<DbHeader> read_header(FileReader& file) {
    unsigned char raw[kHeaderSize];
    if (!file.read_at(0, raw, sizeof raw)) return std::nullopt;
    DbHeader header;
    std::memcpy(header.magic, raw, 4);
    header.index_offset = get_le32(raw + 4);
    header.index_size = get_le32(raw + 8);
    return header;
}

// How many index records lie wholly inside the file, however many the header claims.
uint64_t records_present(const DbHeader& header, uint64_t file_size) {
    if (header.index_offset < 0 || header.index_size < 0 ||
        static_cast<uint64_t>(header.index_offset) > file_size)
        return 0;
    const uint64_t claimed = static_cast<uint64_t>(header.index_size) / kIndexRecordSize;
    return std::min(claimed, (file_size - header.index_offset) / kIndexRecordSize);
}

// Calls visit(record bytes, index) for the index records present, in order,
// until it returns true. False when none did.
template <typename Visit>
bool scan_index(FileReader& file, const DbHeader& header, Visit visit) {
    const uint64_t count = records_present(header, file.size());
    std::vector<unsigned char> chunk;
    for (uint64_t first = 0; first < count; first += kScanChunk) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kScanChunk, count - first));
        chunk.resize(n * kIndexRecordSize);
        if (!file.read_at(header.index_offset + first * kIndexRecordSize, chunk.data(), chunk.size()))
            return false;
        for (size_t i = 0; i < n; ++i)
            if (visit(chunk.data() + i * kIndexRecordSize, first + i)) return true;
    }
    return false;
}

bool contains(std::string_view key, std::string_view search) {
    return key.find(search) != std::string_view::npos;
}

// A database that can be changed: a sane header and an index that is wholly
// inside the file, behind the texts.
struct Intact {
    DbHeader header;
    std::vector<RawRecord> records;
};

std::optional<Intact> read_intact(FileReader& file) {
    auto header = read_header(file);
    if (!header) return std::nullopt;
    const DbHeader& h = *header;
    if (h.index_offset < kHeaderSize || h.index_size < 0 || h.index_size % kIndexRecordSize != 0 ||
        static_cast<uint64_t>(h.index_offset) + static_cast<uint64_t>(h.index_size) > file.size())
        return std::nullopt;
    Intact intact{h, std::vector<RawRecord>(static_cast<size_t>(h.index_size / kIndexRecordSize))};
    if (!file.read_at(h.index_offset, intact.records.data(), static_cast<size_t>(h.index_size)))
        return std::nullopt;
    return intact;
}

int64_t total_length(std::span<const DbEntry> entries) {
    int64_t total = 0;
    for (const DbEntry& e : entries) total += static_cast<int64_t>(e.text.size());
    return total;
}

void write_header(FileReplacement& out, const char* magic, int64_t index_offset, int64_t index_size) {
    unsigned char raw[kHeaderSize];
    std::memcpy(raw, magic, 4);
    put_le32(raw + 4, static_cast<int32_t>(index_offset));
    put_le32(raw + 8, static_cast<int32_t>(index_size));
    out.write(raw, sizeof raw);
}

// Writes the new texts and then their index records, offsets from `at`.
void write_additions(FileReplacement& out, std::span<const DbEntry> entries, int64_t at,
                     std::vector<RawRecord>& index) {
    for (const DbEntry& e : entries) {
        out.write(e.text.data(), e.text.size());
        index.push_back(make_record(e.key, static_cast<int32_t>(at), static_cast<int32_t>(e.text.size())));
        at += static_cast<int64_t>(e.text.size());
    }
}

int add_failed() {
    if (db_add_failure_hook) db_add_failure_hook(kDbAddFailedMessage);
    return -1;
}

// Writes the new version of the database into out: the bytes of db_delete
// (search), when something matches, followed by db_add of each addition.
// 1 written, 0 nothing matched and nothing to add, -1 the file could not be
// read or the new version not written.
int write_new_version(const std::filesystem::path& path, std::optional<std::string_view> search,
                      std::span<const DbEntry> additions, FileReplacement& out) {
    FileReader file(path);
    std::optional<Intact> db;
    std::error_code ec;
    if (file.is_open() && file.size() > 0) {
        db = read_intact(file);
        if (!db) return -1;  // never rebuild a file whose structure we cannot trust
    } else if (!file.is_open() && std::filesystem::exists(path, ec)) {
        return -1;  // there, but not readable: never replace what we cannot copy
    }
    const auto matches = [&](const RawRecord& r) { return search && contains(key_of(r.data()), *search); };
    const bool deleting = db && std::any_of(db->records.begin(), db->records.end(), matches);
    if (!deleting && additions.empty()) return 0;
    if (!out.is_open()) return -1;

    std::vector<RawRecord> index;
    const char* magic = db ? db->header.magic : kMagic;
    if (!deleting) {
        // Adding leaves every stored byte where it is: the new texts go where the index stood.
        const int64_t base = db ? db->header.index_offset : kHeaderSize;
        const int64_t end = base + total_length(additions);
        if (end > INT32_MAX) return -1;
        if (db) index = db->records;
        write_header(out, magic, end, static_cast<int64_t>(index.size() + additions.size()) * kIndexRecordSize);
        if (db) out.copy_from(file, kHeaderSize, base - kHeaderSize);
        write_additions(out, additions, base, index);
    } else {
        // Compacting: the kept texts back to back in index order, then the additions.
        int64_t kept_total = 0;
        size_t kept_count = 0;
        for (const RawRecord& r : db->records) {
            if (matches(r)) continue;
            const int32_t length = get_le32(r.data() + 60);
            if (length < 0 || get_le32(r.data() + 56) < 0) return -1;
            kept_total += length;
            ++kept_count;
        }
        const int64_t end = kHeaderSize + kept_total + total_length(additions);
        if (end > INT32_MAX) return -1;
        write_header(out, magic, end, static_cast<int64_t>(kept_count + additions.size()) * kIndexRecordSize);
        int64_t at = kHeaderSize;
        for (const RawRecord& r : db->records) {
            if (matches(r)) continue;
            const int32_t length = get_le32(r.data() + 60);
            out.copy_from(file, static_cast<uint32_t>(get_le32(r.data() + 56)), static_cast<uint32_t>(length));
            index.push_back(make_record(key_of(r.data()), static_cast<int32_t>(at), length));
            at += length;
        }
        write_additions(out, additions, at, index);
    }
    out.write(index.data(), index.size() * kIndexRecordSize);
    return 1;
}

// The old file stays untouched until the complete new version replaces it.
int rewrite(const std::filesystem::path& path, std::optional<std::string_view> search,
            std::span<const DbEntry> additions) {
    FileReplacement out(path);
    const int written = write_new_version(path, search, additions, out);
    if (written != 1) return written;
    return out.commit() ? 1 : -1;  // the reader is closed by now, as Windows needs for the rename
}

}  // namespace

int db_add(const Text& key, const Text& text, const std::filesystem::path& file) {
    if (!key || !text) return 0;
    const DbEntry entry{*key, *text};
    return db_add_all(std::span(&entry, 1), file);
}

int db_add_all(std::span<const DbEntry> entries, const std::filesystem::path& file) {
    if (entries.empty()) return 0;
    return rewrite(file, std::nullopt, entries) == 1 ? 1 : add_failed();
}

int db_replace(std::string_view search, const Text& key, const Text& text, const std::filesystem::path& file) {
    if (!key || !text) return 0;
    const DbEntry entry{*key, *text};
    return rewrite(file, search, std::span(&entry, 1)) == 1 ? 1 : add_failed();
}

int db_delete(std::string_view search, const std::filesystem::path& file) {
    return rewrite(file, search, {}) == 1 ? 1 : 0;
}

int db_contains(std::string_view search, const std::filesystem::path& path) {
    FileReader file(path);
    const auto header = read_header(file);
    if (!header) return 0;
    return scan_index(file, *header, [&](const unsigned char* r, uint64_t) { return contains(key_of(r), search); })
               ? 1
               : 0;
}

Text db_read(std::string_view search, const std::filesystem::path& path) {
    FileReader file(path);
    const auto header = read_header(file);
    if (!header || std::memcmp(header->magic, kMagic, 4) != 0) return std::nullopt;
    Text text;
    scan_index(file, *header, [&](const unsigned char* r, uint64_t) {
        if (!contains(key_of(r), search)) return false;
        const int32_t offset = get_le32(r + 56);
        const int32_t length = get_le32(r + 60);
        std::string bytes;
        if (offset >= 0 && length >= 0 && file.read_string(offset, length, bytes)) text = std::move(bytes);
        return true;  // the first match decides, readable or not
    });
    return text;
}

std::optional<DbListing> db_list(const std::filesystem::path& path) {
    FileReader file(path);
    const auto header = read_header(file);
    if (!header) return std::nullopt;
    DbListing listing;
    listing.file_size = file.size();
    listing.header = *header;
    const uint64_t present = records_present(*header, file.size());
    listing.records.reserve(static_cast<size_t>(present));
    scan_index(file, *header, [&](const unsigned char* r, uint64_t) {
        listing.records.push_back({std::string(key_of(r)), get_le32(r + 56), get_le32(r + 60)});
        return false;
    });
    listing.index_complete = header->index_size >= 0 &&
                             listing.records.size() == static_cast<uint64_t>(header->index_size) / kIndexRecordSize;
    return listing;
}

Text db_read_record(const DbIndexRecord& record, const std::filesystem::path& path) {
    FileReader file(path);
    std::string bytes;
    if (record.offset < 0 || record.length < 0 || !file.read_string(record.offset, record.length, bytes))
        return std::nullopt;
    return bytes;
}
