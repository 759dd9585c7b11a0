// export and import: xmcd files laid out as CDDB dumps (category folders
// holding files named by disc id) in and out of the database.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_set>
#include <vector>

#include "commands.h"
#include "discinfo/database.h"
#include "discinfo/entry_text.h"
#include "discinfo/xmcd_writer.h"

namespace {

bool is_disc_id(std::string_view name) {
    return name.size() == 8 && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// A category or disc id that can name a folder or file anywhere and a word
// of a status line: no separators, no spaces, no "." or "..".
bool is_safe_name(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
               c == '_' || c == '.';
    });
}

std::optional<std::string> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// Splits a text into its lines, without line ends (LF, CR LF).
std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t lf = text.find('\n', pos);
        if (lf == std::string_view::npos) lf = text.size();
        std::string_view line = text.substr(pos, lf - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        pos = lf + 1;
    }
    return lines;
}

// The stored form of an xmcd file: its status line, its lines with CR LF
// and a closing "." line.
std::string stored_form(const std::string& category, const std::string& id, std::string_view file) {
    std::string text = "200 " + category + " " + id + "\r\n";
    const auto lines = lines_of(file);
    for (std::string_view line : lines) text.append(line).append("\r\n");
    if (lines.empty() || lines.back() != ".") text.append(".\r\n");
    return text;
}

// The xmcd file of a stored entry: without the status line and the "." line, LF line ends.
std::string file_form(std::string_view stored) {
    auto lines = lines_of(stored);
    if (!lines.empty() && (lines.front().starts_with("200 ") || lines.front().starts_with("100 ")))
        lines.erase(lines.begin());
    if (!lines.empty() && lines.back() == ".") lines.pop_back();
    std::string file;
    for (std::string_view line : lines) file.append(line).append("\n");
    return file;
}

struct ImportFile {
    fs::path path;
    bool in_dump_tree;  // found under a folder argument: only files named by disc id count
};

void collect(const fs::path& path, std::vector<ImportFile>& files, int& failures) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        std::vector<fs::path> found;
        for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            if (it->is_regular_file(ec)) found.push_back(it->path());
        if (ec) {
            report("cannot read the folder '" + path.string() + "': " + ec.message());
            ++failures;
        }
        std::sort(found.begin(), found.end());  // the same tree always gives the same file
        for (fs::path& p : found) files.push_back({std::move(p), true});
    } else if (fs::is_regular_file(path, ec)) {
        files.push_back({path, false});
    } else {
        report("no such file or folder: '" + path.string() + "'");
        ++failures;
    }
}

}  // namespace

int export_entries(const fs::path& db, const fs::path& folder) {
    int failures = 0;
    size_t written = 0;
    RecordLines skipped(stderr);
    const auto found = survey_database(db, [&](const DbIndexRecord& record, const Text& text) {
        const size_t slash = record.key.find('/');
        const std::string category = slash == std::string::npos ? "" : record.key.substr(0, slash);
        const std::string id = slash == std::string::npos ? "" : record.key.substr(slash + 1);
        const auto skip = [&](const std::string& why) { skipped.line("brd-db: skipped '" + record.key + "': " + why); };
        if (!is_safe_name(category) || !is_safe_name(id)) {
            skip("not a category/discid key that can name a file");
            ++failures;
            return;
        }
        if (!text) {
            skip("its text is damaged (see 'brd-db check')");
            ++failures;
            return;
        }
        if (record.repeats_key) {
            skip("a second entry with this key (the first one was exported)");
            return;
        }
        std::error_code ec;
        fs::create_directories(folder / category, ec);
        std::ofstream out(folder / category / id, std::ios::binary | std::ios::trunc);
        const std::string bytes = file_form(*text);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            report("cannot write '" + (folder / category / id).string() + "'");
            ++failures;
            return;
        }
        ++written;
    }, SIZE_MAX, true);
    skipped.end_run();
    if (!found) return kFailed;
    std::printf("exported %zu %s to %s\n", written, written == 1 ? "entry" : "entries", folder.string().c_str());
    return failures == 0 ? kDone : kFailed;
}

int import_entries(const fs::path& db, std::span<const std::string> paths) {
    int failures = 0;
    std::vector<ImportFile> files;
    for (const std::string& path : paths) collect(path, files, failures);

    std::error_code ec;
    if (fs::exists(db, ec)) {
        const auto found = survey_database(db);
        if (!found || refuse_damaged(db, *found)) {
            report("nothing imported");
            return kFailed;
        }
    }

    // One entry read at a time, straight into the new file; the keys the
    // file holds are shown first, in the same change, so none is stored twice.
    std::unordered_set<std::string> keys;
    size_t imported = 0, present = 0, ignored = 0, next_file = 0;
    const auto next = [&](DbEntry& entry) {
        while (next_file < files.size()) {
            const ImportFile& file = files[next_file++];
            const std::string name = file.path.filename().string();
            if (file.in_dump_tree && !is_disc_id(name)) {
                ++ignored;  // READMEs and the like beside the category folders
                continue;
            }
            const auto bytes = read_file(file.path);
            if (!bytes) {
                report("cannot read '" + file.path.string() + "'");
                ++failures;
                continue;
            }
            if (!bytes->starts_with("# xmcd")) {
                report("skipped '" + file.path.string() + "': not an xmcd file (it does not start with \"# xmcd\")");
                ++failures;
                continue;
            }
            // The same rule as for an entry from a CDDB server.
            if (const EntryFault fault = entry_fault(*bytes); fault != EntryFault::None) {
                report("skipped '" + file.path.string() + "': it holds " + entry_fault_text(fault));
                ++failures;
                continue;
            }
            std::string category = "nocategory", id = name;
            if (is_disc_id(name)) {
                const std::string folder = file.path.parent_path().filename().string();
                if (is_safe_name(folder)) category = folder;
            } else {
                const Text ids = value_of("DISCID=", *bytes);
                id = ids ? ids->substr(0, ids->find(',')) : "";
                if (!is_disc_id(id)) {
                    report("skipped '" + file.path.string() + "': not named by disc id and without a usable DISCID line");
                    ++failures;
                    continue;
                }
            }
            entry.key = entry_key(category, id);
            if (!keys.insert(entry.key).second) {
                ++present;
                continue;
            }
            entry.text = stored_form(category, id, *bytes);
            ++imported;
            return true;
        }
        return false;
    };
    if (db_add_each(next, [&](std::string_view key) { keys.emplace(key); }, db) < 0) {
        report("could not write '" + db.string() + "'; it is unchanged");
        return kFailed;
    }
    std::printf("imported %zu %s", imported, imported == 1 ? "entry" : "entries");
    if (present) std::printf(", %zu already present", present);
    if (ignored) std::printf(", %zu files not named by disc id ignored", ignored);
    if (failures) std::printf(", %d failed", failures);
    std::printf("\n");
    return failures == 0 ? kDone : kFailed;
}
