#pragma once
// The commands of brd-db. Each prints its own output and errors and returns
// the exit code: 0 done, 1 failed.
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "discinfo/database.h"

namespace fs = std::filesystem;

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

int list_entries(const fs::path& db);
int show_entry(const fs::path& db, std::string_view search);
int delete_entries(const fs::path& db, std::string_view search);
int check_database(const fs::path& db);
int repair_database(const fs::path& db);
int export_entries(const fs::path& db, const fs::path& folder);
int import_entries(const fs::path& db, std::span<const std::string> paths);

using RecordVisit = std::function<void(const DbIndexRecord&, const Text&)>;

// db_survey, reporting a file that cannot be opened.
std::optional<DbSurvey> survey_database(const fs::path& db, const RecordVisit& visit = {}, size_t text_limit = 0,
                                        bool find_repeats = false);
// Commands that change the file leave a damaged one to repair: true (and
// reported) when it is damaged.
bool refuse_damaged(const fs::path& db, const DbSurvey& found);

// "brd-db: " and the message on stderr.
void report(const std::string& message);

// Lines about records, where a line that repeats the one before is only
// counted: a damaged index of millions of zeroed records gives one line.
class RecordLines {
    std::FILE* out_;
    std::string last_;
    uint64_t repeats_ = 0;

public:
    explicit RecordLines(std::FILE* out) : out_(out) {}
    ~RecordLines() { end_run(); }
    RecordLines(const RecordLines&) = delete;
    RecordLines& operator=(const RecordLines&) = delete;
    void line(std::string text);
    void end_run();
};
