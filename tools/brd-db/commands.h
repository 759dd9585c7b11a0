#pragma once
// The commands of brd-db. Each prints its own output and errors and returns
// the exit code: 0 done, 1 failed.
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

int list_entries(const fs::path& db);
int show_entry(const fs::path& db, std::string_view search);
int delete_entries(const fs::path& db, std::string_view search);
int check_database(const fs::path& db);
int export_entries(const fs::path& db, const fs::path& folder);
int import_entries(const fs::path& db, std::span<const std::string> paths);

// "brd-db: " and the message on stderr.
void report(const std::string& message);
