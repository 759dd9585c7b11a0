#include "discinfo/play_order_store.h"

#include <algorithm>

#include "discinfo/database.h"
#include "discinfo/entry_text.h"
#include "discinfo/xmcd_writer.h"

namespace {

Text stored_entry(const DiscRecord& record, const std::filesystem::path& database) {
    if (!record.disc_id_text) return std::nullopt;
    return db_read(entry_key(record.category, *record.disc_id_text), database);
}

}  // namespace

Text play_order_text(std::span<const PlayOrderEntry> entries, int32_t track_count) {
    std::string order;
    for (const PlayOrderEntry& e : entries) {
        if (e.track < 1 || e.track > track_count) return std::nullopt;
        if (!order.empty()) order += ',';
        if (e.excluded) order += '-';
        order += std::to_string(e.track);
    }
    return order;
}

int save_play_order(const DiscRecord& record, std::span<const PlayOrderEntry> entries,
                    const std::filesystem::path& database) {
    const Text order = play_order_text(entries, record.track_count);
    if (!record.disc_id_text || !order) return 0;
    const std::string key = entry_key(record.category, *record.disc_id_text);
    // Read and written back in one change, so an entry a query stores meanwhile is never undone.
    return db_update(key, [&](const Text& stored) -> std::optional<DbEntry> {
        std::string text = stored.value_or("");
        if (!stored || !replace_value("PLAYORDER=", *order, text)) return std::nullopt;  // only stored entries keep an order
        return DbEntry{key, std::move(text)};
    }, database) == 1 ? 1 : 0;
}

int restore_play_order(const DiscRecord& record, std::span<PlayOrderEntry> entries,
                       const std::filesystem::path& database) {
    const Text text = stored_entry(record, database);
    if (!text) return 0;
    const Text order = value_of("PLAYORDER=", *text);
    const size_t count = std::min<size_t>(std::max(record.track_count, 0), entries.size());
    // A broken order leaves the positions it reached in disc order.
    const auto fail_at = [&](size_t last) {
        for (size_t j = 0; j <= last && j < count; ++j) {
            entries[j].track = static_cast<int32_t>(j + 1);
            entries[j].excluded = 0;
        }
        return 0;
    };
    if (!order) return fail_at(0);
    size_t pos = 0;
    for (size_t i = 0; i < count; ++i) {
        if (pos > order->size()) return fail_at(i);  // fewer tokens than tracks
        size_t end = order->find_first_of(",\n", pos);
        if (end == std::string::npos) end = order->size();
        const std::string_view token = std::string_view(*order).substr(pos, end - pos);
        pos = end + 1;
        const int32_t value = leading_int(token);
        const int32_t track = value < 0 ? -value : value;
        // A track the disc does not have would be played, shown and counted on.
        if (token.empty() || track < 1 || track > record.track_count) return fail_at(i);
        entries[i].track = track;
        entries[i].excluded = value < 0 ? 1 : 0;
    }
    return 1;
}
