// brd.bdb listed as the CD Library lists it, in slices: every disc it lists
// shows the title its entry holds, and the tree comes out sorted.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discinfo/entry_text.h"
#include "discinfo/library_listing.h"
#include "scratch_file.h"

namespace {

LibraryListing listed(const std::filesystem::path& file, LibraryView view, size_t slice) {
    LibraryReader reader(file, view);
    while (!reader.read_some(slice)) {
    }
    return reader.take();
}

void expect_sorted(const std::vector<LibraryItem>& items) {
    for (size_t i = 1; i < items.size(); ++i)
        if (sorts_before(items[i].text, items[i - 1].text) || sorts_before(items[i].text, items[i].text)) std::abort();
    for (const LibraryItem& item : items) expect_sorted(item.discs);
}

// The DTITLE of each record up to a corrupt one, read whole from the file's
// bytes; none when a record's DTITLE lines do not stand together, as every
// xmcd writer keeps them (the listing may read such a title from the first).
std::optional<std::vector<std::string>> titles_stored(const std::filesystem::path& file, std::string_view bytes) {
    std::vector<std::string> titles;
    bool corrupt = false, split = false;
    db_survey(file, [&](const DbIndexRecord& record, const Text&) {
        corrupt = corrupt || record.offset < 0 || record.length < 0;
        if (corrupt || static_cast<uint64_t>(record.offset) + record.length > bytes.size()) return;
        const std::string_view text = bytes.substr(record.offset, record.length);
        if (const Text title = title_value("DTITLE=", text)) titles.push_back(*title);
        int runs = 0;
        bool in_run = false;
        for (size_t line = 0; line < text.size(); line = std::min(text.find('\n', line), text.size() - 1) + 1) {
            const bool title_line = text.substr(line).starts_with("DTITLE=");
            runs += title_line && !in_run;
            in_run = title_line;
        }
        split = split || runs > 1;
    });
    if (split) return std::nullopt;
    return titles;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = database_of(data, size);
    const LibraryListing by_category = listed(file, LibraryView::by_category, 1);
    const LibraryListing by_artist = listed(file, LibraryView::by_artist, 1000);
    expect_sorted(by_category.top);
    expect_sorted(by_artist.top);

    std::vector<std::string> shown;
    for (const LibraryItem& item : by_category.top) {
        if (!item.group) shown.push_back(item.text);
        for (const LibraryItem& disc : item.discs) shown.push_back(disc.text);
    }
    std::optional<std::vector<std::string>> stored = titles_stored(file, {reinterpret_cast<const char*>(data), size});
    std::sort(shown.begin(), shown.end());
    if (stored) std::sort(stored->begin(), stored->end());
    if ((stored && shown != *stored) || by_category.count != by_artist.count) std::abort();
    return 0;
}
