#include "discinfo/database.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>

#include "discinfo/db_file.h"

namespace {

constexpr char kMagic[4] = {'P', 'A', 'C', 'K'};
constexpr size_t kScanChunk = 1024;  // index records read or written at a time

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

// How many index records lie wholly inside the file, however many the header claims.
uint64_t records_present(const DbHeader& header, uint64_t file_size) {
    if (header.index_offset < 0 || header.index_size < 0 ||
        static_cast<uint64_t>(header.index_offset) > file_size)
        return 0;
    const uint64_t claimed = static_cast<uint64_t>(header.index_size) / kIndexRecordSize;
    return std::min(claimed, (file_size - header.index_offset) / kIndexRecordSize);
}

// Calls visit(record bytes) for the index records present, in order,
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
            if (visit(chunk.data() + i * kIndexRecordSize)) return true;
    }
    return false;
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
        return DbRecordState::Intact;
    }

public:
    explicit Survey(FileReader& file) : file_(file) {
        survey_.file_size = file.size();
        const auto header = read_header(file);
        if (!header) {
            survey_.header_sane = file.size() == 0;  // an empty file is a database without entries
            survey_.loose_bytes = file.size();
            return;
        }
        const DbHeader& h = survey_.header = *header;
        survey_.records = records_present(h, file.size());
        const bool inside = h.index_offset >= kHeaderSize && static_cast<uint64_t>(h.index_offset) <= file.size();
        if (inside) texts_end_ = h.index_offset;
        survey_.header_sane = inside && h.index_size >= 0 && h.index_size % kIndexRecordSize == 0 &&
                              survey_.records == static_cast<uint64_t>(h.index_size) / kIndexRecordSize;
    }

    const DbHeader& header() const { return survey_.header; }

    // Calls visit(record bytes, state) for each record present, until it returns true.
    template <typename Visit>
    void walk(Visit visit) {
        taken_.clear();
        taken_bytes_ = 0;
        uint64_t damaged = 0;
        scan_index(file_, survey_.header, [&](const unsigned char* r) {
            const DbRecordState state = judge(offset_of(r), length_of(r));
            damaged += state != DbRecordState::Intact;
            return visit(r, state);
        });
        survey_.damaged_records = damaged;
        const uint64_t accounted = kHeaderSize + taken_bytes_ + survey_.records * kIndexRecordSize;
        if (survey_.file_size >= kHeaderSize)
            survey_.loose_bytes = survey_.file_size > accounted ? survey_.file_size - accounted : 0;
    }

    // Valid after a whole walk.
    const DbSurvey& result() const { return survey_; }
};

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

int add_failed() {
    if (db_add_failure_hook) db_add_failure_hook(kDbAddFailedMessage);
    return -1;
}

struct Change {
    std::optional<std::string_view> search;  // the records to delete
    std::span<const DbEntry> additions;
    bool repair = false;  // write "PACK", and rewrite a damaged file even without other changes
};

// Writes the new version of the database into a new file beside it: the
// intact records that the search does not match, their texts back to back in
// index order, then the additions; a damaged file leaves a copy of itself.
// 1 replaced, 0 nothing to change, -1 not possible.
int rewrite(const std::filesystem::path& path, const Change& change, std::filesystem::path* old_copy) {
    FileReader file(path);
    std::error_code ec;
    if (!file.is_open() && std::filesystem::exists(path, ec)) return -1;  // there, but not readable

    Survey survey(file);
    const auto deleted = [&](const unsigned char* r) { return change.search && contains(key_of(r), *change.search); };
    const auto kept = [&](const unsigned char* r, DbRecordState state) {
        return state == DbRecordState::Intact && !deleted(r);
    };
    bool deleting = false;
    int64_t kept_bytes = 0, kept_count = static_cast<int64_t>(change.additions.size());
    survey.walk([&](const unsigned char* r, DbRecordState state) {
        deleting = deleting || deleted(r);
        if (kept(r, state)) kept_bytes += length_of(r), ++kept_count;
        return false;
    });
    const DbSurvey& found = survey.result();
    const bool foreign_magic = file.size() >= kHeaderSize && std::memcmp(found.header.magic, kMagic, 4) != 0;
    const bool repairing = change.repair && (found.damaged() || foreign_magic);
    if (!deleting && change.additions.empty() && !repairing) return 0;

    const int64_t index_offset = kHeaderSize + kept_bytes + total_length(change.additions);
    if (index_offset + kept_count * kIndexRecordSize > INT32_MAX) return -1;
    FileReplacement out(path);
    if (!out.is_open()) return -1;
    const bool old_magic = file.size() >= kHeaderSize && !change.repair;
    write_header(out, old_magic ? found.header.magic : kMagic, index_offset, kept_count * kIndexRecordSize);

    // Texts that lie back to back in the file are copied as one run.
    int64_t run_start = 0, run_length = 0;
    survey.walk([&](const unsigned char* r, DbRecordState state) {
        if (!kept(r, state)) return false;
        if (offset_of(r) != run_start + run_length) {
            out.copy_from(file, static_cast<uint64_t>(run_start), static_cast<uint64_t>(run_length));
            run_start = offset_of(r), run_length = 0;
        }
        run_length += length_of(r);
        return false;
    });
    out.copy_from(file, static_cast<uint64_t>(run_start), static_cast<uint64_t>(run_length));
    for (const DbEntry& e : change.additions) out.write(e.text.data(), e.text.size());

    std::vector<RawRecord> index;
    index.reserve(kScanChunk);
    const auto flush = [&] {
        out.write(index.data(), index.size() * kIndexRecordSize);
        index.clear();
    };
    int64_t at = kHeaderSize;
    const auto put = [&](std::string_view key, int64_t length) {
        index.push_back(make_record(key, at, length));
        at += length;
        if (index.size() == kScanChunk) flush();
    };
    survey.walk([&](const unsigned char* r, DbRecordState state) {
        if (kept(r, state)) put(key_of(r), length_of(r));
        return false;
    });
    for (const DbEntry& e : change.additions) put(e.key, static_cast<int64_t>(e.text.size()));
    flush();

    if (file.failed()) return -1;  // a record or text that could not be read would be lost
    file.close();                  // Windows renames only a file nobody has open
    if (!out.commit(found.damaged() || repairing)) return -1;
    if (old_copy) *old_copy = out.old_copy();
    return 1;
}

