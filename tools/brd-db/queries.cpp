// list, show, delete, check and repair: the database as it stands.
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "discinfo/database.h"
#include "discinfo/entry_text.h"

namespace {

constexpr size_t kStatusLimit = 1024;  // check reads no more of a text than its status line needs

std::string first_line(const std::string& text) {
    return std::string(text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3))));
}

// What is wrong with an intact entry's status line, or nothing.
std::string entry_fault(const DbIndexRecord& record, const std::string& text) {
    const std::string status = first_line(text);
    if (!status.starts_with("200 ") && !status.starts_with("100 ")) return "no \"200\" or \"100\" status line";
    const Text category = category_word(status, 1);
    const Text id = disc_id_word(status, 1);
    const size_t slash = record.key.find('/');
    if (record.key.size() < kKeySize && slash != std::string::npos && category && id &&
        (record.key.substr(0, slash) != *category || record.key.substr(slash + 1) != *id))
        return "status line names " + *category + "/" + *id;
    return {};
}

std::string damage_of(const DbIndexRecord& record) {
    const std::string where = "text at " + std::to_string(record.offset) + ", length " + std::to_string(record.length);
    return record.state == DbRecordState::Outside ? where + ", is not between the header and the index"
                                                  : where + ", shares bytes with an earlier entry's text";
}

// "1 entry", "2 entries".
std::string count_of(uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::optional<DbSurvey> survey_database(const fs::path& db, const RecordVisit& visit, size_t text_limit,
                                        bool find_repeats) {
    auto found = db_survey(db, visit, text_limit, find_repeats);
    if (!found) report("cannot open '" + db.string() + "'");
    return found;
}

bool refuse_damaged(const fs::path& db, const DbSurvey& found) {
    if (!found.damaged()) return false;
    report("the file '" + db.string() + "' is damaged and is left as it is; 'brd-db check' shows what "
           "'brd-db repair' would drop");
    return true;
}

int list_entries(const fs::path& db) {
    const auto found = survey_database(db, [](const DbIndexRecord& record, const Text& text) {
        const Text title = text ? value_of("DTITLE=", *text) : std::nullopt;
        std::printf("%s\t%s\t%d\t%d\n", record.key.c_str(), title.value_or("").c_str(), record.offset, record.length);
    }, SIZE_MAX);
    if (!found) return kFailed;
    if (found->damaged()) report("the file is damaged: 'brd-db check' tells where; damaged entries are listed without a title");
    return kDone;
}

int show_entry(const fs::path& db, std::string_view search) {
    if (!survey_database(db)) return kFailed;
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
    size_t matching = 0;
    const auto found = survey_database(db, [&](const DbIndexRecord& record, const Text&) {
        matching += record.key.find(search) != std::string::npos;
    });
    if (!found || refuse_damaged(db, *found)) return kFailed;
    if (matching == 0) {
        report("no entry matches '" + std::string(search) + "'");
        return kFailed;
    }
    if (!db_delete(search, db)) {
        report("could not rewrite '" + db.string() + "'; it is unchanged");
        return kFailed;
    }
    std::printf("deleted %zu %s matching '%.*s'\n", matching, matching == 1 ? "entry" : "entries",
                static_cast<int>(search.size()), search.data());
    return kDone;
}

int check_database(const fs::path& db) {
    uint64_t faults = 0;
    RecordLines lines(stdout);
    const auto found = survey_database(db, [&](const DbIndexRecord& record, const Text& text) {
        if (record.state != DbRecordState::Intact) {
            ++faults;
            lines.line(record.key + "\t\tFAULT: " + damage_of(record));
            return;
        }
        const std::string problem = entry_fault(record, text.value_or(""));
        lines.line(record.key + "\t" + first_line(text.value_or("")) + "\t" +
                   (!problem.empty()      ? "FAULT: " + problem
                    : record.repeats_key ? "ok (same key as an earlier entry, which is read first)"
                                         : "ok"));
        faults += !problem.empty();
    }, kStatusLimit, true);
    lines.end_run();
    if (!found) return kFailed;

    const DbHeader& header = found->header;
    const auto fault = [&](const std::string& what) {
        std::printf("FAULT: %s\n", what.c_str());
        ++faults;
    };
    const uint64_t claimed = header.index_size < 0 ? 0 : static_cast<uint64_t>(header.index_size) / kIndexRecordSize;
    std::printf("%s: %llu bytes, index at %d, %d bytes (%llu entries)\n", db.string().c_str(),
                static_cast<unsigned long long>(found->file_size), header.index_offset, header.index_size,
                static_cast<unsigned long long>(claimed));
    if (found->file_size > 0 && found->file_size < kHeaderSize) fault("the file is shorter than a header");
    else if (found->file_size > 0 && std::memcmp(header.magic, "PACK", 4) != 0)
        fault("the file does not start with \"PACK\": BRD reads no entry from it");
    if (found->index_recovered) {
        fault("the header's index offset or size is wrong; the index that ends the file, at " +
              std::to_string(found->index_offset) + ", is read instead");
    } else if (found->file_size >= kHeaderSize) {
        if (header.index_offset < kHeaderSize || static_cast<uint64_t>(header.index_offset) > found->file_size)
            fault("the index offset lies outside the file");
        if (header.index_size < 0 || header.index_size % kIndexRecordSize != 0)
            fault("the index size is not a multiple of 64");
        if (found->records < claimed)
            fault("the index runs past the end of the file: " + std::to_string(found->records) + " records are there");
    }
    if (found->loose_bytes) fault(std::to_string(found->loose_bytes) + " bytes lie in no entry and no index record");
    const uint64_t intact = found->records - found->damaged_records;
    if (found->damaged())
        std::printf("A rewrite keeps %s and drops %s and %s; 'brd-db repair' does it and keeps a copy of the file.\n",
                    count_of(intact, "entry", "entries").c_str(),
                    count_of(found->damaged_records, "damaged record", "damaged records").c_str(),
                    count_of(found->loose_bytes, "byte", "bytes").c_str());
    std::printf("%s, %s\n", count_of(found->records, "entry", "entries").c_str(),
                count_of(faults, "fault", "faults").c_str());
    return faults == 0 ? kDone : kFailed;
}

int repair_database(const fs::path& db) {
    const auto found = survey_database(db);
    if (!found) return kFailed;
    fs::path copy;
    const int result = db_repair(db, copy);
    if (result == 0) {
        std::printf("%s needs no repair\n", db.string().c_str());
        return kDone;
    }
    if (result < 0) {
        report("could not rewrite '" + db.string() + "'; it is unchanged");
        return kFailed;
    }
    std::printf("repaired %s: kept %s, dropped %s and %s; the old file is %s\n", db.string().c_str(),
                count_of(found->records - found->damaged_records, "entry", "entries").c_str(),
                count_of(found->damaged_records, "damaged record", "damaged records").c_str(),
                count_of(found->loose_bytes, "byte", "bytes").c_str(), copy.string().c_str());
    return kDone;
}
