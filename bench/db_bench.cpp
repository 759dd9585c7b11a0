// Times the database operations on files of 1 000, 10 000 and 100 000
// entries, and brd-db import of a 100 000-entry dump tree. Each time is also
// given as a ratio to reading the same file's bytes once, measured in the
// same run, so the figures compare across machines.
//
// Usage: db_bench BRD-DB-EXECUTABLE WORK-FOLDER
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "discinfo/database.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* const kCategories[] = {"blues", "classical", "country", "data", "folk", "jazz",
                                   "misc", "newage", "reggae", "rock", "soundtrack"};

double seconds_of(const std::function<void()>& run) {
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of several runs: the least disturbed by the other work on the machine.
double best_of(int runs, const std::function<void()>& run) {
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) best = std::min(best, seconds_of(run));
    return best;
}

double read_once(const fs::path& file) {
    static std::vector<char> buffer(1 << 20);
    return best_of(5, [&] {
        std::FILE* f = std::fopen(file.string().c_str(), "rb");
        while (std::fread(buffer.data(), 1, buffer.size(), f) == buffer.size()) {
        }
        std::fclose(f);
    });
}

std::vector<std::string> sample_bodies() {
    std::vector<std::string> bodies;
    for (const auto& entry : fs::directory_iterator(BRD_BENCH_DATA)) {
        if (entry.path().extension() != ".xmcd") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string body;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            body += line + "\r\n";
        }
        bodies.push_back(body + ".\r\n");
    }
    return bodies;
}

std::string category_of(size_t i) { return kCategories[i % std::size(kCategories)]; }

std::string id_of(size_t i) {
    char id[9];
    std::snprintf(id, sizeof id, "%08zx", (0x10000000 + i * 2654435761u) & 0xffffffffu);
    return id;
}

std::vector<DbEntry> make_entries(size_t count, const std::vector<std::string>& bodies) {
    std::vector<DbEntry> entries;
    entries.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const std::string category = category_of(i), id = id_of(i);
        entries.push_back({category + "/" + id, "200 " + category + " " + id + "\r\n" + bodies[i % bodies.size()]});
    }
    return entries;
}

void row(const char* operation, size_t entries, const fs::path& file, double time, double baseline) {
    const double mb = static_cast<double>(fs::file_size(file)) / (1 << 20);
    std::printf("%-22s %8zu %9.1f %12.3f ms %9.2f\n", operation, entries, mb, time * 1e3, time / baseline);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: db_bench BRD-DB-EXECUTABLE WORK-FOLDER\n");
        return 2;
    }
    const fs::path tool = fs::absolute(argv[1]);
    const fs::path work = argv[2];
    fs::create_directories(work);
    const auto bodies = sample_bodies();

    std::printf("%-22s %8s %9s %15s %9s\n", "operation", "entries", "file MB", "time", "x read");
    for (size_t count : {1000u, 10000u, 100000u}) {
        const fs::path db = work / ("bench-" + std::to_string(count) + ".bdb");
        fs::remove(db);
        const auto entries = make_entries(count, bodies);
        if (db_add_all(entries, db) != 1) {
            std::fprintf(stderr, "db_bench: cannot write %s\n", db.string().c_str());
            return 1;
        }
        const int runs = count >= 100000 ? 5 : 20;
        const double baseline = read_once(db);
        const std::string last_key = entries.back().key;  // found only at the end of the index
        row("read file once", count, db, baseline, baseline);
        row("db_read (last entry)", count, db, best_of(runs, [&] { db_read(last_key, db); }), baseline);
        row("db_contains (absent)", count, db, best_of(runs, [&] { db_contains("jazz/ffffffff", db); }), baseline);

        // Add one entry and delete it again, so each round starts from the same file.
        double add = std::numeric_limits<double>::max(), del = add;
        for (int i = 0; i < (count >= 100000 ? 3 : 10); ++i) {
            add = std::min(add, seconds_of([&] { db_add("misc/0badf00d", bodies[0], db); }));
            del = std::min(del, seconds_of([&] { db_delete("misc/0badf00d", db); }));
        }
        row("db_add", count, db, add, baseline);
        row("db_delete", count, db, del, baseline);
        fs::remove(db);
    }

    // brd-db import of a dump tree: category folders of files named by disc id.
    const size_t count = 100000;
    const fs::path tree = work / "dump";
    for (const char* category : kCategories) fs::create_directories(tree / category);
    for (size_t i = 0; i < count; ++i) {
        std::ofstream out(tree / category_of(i) / id_of(i), std::ios::binary);
        const std::string& body = bodies[i % bodies.size()];
        out.write(body.data(), static_cast<std::streamsize>(body.size()));
    }
    const fs::path db = work / "import.bdb";
    fs::remove(db);
    const auto quoted = [](const fs::path& path) { return std::string(1, '"').append(path.string()).append(1, '"'); };
    const std::string command =
        quoted(tool).append(" -f ").append(quoted(db)).append(" import ").append(quoted(tree)).append(" >/dev/null");
    int status = 0;
    const double import = seconds_of([&] { status = std::system(command.c_str()); });
    if (status != 0 || !fs::exists(db)) {
        std::fprintf(stderr, "db_bench: brd-db import failed\n");
        return 1;
    }
    row("brd-db import", count, db, import, read_once(db));
    fs::remove_all(tree);
    fs::remove(db);
    return 0;
}
