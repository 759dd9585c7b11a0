// brd.bdb as another version, a crash or a damaged disk may leave it: read,
// checked and repaired as the player and brd-db do. A repaired file is intact
// and still holds, in order, every entry the check called intact; a change
// to it keeps them too.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "discinfo/database.h"
#include "discinfo/entry_text.h"
#include "discinfo/play_order_store.h"
#include "scratch_file.h"

namespace {

using Entry = std::pair<std::string, std::string>;  // key, text

// The intact entries, as the check (brd-db check) reads them.
std::vector<Entry> intact_entries(const std::filesystem::path& file, bool* damaged = nullptr) {
    std::vector<Entry> entries;
    const auto survey = db_survey(
        file,
        [&](const DbIndexRecord& record, const Text& text) {
            if (record.state == DbRecordState::Intact) entries.push_back({record.key, text.value()});
        },
        SIZE_MAX, true);
    if (!survey) std::abort();
    if (damaged) *damaged = survey->damaged();
    return entries;
}

// An intact file reads each key as its first entry whose key contains it.
void expect_reads(const std::filesystem::path& file, const std::vector<Entry>& entries) {
    bool damaged = true;
    if (intact_entries(file, &damaged) != entries || damaged) std::abort();
    for (const auto& [key, text] : entries) {
        const std::string* first = &text;
        for (const auto& [other_key, other_text] : entries)
            if (other_key.find(key) != std::string::npos) {
                first = &other_text;
                break;
            }
        if (db_read(key, file) != *first || !db_contains(key, file)) std::abort();
    }
}

// The Play order stored with the first entry, applied to a disc of as many
// tracks as the order names and played from each position.
void restore_order(const std::filesystem::path& file, const std::vector<Entry>& entries) {
    if (entries.empty() || !value_of("PLAYORDER=", entries.front().second)) return;
    const std::string& key = entries.front().first;
    const size_t slash = key.find('/');
    if (slash == std::string::npos) return;
    DiscRecord disc;
    disc.category = key.substr(0, slash), disc.disc_id_text = key.substr(slash + 1);
    const Text stored = value_of("PLAYORDER=", entries.front().second);
    disc.track_count = std::min<int32_t>(kMaxTracks, 1 + std::count(stored->begin(), stored->end(), ','));
    PlayOrder order = make_play_order(disc.track_count);
    if (!restore_play_order(disc, order, file)) return;
    for (int32_t p = 0; p < disc.track_count; ++p) {
        play_range(order, p, 0);
        play_range(order, p, kPlayRepeatTrack);
        disc.playing = 1, disc.current_index = p;
        decide_range_finished(order, disc, kPlayRepeatCd);
        decide_follow_device(order, disc, 0, p + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = database_of(data, size);
    bool damaged = false;
    std::vector<Entry> entries = intact_entries(file, &damaged);
    restore_order(file, entries);

    std::filesystem::path copy;
    const int repaired = db_repair(file, copy);
    if (repaired < 0 || (damaged && repaired != 1)) std::abort();
    expect_reads(file, entries);
    if (db_repair(file, copy) != 0) std::abort();

    entries.emplace_back("rock/0123abcd", "200 rock 0123abcd\r\nDTITLE=Added\r\n");
    if (db_add(entries.back().first, entries.back().second, file) != 1) std::abort();
    expect_reads(file, entries);
    return 0;
}
