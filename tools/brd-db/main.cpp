// brd-db: the disc database file from the command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "brd_version.h"
#include "commands.h"

namespace {

constexpr const char* kUsageText =
    "Usage: brd-db [-f FILE] COMMAND [ARGUMENTS]\n"
    "\n"
    "Reads and changes a BRD disc database (FILE, by default brd.bdb in the\n"
    "current directory). Entries are found by key, \"category/discid\"; a KEY\n"
    "argument matches every key that contains it, so a bare disc id finds the\n"
    "disc under any category.\n"
    "\n"
    "Commands:\n"
    "  list            one line per entry: key, title, offset, length (tab-separated)\n"
    "  show KEY        print the stored text of the first entry matching KEY\n"
    "  delete KEY      remove every entry matching KEY and compact the file\n"
    "  check           check the file's structure and every entry's status line,\n"
    "                  and say what a rewrite would drop; exit status 1 if\n"
    "                  anything is wrong\n"
    "  repair          rewrite a damaged file with its intact entries, keeping\n"
    "                  the damaged file beside it as FILE.damaged-DATE-TIME\n"
    "  export DIR      write each entry as an xmcd file DIR/category/discid\n"
    "  import PATH...  add xmcd files, or folder trees laid out as CDDB dumps\n"
    "                  (category folders holding files named by disc id); a\n"
    "                  file named otherwise is stored under nocategory and the\n"
    "                  first id of its DISCID line; keys already present are skipped\n"
    "\n"
    "delete and import leave a damaged file alone: run 'check', then 'repair'.\n"
    "\n"
    "Options:\n"
    "  -f FILE         the database file (default: brd.bdb)\n"
    "  -h, --help      show this text\n"
    "  --version       show brd-db's version\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 wrong usage.\n";

int usage_error(const std::string& message) {
    report(message);
    std::fputs("Try 'brd-db --help' for more information.\n", stderr);
    return kUsage;
}

}  // namespace

void report(const std::string& message) { std::fprintf(stderr, "brd-db: %s\n", message.c_str()); }

void RecordLines::line(std::string text) {
    if (text == last_) {
        ++repeats_;
        return;
    }
    end_run();
    std::fprintf(out_, "%s\n", text.c_str());
    last_ = std::move(text);
}

void RecordLines::end_run() {
    if (repeats_) std::fprintf(out_, "\t(the same %llu more times)\n", static_cast<unsigned long long>(repeats_));
    repeats_ = 0;
    last_.clear();
}

int main(int argc, char** argv) {
#ifdef _WIN32
    // Entry texts are bytes with CR LF line ends of their own.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    fs::path db = "brd.bdb";
    size_t at = 0;
    for (; at < args.size() && args[at].starts_with('-'); ++at) {
        if (args[at] == "-h" || args[at] == "--help") {
            std::fputs(kUsageText, stdout);
            return kDone;
        }
        if (args[at] == "--version") {
            std::puts("brd-db " BRD_VERSION);
            return kDone;
        }
        if (args[at] != "-f") return usage_error("unknown option '" + args[at] + "'");
        if (++at == args.size() || args[at].empty()) return usage_error("-f needs a file name");
        db = args[at];
    }
    if (at == args.size()) return usage_error("no command given");
    const std::string command = args[at++];
    const std::span<const std::string> rest(args.data() + at, args.size() - at);

    const auto arity = [&](size_t n) { return rest.size() == n; };
    if (command == "list" && arity(0)) return list_entries(db);
    if (command == "check" && arity(0)) return check_database(db);
    if (command == "repair" && arity(0)) return repair_database(db);
    if ((command == "show" || command == "delete") && arity(1)) {
        if (rest[0].empty()) return usage_error("an empty KEY would match every entry");
        return command == "show" ? show_entry(db, rest[0]) : delete_entries(db, rest[0]);
    }
    if (command == "export" && arity(1)) return export_entries(db, rest[0]);
    if (command == "import" && !rest.empty()) return import_entries(db, rest);

    for (const char* known : {"list", "check", "repair", "show", "delete", "export", "import"})
        if (command == known) return usage_error("wrong number of arguments for '" + command + "'");
    return usage_error("unknown command '" + command + "'");
}