// Changes from the main thread and the query thread take turns, so neither
// replaces the file with a version that lacks the other's change.
int change_database(const std::filesystem::path& path, const Change& change,
                    std::filesystem::path* old_copy = nullptr) {
    static std::mutex one_change_at_a_time;
    const std::lock_guard<std::mutex> turn(one_change_at_a_time);
    return rewrite(path, change, old_copy);
}

}  // namespace

int db_add(const Text& key, const Text& text, const std::filesystem::path& file) {
    if (!key || !text) return 0;
    const DbEntry entry{*key, *text};
    return db_add_all(std::span(&entry, 1), file);
}

int db_add_all(std::span<const DbEntry> entries, const std::filesystem::path& file) {
    if (entries.empty()) return 0;
    return change_database(file, {std::nullopt, entries}) == 1 ? 1 : add_failed();
}

int db_replace(std::string_view search, const Text& key, const Text& text, const std::filesystem::path& file) {
    if (!key || !text) return 0;
    const DbEntry entry{*key, *text};
    return change_database(file, {search, std::span(&entry, 1)}) == 1 ? 1 : add_failed();
}

int db_delete(std::string_view search, const std::filesystem::path& file) {
    return change_database(file, {search, {}}) == 1 ? 1 : 0;
}

int db_repair(const std::filesystem::path& file, std::filesystem::path& old_copy) {
    return change_database(file, {std::nullopt, {}, true}, &old_copy);
}

int db_contains(std::string_view search, const std::filesystem::path& path) {
    FileReader file(path);
    const auto header = read_header(file);
    if (!header) return 0;
    return scan_index(file, *header, [&](const unsigned char* r) { return contains(key_of(r), search); })
               ? 1
               : 0;
}

Text db_read(std::string_view search, const std::filesystem::path& path) {
    FileReader file(path);
    const auto header = read_header(file);
    if (!header || std::memcmp(header->magic, kMagic, 4) != 0) return std::nullopt;
    Text text;
    scan_index(file, *header, [&](const unsigned char* r) {
        if (!contains(key_of(r), search)) return false;
        std::string bytes;
        if (offset_of(r) >= 0 && length_of(r) >= 0 && file.read_string(offset_of(r), length_of(r), bytes))
            text = std::move(bytes);
        return true;  // the first match decides, readable or not
    });
    return text;
}

std::optional<DbSurvey> db_survey(const std::filesystem::path& path,
                                  const std::function<void(const DbIndexRecord&, const Text&)>& visit,
                                  size_t text_limit) {
    FileReader file(path);
    if (!file.is_open()) return std::nullopt;
    Survey survey(file);
    survey.walk([&](const unsigned char* r, DbRecordState state) {
        if (!visit) return false;
        const DbIndexRecord record{std::string(key_of(r)), offset_of(r), length_of(r), state};
        Text text;
        std::string bytes;
        const uint64_t wanted = std::min<uint64_t>(static_cast<uint64_t>(std::max(record.length, 0)), text_limit);
        if (text_limit > 0 && state == DbRecordState::Intact && file.read_string(record.offset, wanted, bytes))
            text = std::move(bytes);
        visit(record, text);
        return false;
    });
    return survey.result();
}
