#include "discinfo/database.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <iterator>
#include <map>
#include <set>

#include "discinfo/db_file.h"

namespace {

constexpr char kMagic[4] = {'P', 'A', 'C', 'K'};
constexpr size_t kScanChunk = 1024;       // index records read or written at a time
constexpr size_t kMaxRuns = 1 << 16;      // separate runs of intact text remembered
constexpr uint64_t kKeysPerPass = 1 << 19;  // keys remembered at a time to find repeated ones

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

int32_t offset_of(const unsigned char* record) { return get_le32(record + 56); }
int32_t length_of(const unsigned char* record) { return get_le32(record + 60); }

using RawRecord = std::array<unsigned char, kIndexRecordSize>;

RawRecord make_record(std::string_view key, int64_t offset, int64_t length) {
    RawRecord raw{};
    std::memcpy(raw.data(), key.data(), std::min<size_t>(key.size(), kKeySize));
    put_le32(raw.data() + 56, static_cast<int32_t>(offset));
    put_le32(raw.data() + 60, static_cast<int32_t>(length));
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

// Where the index records are read: at offset, count of them wholly in the file.
struct IndexPlace {
    int64_t offset = 0;
    uint64_t count = 0;
    bool recovered = false;  // not where the header says
};

// Calls visit(record bytes) for the index records of a place, in order,
// until it returns true. False when none did.
template <typename Visit>
bool scan_index(FileReader& file, const IndexPlace& place, Visit visit) {
    std::vector<unsigned char> chunk;
    for (uint64_t first = 0; first < place.count; first += kScanChunk) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kScanChunk, place.count - first));
        chunk.resize(n * kIndexRecordSize);
        if (!file.read_at(place.offset + first * kIndexRecordSize, chunk.data(), chunk.size())) return false;
        for (size_t i = 0; i < n; ++i)
            if (visit(chunk.data() + i * kIndexRecordSize)) return true;
    }
    return false;
}

// An index ending the file at offset whose every text lies between the header and it.
bool index_at_end(FileReader& file, int64_t offset) {
    const auto end = static_cast<int64_t>(file.size());
    if (offset < kHeaderSize || offset >= end || (end - offset) % kIndexRecordSize != 0) return false;
    const IndexPlace place{offset, static_cast<uint64_t>(end - offset) / kIndexRecordSize};
    return !scan_index(file, place, [&](const unsigned char* r) {
        return offset_of(r) < kHeaderSize || length_of(r) < 0 || int64_t{offset_of(r)} + length_of(r) > offset;
    }) && !file.failed();
}

// The header's index when its fields agree with each other and the file. Else
// an index the writer left at the end: as long as the header's size says, or
// starting where the last record's text ends (the texts come just before the
// index), whichever holds more. Else the header's index as far as it lies in the file.
IndexPlace locate_index(FileReader& file, const DbHeader& header) {
    const auto end = static_cast<int64_t>(file.size());
    const int64_t offset = header.index_offset, size = header.index_size;
    if (offset >= kHeaderSize && size >= 0 && size % kIndexRecordSize == 0 && offset + size == end)
        return {offset, static_cast<uint64_t>(size) / kIndexRecordSize};
    unsigned char last[kIndexRecordSize];
    const bool has_last = end >= kHeaderSize + kIndexRecordSize && file.read_at(end - kIndexRecordSize, last, sizeof last);
    for (const int64_t at : std::set<int64_t>{end - size, has_last ? int64_t{offset_of(last)} + length_of(last) : 0})
        if (index_at_end(file, at)) return {at, static_cast<uint64_t>(end - at) / kIndexRecordSize, true};
    if (offset < 0 || size < 0 || offset > end) return {offset, 0};
    return {offset, std::min(static_cast<uint64_t>(size), static_cast<uint64_t>(end - offset)) / kIndexRecordSize};
}

bool contains(std::string_view key, std::string_view search) {
    return key.find(search) != std::string_view::npos;
}

// The file's header and index judged record by record. A judgement depends
// only on the records before, so every walk of the same file judges alike and
// a rewrite walks the index again instead of holding it.
class Survey {
    FileReader& file_;
    DbSurvey survey_;
    IndexPlace place_;
    int64_t texts_end_ = kHeaderSize;
    std::map<int64_t, int64_t> taken_;  // the intact texts as merged [start, end) runs
    uint64_t taken_bytes_ = 0;

