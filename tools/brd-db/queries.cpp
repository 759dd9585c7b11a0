// list, show, delete and check: the database as it stands.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "commands.h"
#include "discinfo/database.h"
#include "discinfo/entry_text.h"

namespace {

std::optional<DbListing> open_listing(const fs::path& db) {
    auto listing = db_list(db);
    if (!listing) {
        std::error_code ec;
        report(fs::exists(db, ec) ? "cannot use '" + db.string() + "': too short to be a database"
                                  : "cannot open '" + db.string() + "'");
    }
    return listing;
}

std::string first_line(const std::string& text) {
    return std::string(text.substr(0, text.find_first_of("\r\n")));
}

// What is wrong with one entry, or nothing.
std::string entry_fault(const DbIndexRecord& record, const Text& text, const DbHeader& header) {
    if (record.offset < kHeaderSize || record.length < 0 ||
        static_cast<int64_t>(record.offset) + record.length > header.index_offset)
        return "text at " + std::to_string(record.offset) + ", length " + std::to_string(record.length) +
               ", is not between the header and the index";
    if (!text) return "text cannot be read";
    const std::string status = first_line(*text);
    if (!status.starts_with("200 ") && !status.starts_with("100 ")) return "no \"200\" or \"100\" status line";
    const Text category = category_word(status, 1);
    const Text id = disc_id_word(status, 1);
    const size_t slash = record.key.find('/');
    if (record.key.size() < kKeySize && slash != std::string::npos && category && id &&
        (record.key.substr(0, slash) != *category || record.key.substr(slash + 1) != *id))
        return "status line names " + *category + "/" + *id;
    return {};
}

}  // namespace

int list_entries(const fs::path& db) {
    const auto listing = open_listing(db);
    if (!listing) return kFailed;
    db_for_each_text(*listing, db, [](const DbIndexRecord& record, const Text& text) {
        const Text title = text ? value_of("DTITLE=", *text) : std::nullopt;
        std::printf("%s\t%s\t%d\t%d\n", record.key.c_str(), title.value_or("").c_str(), record.offset, record.length);
    });
    return kDone;
}

int show_entry(const fs::path& db, std::string_view search) {
    if (!open_listing(db)) return kFailed;
    const Text text = db_read(search, db);
    if (!text) {
        report(db_contains(search, db) ? "the entry matching '" + std::string(search) + "' cannot be read"
                                       : "no entry matches '" + std::string(search) + "'");
        return kFailed;
    }
    std::fwrite(text->data(), 1, text->size(), stdout);
    return kDone;
}

int delete_entries(const fs::path& db, std::string_view search) {
    const auto listing = open_listing(db);
    if (!listing) return kFailed;
    size_t matching = 0;
    for (const DbIndexRecord& record : listing->records) matching += record.key.find(search) != std::string::npos;
    if (matching == 0) {
        report("no entry matches '" + std::string(search) + "'");
        return kFailed;
    }
    if (!db_delete(search, db)) {
        report("could not rewrite '" + db.string() + "'; it is unchanged (run 'brd-db check')");
        return kFailed;
    }
    std::printf("deleted %zu %s matching '%.*s'\n", matching, matching == 1 ? "entry" : "entries",
                static_cast<int>(search.size()), search.data());
    return kDone;
}

int check_database(const fs::path& db) {
    const auto listing = open_listing(db);
    if (!listing) return kFailed;
    const DbHeader& header = listing->header;
    int faults = 0;
    const auto fault = [&](const std::string& what) {
        std::printf("FAULT: %s\n", what.c_str());
        ++faults;
    };
    std::printf("%s: %llu bytes, index at %d, %d bytes (%d entries)\n", db.string().c_str(),
                static_cast<unsigned long long>(listing->file_size), header.index_offset, header.index_size,
                header.index_size < 0 ? 0 : header.index_size / kIndexRecordSize);
    if (std::memcmp(header.magic, "PACK", 4) != 0) fault("the file does not start with \"PACK\"");
    if (header.index_offset < kHeaderSize || static_cast<uint64_t>(header.index_offset) > listing->file_size)
        fault("the index offset lies outside the file");
    if (header.index_size < 0 || header.index_size % kIndexRecordSize != 0)
        fault("the index size is not a multiple of 64");
    if (!listing->index_complete)
        fault("the index runs past the end of the file: " + std::to_string(listing->records.size()) +
              " records are there");
    const uint64_t end = static_cast<uint64_t>(header.index_offset) + static_cast<uint64_t>(header.index_size);
    if (listing->index_complete && header.index_offset >= 0 && end < listing->file_size)
        fault(std::to_string(listing->file_size - end) + " stray bytes after the index");

    std::set<std::string> seen;
    db_for_each_text(*listing, db, [&](const DbIndexRecord& record, const Text& text) {
        const std::string problem = entry_fault(record, text, header);
        const std::string status = text ? first_line(*text) : "";
        const bool duplicate = !seen.insert(record.key).second;
        std::printf("%s\t%s\t%s\n", record.key.c_str(), status.c_str(),
                    !problem.empty() ? ("FAULT: " + problem).c_str()
                    : duplicate      ? "ok (same key as an earlier entry, which is read first)"
                                     : "ok");
        faults += !problem.empty();
    });
    std::printf("%zu entries, %d %s\n", listing->records.size(), faults, faults == 1 ? "fault" : "faults");
    return faults == 0 ? kDone : kFailed;
}
