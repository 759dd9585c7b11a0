#include "discinfo/library_listing.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "discinfo/db_file.h"
#include "discinfo/entry_text.h"

namespace {

constexpr size_t kGroupTextLimit = 56;
// Enough for the header of a 99-track entry and its DTITLE, so most
// entries are listed without reading their track titles.
constexpr uint64_t kTitlePrefix = 2048;

// Letters of the system code page folded to their lower-case base letter.
const std::array<unsigned char, 256> kFold = [] {
    std::array<unsigned char, 256> fold{};
    for (int c = 0; c < 256; ++c) fold[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    constexpr std::string_view upper = "aaaaaaaceeeeiiiidnooooo\xd7ouuuuyts";
    constexpr std::string_view lower = "aaaaaaaceeeeiiiidnooooo\xf7ouuuuyty";
    for (int i = 0; i < 32; ++i) {
        fold[0xC0 + i] = static_cast<unsigned char>(upper[i]);
        fold[0xE0 + i] = static_cast<unsigned char>(lower[i]);
    }
    fold[0x8A] = fold[0x9A] = 's';
    fold[0x8E] = fold[0x9E] = 'z';
    fold[0x9F] = 'y';
    return fold;
}();

// The texts of a file as the writers leave it lie back to back in index
// order, so they are read a block at a time; a text elsewhere is read alone.
class TextReader {
public:
    explicit TextReader(FileReader& file) : file_(file) {}

    bool holds(uint64_t offset, uint64_t count) const {
        return offset <= file_.size() && count <= file_.size() - offset;
    }

    // The `count` bytes at `offset`, or null when they are not all in the file.
    const char* read(uint64_t offset, uint64_t count) {
        if (offset >= at_ && count <= block_.size() && offset - at_ <= block_.size() - count) return &block_[offset - at_];
        const bool onward = offset >= at_ && offset - at_ < block_.size() + kBlock;
        const uint64_t want = onward ? std::max(count, std::min<uint64_t>(kBlock, file_.size() - std::min(offset, file_.size())))
                                     : count;
        block_.clear();
        if (!file_.read_string(offset, want, block_)) return nullptr;
        at_ = offset;
        return block_.data();
    }

private:
    static constexpr uint64_t kBlock = 256 * 1024;
    FileReader& file_;
    std::string block_;
    uint64_t at_ = 0;  // where block_ starts in the file
};

// The DTITLE value of an entry, looking only at its beginning when the run of
// DTITLE lines ends there (the writers keep them together before the track
// titles); otherwise at the whole text.
Text dtitle_of(TextReader& texts, const DbIndexRecord& record) {
    const uint64_t length = static_cast<uint64_t>(record.length);
    // A text that runs past the file is no entry, whatever its beginning holds.
    if (!texts.holds(record.offset, length)) return std::nullopt;
    const uint64_t prefix = std::min(length, kTitlePrefix);
    const char* start = texts.read(record.offset, prefix);
    if (!start) return std::nullopt;
    if (prefix < length) {
        const std::string_view bytes(start, prefix);
        size_t pos = bytes.starts_with("DTITLE=") ? 0 : bytes.find("\nDTITLE=");
        if (pos != std::string::npos && pos > 0) ++pos;
        while (pos != std::string::npos && bytes.substr(pos).starts_with("DTITLE=")) {
            const size_t lf = bytes.find('\n', pos);
            pos = lf == std::string::npos ? lf : lf + 1;
        }
        // The line after the run must be there far enough to tell it is no DTITLE line.
        if (pos != std::string::npos && bytes.size() - pos >= 7) return title_value("DTITLE=", bytes.substr(0, pos));
        if (!(start = texts.read(record.offset, length))) return std::nullopt;
    }
    return title_value("DTITLE=", std::string_view(start, length));
}

void sort_items(std::vector<LibraryItem>& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const LibraryItem& a, const LibraryItem& b) { return sorts_before(a.text, b.text); });
}

}  // namespace