    DbRecordState judge(int64_t offset, int64_t length) {
        if (offset < kHeaderSize || length < 0 || offset + length > texts_end_) return DbRecordState::Outside;
        if (length == 0) return DbRecordState::Intact;
        int64_t start = offset, end = offset + length;
        auto next = taken_.upper_bound(start);
        auto before = next == taken_.begin() ? taken_.end() : std::prev(next);
        if ((before != taken_.end() && before->second > start) || (next != taken_.end() && next->first < end))
            return DbRecordState::Overlapping;
        // Texts back to back make one run, so a file as written keeps one.
        if (before != taken_.end() && before->second == start) start = before->first, taken_.erase(before);
        if (next != taken_.end() && next->first == end) end = next->second, taken_.erase(next);
        taken_[start] = end;
        taken_bytes_ += static_cast<uint64_t>(length);
        if (taken_.size() > kMaxRuns) merge_neighbours();
        return DbRecordState::Intact;
    }

    // Only a crafted file has texts in that many separate runs. Each pair of
    // neighbours becomes one run, the gap between them included: memory stays
    // bounded, and a later text in such a gap counts as overlapping, so no
    // byte is ever kept twice.
    void merge_neighbours() {
        for (auto run = taken_.begin(); run != taken_.end() && std::next(run) != taken_.end(); ++run) {
            run->second = std::next(run)->second;
            taken_.erase(std::next(run));
        }
    }

public:
    explicit Survey(FileReader& file) : file_(file) {
        survey_.identity = file.identity();
        survey_.file_size = file.size();
        const auto header = read_header(file);
        if (!header) {
            survey_.header_sane = file.size() == 0;  // an empty file is a database without entries
            survey_.loose_bytes = file.size();
            return;
        }
        const DbHeader& h = survey_.header = *header;
        place_ = locate_index(file, h);
        survey_.index_offset = place_.offset;
        survey_.index_recovered = place_.recovered;
        survey_.records = place_.count;
        const bool inside = place_.offset >= kHeaderSize && static_cast<uint64_t>(place_.offset) <= file.size();
        if (inside) texts_end_ = place_.offset;
        survey_.header_sane = !place_.recovered && inside && h.index_size >= 0 && h.index_size % kIndexRecordSize == 0 &&
                              survey_.records == static_cast<uint64_t>(h.index_size) / kIndexRecordSize;
    }

    const IndexPlace& place() const { return place_; }

    // Calls visit(record bytes, state) for each record present, in order.
    template <typename Visit>
    void walk(Visit visit) {
        taken_.clear();
        taken_bytes_ = 0;
        uint64_t damaged = 0, read = 0;
        scan_index(file_, place_, [&](const unsigned char* r) {
            const DbRecordState state = judge(offset_of(r), length_of(r));
            damaged += state != DbRecordState::Intact;
            ++read;
            visit(r, state);
            return false;
        });
        survey_.records = read;  // fewer only where the file could not be read
        survey_.damaged_records = damaged;
        const uint64_t accounted = kHeaderSize + taken_bytes_ + survey_.records * kIndexRecordSize;
        if (survey_.file_size >= kHeaderSize)
            survey_.loose_bytes = survey_.file_size > accounted ? survey_.file_size - accounted : 0;
    }

    // Valid after a whole walk.
    const DbSurvey& result() const { return survey_; }
};

uint64_t key_hash(std::string_view key) {
    uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (const char c : key) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    return hash;
}

// Which intact records have the key of an intact record before them. A pass
// remembers the keys of up to kKeysPerPass records in a row (a hash and the
// record's number, the key itself read again when a hash matches) and finds
// them among those records and the ones after, so memory stays bounded
// however many records there are: a pass and a bit per record.
std::vector<bool> repeated_keys(FileReader& file, Survey& survey) {
    const uint64_t count = survey.place().count;
    std::vector<bool> repeated(count);
    const size_t slots = std::bit_ceil(std::max<size_t>(16, 2 * std::min<uint64_t>(count, kKeysPerPass)));
    std::vector<std::pair<uint64_t, uint64_t>> table;  // hash, record number + 1 (0: free)
    for (uint64_t first = 0; first < count; first += kKeysPerPass) {
        table.assign(slots, {0, 0});
        uint64_t number = 0;
        survey.walk([&](const unsigned char* r, DbRecordState state) {
            const uint64_t at = number++;
            if (at < first || state != DbRecordState::Intact) return;
            const std::string_view key = key_of(r);
            const uint64_t hash = key_hash(key);
            for (size_t slot = hash & (slots - 1);; slot = (slot + 1) & (slots - 1)) {
                auto& [stored_hash, stored_at] = table[slot];
                unsigned char earlier[kKeySize];
                if (stored_at == 0) {
                    if (at < first + kKeysPerPass) stored_hash = hash, stored_at = at + 1;
                    return;
                }
                if (stored_hash == hash &&
                    file.read_at(survey.place().offset + (stored_at - 1) * kIndexRecordSize, earlier, kKeySize) &&
                    key_of(earlier) == key) {
                    repeated[at] = true;
                    return;
                }
            }
        });
    }
    return repeated;
}