struct LibraryReader::Reading {
    std::filesystem::path path;
    LibraryView view;
    FileIdentity identity;  // of the file whose index was read
    std::vector<DbIndexRecord> records;
    size_t next = 0;
    bool started = false;
    bool done = false;
    LibraryListing listing;
    std::unordered_map<std::string, size_t> groups;  // group text -> index in listing.top

    Reading(const std::filesystem::path& p, LibraryView v) : path(p), view(v) {}

    // Takes the index of the file as it is now, from the beginning.
    void start() {
        started = true;
        records.clear();
        next = 0;
        listing = {};
        groups.clear();
        const auto survey = db_survey(path, [this](const DbIndexRecord& record, const Text&) { records.push_back(record); });
        done = !survey;
        if (!survey) return;
        identity = survey->identity;
        // The records of the index that was read, also one found at the end
        // of the file rather than where the header says.
        listing.count = static_cast<int32_t>(std::min<size_t>(records.size(), INT32_MAX));
    }

    void add(TextReader& texts, const DbIndexRecord& record) {
        const Text title = dtitle_of(texts, record);
        if (!title) return;  // an entry without a DTITLE is not listed
        const size_t slash = record.key.find('/');
        const std::string_view id = slash == std::string::npos ? "" : std::string_view(record.key).substr(slash + 1);
        LibraryItem disc{view == LibraryView::by_artist ? title_part(title).value_or("") : *title,
                         disc_id_number(id), false, {}};
        Text group = view == LibraryView::by_artist ? artist_part(title) : artist_part(record.key);
        if (!group) {
            listing.top.push_back(std::move(disc));
            return;
        }
        if (group->size() > kGroupTextLimit) group->resize(kGroupTextLimit);
        auto [at, added] = groups.try_emplace(*group, listing.top.size());
        if (added) listing.top.push_back({*group, 0, true, {}});
        listing.top[at->second].discs.push_back(std::move(disc));
    }
};

size_t LibraryListing::items() const {
    size_t n = top.size();
    for (const LibraryItem& item : top) n += item.discs.size();
    return n;
}

uint32_t disc_id_number(std::string_view text) {
    uint32_t value = 0;
    for (const char c : text) {
        const int digit = c >= 'a' ? c - 87 : c >= '0' ? c - 48 : 0;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

bool sorts_before(std::string_view a, std::string_view b) {
    const auto folded = [](char c) { return kFold[static_cast<unsigned char>(c)]; };
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (folded(a[i]) != folded(b[i])) return folded(a[i]) < folded(b[i]);
    if (a.size() != b.size()) return a.size() < b.size();
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

LibraryReader::LibraryReader(const std::filesystem::path& file, LibraryView view)
    : reading_(std::make_unique<Reading>(file, view)) {}

LibraryReader::~LibraryReader() = default;

int32_t LibraryReader::count() const { return reading_->listing.count; }

bool LibraryReader::read_some(size_t records, std::chrono::steady_clock::time_point until) {
    Reading& r = *reading_;
    if (!r.started) r.start();
    // Open for this call only: Windows replaces no file that is open, so a
    // change made between two calls could not be written. A change since the
    // index was read means starting again with the new file.
    for (;; r.start()) {
        FileReader file(r.path);
        if (!r.done && !(file.identity() == r.identity)) continue;
        TextReader texts(file);
        for (size_t n = 0; !r.done && n < records && r.next < r.records.size(); ++n) {
            if (n % 64 == 63 && std::chrono::steady_clock::now() >= until) break;
            const DbIndexRecord& record = r.records[r.next++];
            if (record.offset < 0 || record.length < 0) {
                r.listing.corrupt = true;
                r.done = true;
            } else {
                r.add(texts, record);
            }
        }
        if (r.next >= r.records.size()) r.done = true;
        return r.done;
    }
}

LibraryListing LibraryReader::take() {
    LibraryListing listing = std::move(reading_->listing);
    reading_->groups.clear();
    sort_items(listing.top);
    for (LibraryItem& item : listing.top) sort_items(item.discs);
    return listing;
}