int add_failed() {
    if (db_add_failure_hook) db_add_failure_hook(kDbAddFailedMessage);
    return -1;
}

struct Change {
    std::optional<std::string_view> search;                  // every record whose key contains it goes
    std::function<bool(DbEntry&)> next;                      // the entries to add, one at a time
    std::function<void(std::string_view key)> present = {};  // shown every key kept, before the first
    bool repair = false;  // write "PACK", and rewrite a damaged file even without other changes
};

// Writes the new version of the database into a new file beside it: the
// intact records that the search does not match, their texts back to back in
// index order, then the additions; a damaged file leaves a copy of itself.
// 1 replaced, 0 nothing to change, -1 not possible.
int rewrite(FileReader& file, const std::filesystem::path& path, const Change& change, std::filesystem::path* old_copy) {
    Survey survey(file);
    const auto deleted = [&](const unsigned char* r) { return change.search && contains(key_of(r), *change.search); };
    const auto kept = [&](const unsigned char* r, DbRecordState state) {
        return state == DbRecordState::Intact && !deleted(r);
    };
    bool deleting = false;
    int64_t kept_bytes = 0, kept_count = 0;
    survey.walk([&](const unsigned char* r, DbRecordState state) {
        deleting = deleting || deleted(r);
        if (!kept(r, state)) return;
        kept_bytes += length_of(r), ++kept_count;
        if (change.present) change.present(key_of(r));
    });
    const DbSurvey& found = survey.result();
    const bool foreign_magic = file.size() >= kHeaderSize && std::memcmp(found.header.magic, kMagic, 4) != 0;
    const bool repairing = change.repair && (found.damaged() || foreign_magic);
    DbEntry entry;
    bool adding = change.next && change.next(entry);
    if (!deleting && !adding && !repairing) return 0;

    FileReplacement out(path);
    unsigned char header[kHeaderSize] = {};  // written last, when the index's place is known
    if (!out.write(header, sizeof header)) return -1;

    // Texts that lie back to back in the file are copied as one run.
    int64_t run_start = 0, run_length = 0;
    survey.walk([&](const unsigned char* r, DbRecordState state) {
        if (!kept(r, state)) return;
        if (offset_of(r) != run_start + run_length) {
            out.copy_from(file, static_cast<uint64_t>(run_start), static_cast<uint64_t>(run_length));
            run_start = offset_of(r), run_length = 0;
        }
        run_length += length_of(r);
    });
    out.copy_from(file, static_cast<uint64_t>(run_start), static_cast<uint64_t>(run_length));
    int64_t at = kHeaderSize + kept_bytes;
    std::vector<RawRecord> added;
    for (; adding; adding = change.next(entry)) {
        out.write(entry.text.data(), entry.text.size());
        added.push_back(make_record(entry.key, at, static_cast<int64_t>(entry.text.size())));
        at += static_cast<int64_t>(entry.text.size());
    }
    const int64_t index_offset = at, index_size = (kept_count + static_cast<int64_t>(added.size())) * kIndexRecordSize;
    if (index_offset > INT32_MAX || index_size > INT32_MAX) return -1;  // more than the file's fields can say

    std::vector<RawRecord> index;
    index.reserve(kScanChunk);
    at = kHeaderSize;
    survey.walk([&](const unsigned char* r, DbRecordState state) {
        if (!kept(r, state)) return;
        index.push_back(make_record(key_of(r), at, length_of(r)));
        at += length_of(r);
        if (index.size() == kScanChunk) out.write(index.data(), index.size() * kIndexRecordSize), index.clear();
    });
    out.write(index.data(), index.size() * kIndexRecordSize);
    out.write(added.data(), added.size() * kIndexRecordSize);
    const bool old_magic = file.size() >= kHeaderSize && !change.repair;
    std::memcpy(header, old_magic ? found.header.magic : kMagic, 4);
    put_le32(header + 4, static_cast<int32_t>(index_offset));
    put_le32(header + 8, static_cast<int32_t>(index_size));
    out.write_start(header, sizeof header);

    if (file.failed()) return -1;  // a record or text that could not be read would be lost
    file.close();                  // Windows renames only a file nobody has open
    if (!out.commit(found.damaged() || repairing)) return -1;
    if (old_copy) *old_copy = out.old_copy();
    return 1;
}

// Every change holds the writer lock from its read of the file to the rename
// of the new one, so no change, from this process or another, comes between.
template <typename Apply>
int change_database(const std::filesystem::path& path, Apply apply) {
    const std::filesystem::path target = followed(path);
    const WriterLock lock(target, db_writer_wait);
    if (!lock.held()) return -1;
    FileReader file(target);
    std::error_code ec;
    if (!file.is_open() && std::filesystem::exists(target, ec)) return -1;  // there, but not readable
    return apply(file, target);
}

int change_database(const std::filesystem::path& path, const Change& change, std::filesystem::path* old_copy = nullptr) {
    return change_database(path, [&](FileReader& file, const std::filesystem::path& target) {
        return rewrite(file, target, change, old_copy);
    });
}

// The text of the first record whose key contains the search, when it can be read.
Text first_match(FileReader& file, std::string_view search) {
    const auto header = read_header(file);
    if (!header || std::memcmp(header->magic, kMagic, 4) != 0) return std::nullopt;
    Text text;
    scan_index(file, locate_index(file, *header), [&](const unsigned char* r) {
        if (!contains(key_of(r), search)) return false;
        std::string bytes;
        if (offset_of(r) >= 0 && length_of(r) >= 0 && file.read_string(offset_of(r), length_of(r), bytes))
            text = std::move(bytes);
        return true;  // the first match decides, readable or not
    });
    return text;
}

}  // namespace

int db_add(const Text& key, const Text& text, const std::filesystem::path& file) {
    if (!key || !text) return 0;
    const DbEntry entry{*key, *text};
    return db_add_all(std::span(&entry, 1), file);
}

int db_add_all(std::span<const DbEntry> entries, const std::filesystem::path& file) {
    size_t next = 0;
    return db_add_each([&](DbEntry& entry) { return next < entries.size() && (entry = entries[next++], true); }, {}, file);
}

int db_add_each(const std::function<bool(DbEntry&)>& next, const std::function<void(std::string_view)>& present,
                const std::filesystem::path& file) {
    const int result = change_database(file, {std::nullopt, next, present});
    return result < 0 ? add_failed() : result;
}

int db_update(std::string_view search, const DbEdit& edit, const std::filesystem::path& file) {
    const int result = change_database(file, [&](FileReader& reader, const std::filesystem::path& target) {
        std::optional<DbEntry> entry = edit(first_match(reader, search));
        if (!entry) return 0;
        bool given = false;
        const auto once = [&](DbEntry& next) { return !given && (next = std::move(*entry), given = true); };
        return rewrite(reader, target, {search, once}, nullptr);
    });
    return result < 0 ? add_failed() : result;
}

int db_delete(std::string_view search, const std::filesystem::path& file) {
    return change_database(file, {search, {}}) == 1 ? 1 : 0;
}

int db_repair(const std::filesystem::path& file, std::filesystem::path& old_copy) {
    return change_database(file, {std::nullopt, {}, {}, true}, &old_copy);
}

int db_contains(std::string_view search, const std::filesystem::path& path) {
    FileReader file(path);
    const auto header = read_header(file);
    if (!header) return 0;
    return scan_index(file, locate_index(file, *header),
                      [&](const unsigned char* r) { return contains(key_of(r), search); })
               ? 1
               : 0;
}

Text db_read(std::string_view search, const std::filesystem::path& path) {
    FileReader file(path);
    return first_match(file, search);
}

std::optional<DbSurvey> db_survey(const std::filesystem::path& path,
                                  const std::function<void(const DbIndexRecord&, const Text&)>& visit,
                                  size_t text_limit, bool find_repeats) {
    FileReader file(path);
    if (!file.is_open()) return std::nullopt;
    Survey survey(file);
    const std::vector<bool> repeated = find_repeats ? repeated_keys(file, survey) : std::vector<bool>();
    uint64_t number = 0;
    survey.walk([&](const unsigned char* r, DbRecordState state) {
        const uint64_t at = number++;
        if (!visit) return;
        const DbIndexRecord record{std::string(key_of(r)), offset_of(r), length_of(r), state,
                                   at < repeated.size() && repeated[at]};
        Text text;
        std::string bytes;
        const uint64_t wanted = std::min<uint64_t>(static_cast<uint64_t>(std::max(record.length, 0)), text_limit);
        if (text_limit > 0 && state == DbRecordState::Intact && file.read_string(record.offset, wanted, bytes))
            text = std::move(bytes);
        visit(record, text);
    });
    return survey.result();
}
