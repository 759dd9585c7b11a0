#include "discinfo/database.h"

#include <thread>
#include <unistd.h>  // getpid, also in MinGW

#include "test_support.h"

// A length field taken on trust would ask for more: the sanitizer then stops the test.
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=64"; }

namespace {

int writes = 0, fail_at = 0;  // the writes a change made so far, and the one that is to fail

std::string le32(int64_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

std::string record(std::string key, int64_t offset, int64_t length) {
    key.resize(56, '\0');
    return key + le32(offset) + le32(length);
}

// These entries added one by one to a new file.
std::string layout(const std::vector<DbEntry>& entries, const std::string& magic = "PACK") {
    std::string texts, index;
    for (const DbEntry& e : entries) index += record(e.key, 12 + texts.size(), e.text.size()), texts += e.text;
    return magic + le32(12 + texts.size()) + le32(index.size()) + texts + index;
}

class Database : public ::testing::Test {
protected:
    ScratchDir dir;
    fs::path db = dir / "brd.bdb";
    std::vector<DbEntry> real = {stored_entry("country/0009e012", "poisdeux_dummymediafiles_0009e012-country.xmcd"),
                                 stored_entry("rock/7908090a", "alrs_freedb_7908090a.xmcd"),
                                 stored_entry("reggae/0009e012", "poisdeux_dummymediafiles_0009e012-reggae.xmcd")};
    static inline std::vector<std::string> messages;
    void SetUp() override { messages.clear(), db_add_failure_hook = [](const char* m) { messages.emplace_back(m); }; }
    void TearDown() override { db_add_failure_hook = nullptr; }
    size_t files() const {  // besides the writers' lock file, which stays
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir.path), {})) - fs::exists(dir / "brd.bdb.lock");
    }
};

}  // namespace

TEST_F(Database, LookupsMatchPartOfAKeyTheFirstMatchWinsAndAForeignFileIsOnlySearched) {
    write_bytes(db, layout(real));
    EXPECT_EQ(db_read("0009e012", db), real[0].text);
    EXPECT_EQ(db_read("7908090a", db), real[1].text);
    EXPECT_TRUE(db_contains("reggae/", db) && !db_contains("jazz", db) && !db_read("jazz", db));
    EXPECT_EQ(db_add(std::nullopt, "text", db) + db_add("key", std::nullopt, db) + db_add_all({}, db), 0);
    const std::string key = std::string(50, 'c') + "/0123456789abcdef";  // cut to 56 bytes
    // An update sees the first match and stores its answer in place of every match, or declines.
    const auto update = [&](std::string_view search, std::optional<DbEntry> answer) {
        Text seen = "not called";
        const int result = db_update(search, [&](const Text& stored) { return seen = stored, answer; }, db);
        return std::pair(result, seen);
    };
    EXPECT_EQ(update("0009e012", std::nullopt), std::pair(0, Text(real[0].text)));
    EXPECT_EQ(file_bytes(db), layout(real));
    EXPECT_EQ(update("nothing", DbEntry{key, ""}), std::pair(1, Text()));  // nothing to delete: a plain add
    EXPECT_EQ(file_bytes(db), layout({real[0], real[1], real[2], {key.substr(0, 56), ""}}));
    EXPECT_TRUE(db_read(key.substr(0, 56), db) == "" && !db_contains(key.substr(0, 57), db));

    // Another program's file: never read, but searched and kept as it is.
    write_bytes(db, layout({real[0], real[1]}, "KCAP"));
    EXPECT_TRUE(!db_read("7908090a", db) && db_contains("7908090a", db));
    ASSERT_EQ(db_add(real[2].key, real[2].text, db) + db_delete("rock", db), 2);
    EXPECT_EQ(file_bytes(db), layout({real[0], real[2]}, "KCAP"));
}

// A change may fail at any write: the database keeps its old bytes, and nothing is left beside it.
TEST_F(Database, AChangeIsWholeOrNoneAndChangesFromTwoThreadsAreAllKept) {
    const DbEntry big{"misc/00000001", std::string(3000, 'a')};
    const struct { const char* name; std::function<int()> run; std::string after; } changes[] = {
        {"add", [&] { return db_add(big.key, big.text, db); }, layout({real[0], real[1], real[2], big})},
        {"delete", [&] { return db_delete("0009e012", db); }, layout({real[1]})},  // under every category
        {"update", [&] { return db_update("rock/7908090a", [&](const Text&) { return big; }, db); }, layout({real[0], real[2], big})},
    };
    for (const auto& change : changes) {
        for (int at = 1; writes >= at - 1; ++at) {
            write_bytes(db, layout(real));
            writes = 0, fail_at = at;
            db_write_fault_hook = [] { return ++writes != fail_at; };
            const int result = change.run();
            db_write_fault_hook = nullptr;
            const bool done = writes < at;
            EXPECT_TRUE((result == 1) == done && (!done || at > 3) && files() == 1u) << change.name << " at write " << at;
            EXPECT_EQ(file_bytes(db), done ? change.after : layout(real)) << change.name << " at write " << at;
        }
    }
    EXPECT_EQ(db_delete("0009e012", db) * 10 + db_delete("0009e012", db), 10);  // then nothing left to match

    // The main thread and the CDDB query thread may store entries at the same time.
    fs::remove(db), messages.clear();
    std::atomic<int> ready{0};
    auto add_many = [&](const std::string& category) {
        for (++ready; ready < 2;) std::this_thread::yield();
        for (int i = 0; i < 40; ++i) db_add(category + "/" + std::to_string(10000000 + i), category, db);
    };
    std::thread other(add_many, "jazz");
    add_many("rock");
    other.join();
    EXPECT_TRUE(db_survey(db)->records == 80u && messages.empty());
}

// Damaged files: a read finds only what lies wholly inside the file and never
// asks for more memory than the file holds; a change keeps every intact entry,
// drops the damage and first keeps a copy of the damaged file.
TEST_F(Database, DamagedFilesKeepEveryIntactEntryAndACopy) {
    const std::string text = "200 rock 11111111\r\nDTITLE=Good\r\n", status = text.substr(0, 19);
    const DbEntry rock{"rock/11111111", text}, added{"misc/3", "new"};
    const std::string good = "PACK" + le32(44) + le32(128) + text + record(rock.key, 12, 32);
    const std::string jazz = "200 jazz 2\r\n";
    struct Case { std::string bytes; std::vector<DbEntry> intact; };
    std::vector<Case> cases = {
        {"PAC", {}}, {std::string(12, '\xff'), {}}, {"GIF89a" + std::string(100, '\0'), {}},
        {good.substr(0, good.size() - 10), {}},  // the index cut short
        {good + record("jazz/2", 12, 4), {rock}},  // shares rock's text
        {"PACK" + le32(56) + le32(64) + text + jazz + record(rock.key, 12, 32), {rock}},  // a text in no record
        {good.substr(0, 8) + le32(64) + good.substr(12) + "stray", {rock}},
        {good.substr(0, 8) + le32(70) + good.substr(12) + "partial", {rock}}};
    // Whatever the header's index fields say, the index that ends the file is found.
    for (const auto& [offset, size] : std::vector<std::pair<int64_t, int64_t>>{
             {5000, 64}, {-1, 64}, {INT32_MAX, 64}, {31, -64}, {4, 64}, {31, INT32_MAX}, {31, 2000000000}})
        cases.push_back({"PACK" + le32(offset) + le32(size) + status + record(rock.key, 12, 19), {{rock.key, status}}});
    for (const auto& [offset, length] : std::vector<std::pair<int64_t, int64_t>>{
             {12, -1}, {-12, 4}, {12, INT32_MAX}, {INT32_MAX, 4}, {INT32_MIN, INT32_MIN}, {100000, 10}, {40, 8}, {0, 4}})
        cases.push_back({good + record("jazz/2", offset, length), {rock}});

    for (const Case& c : cases) {
        write_bytes(db, c.bytes);
        const Text read = db_read("rock", db);
        EXPECT_TRUE(!read || *read == text || *read == status) << c.bytes;
        EXPECT_TRUE(db_survey(db)->damaged()) << c.bytes;
        std::vector<DbEntry> after = c.intact;
        after.push_back(added);
        ASSERT_EQ(db_add(added.key, added.text, db), 1) << c.bytes;
        const std::string magic = c.bytes.size() >= 12 ? c.bytes.substr(0, 4) : "PACK";
        EXPECT_EQ(file_bytes(db), layout(after, magic)) << c.bytes;
        ASSERT_EQ(files(), 2u) << c.bytes;  // the database and the copy, nothing else
        for (const auto& entry : fs::directory_iterator(dir.path))
            if (entry.path() != db && entry.path().filename() != "brd.bdb.lock") {
                EXPECT_TRUE(entry.path().filename().string().starts_with("brd.bdb.damaged-")) << entry.path();
                EXPECT_EQ(file_bytes(entry.path()), c.bytes);
                fs::remove(entry.path());
            }
        EXPECT_TRUE(db_delete("misc/3", db) == 1 && files() == 1u && file_bytes(db) == layout(c.intact, magic));
    }
    EXPECT_TRUE(messages.empty());

    // Records that share one text: a rewrite copies it once, never once per record.
    const std::string big(100000, 'x');
    std::string bytes = "PACK" + le32(12 + big.size()) + le32(64 * 2000) + big;
    for (int i = 0; i < 2000; ++i) bytes += record("misc/" + std::to_string(i), 12, big.size());
    write_bytes(db, bytes);
    EXPECT_EQ(db_survey(db)->damaged_records, 1999u);
    ASSERT_EQ(db_delete("misc/1999", db), 1);
    EXPECT_EQ(file_bytes(db), layout({{"misc/0", big}}));

    // More separate texts than memory keeps apart (only a crafted file has
    // them): those in order stay intact; one in a gap between two counts as overlapping.
    bytes = "PACK" + le32(12 + 2 * 70000) + le32(64 * 70001) + std::string(2 * 70000, 'x');
    for (int i = 0; i < 70000; ++i) bytes += record(std::to_string(i), 12 + 2 * i, 1);
    write_bytes(db, bytes + record("gap", 13, 1));
    const auto runs = db_survey(db);
    EXPECT_TRUE(runs->records == 70001u && runs->damaged_records == 1u);

    fs::remove_all(dir.path), fs::create_directory(dir.path);
    write_bytes(db, "");  // an empty file is a database without entries
    EXPECT_TRUE(!db_survey(db)->damaged() && db_add("misc/3", "new", db) == 1 && db_read("misc", db) == "new");
    fs::remove(db);
    EXPECT_TRUE(!db_read("x", db) && !db_survey(db) && !db_contains("x", db) && !db_delete("x", db));
    fs::create_directory(db);  // a folder in place of the file
    EXPECT_TRUE(!db_read("x", db) && !db_contains("x", db) && !db_delete("x", db) && db_add("rock/1", "x", db) == -1 &&
                db_add("rock/1", "x", dir / "no-such-folder" / "brd.bdb") == -1);
    EXPECT_TRUE(fs::is_directory(db) && files() == 1 && messages.size() == 2u);
}

// A writer holds the database's lock while its new file exists, so a change
// removes every other new file beside the database, whatever process id its
// name holds (ids are reused): not one just touched, nor another database's.
TEST_F(Database, AChangeRemovesWhatKilledWritersLeft) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const auto leave = [&](const std::string& name, bool stale) {
        write_bytes(dir / name, "half a database");
        if (stale) fs::last_write_time(dir / name, old);
    };
    const std::string running = std::to_string(getpid()), gone = "2147483600";
    leave("brd.bdb.new-" + gone + "-5-0", true);
    leave("brd.bdb.new-" + running + "-7-0", true);
    leave("brd.bdb.new-" + gone + "-6-0", false);
    leave("other.bdb.new-" + gone + "-8-0", true);
    ASSERT_EQ(db_add("misc/3", "new", db), 1);
    EXPECT_FALSE(fs::exists(dir / ("brd.bdb.new-" + gone + "-5-0")) || fs::exists(dir / ("brd.bdb.new-" + running + "-7-0")));
    EXPECT_EQ(files(), 3u);
}

// The writer puts the index at the end of the file: a header whose index
// offset or size lost a bit still finds every entry there.
TEST_F(Database, AHeaderWithAFlippedBitStillFindsEveryEntry) {
    const DbEntry added{"misc/3", "new"};
    for (int bit = 0; bit < 64; ++bit) {
        std::string bytes = layout(real);
        bytes[4 + bit / 8] ^= static_cast<char>(1 << bit % 8);
        write_bytes(db, bytes);
        EXPECT_TRUE(db_read("7908090a", db) == real[1].text) << bit;
        ASSERT_EQ(db_add(added.key, added.text, db), 1) << bit;
        EXPECT_TRUE(file_bytes(db) == layout({real[0], real[1], real[2], added})) << bit;
        for (const auto& entry : fs::directory_iterator(dir.path))
            if (entry.path().filename().string().starts_with("brd.bdb.damaged-")) fs::remove(entry.path());
    }
}

// A damaged file whose index crosses the 2 GiB mark, made sparse: every
// record is read (the last ones past the mark), kept and repaired.
TEST_F(Database, AFileWhoseIndexCrossesTwoGibibytesIsRepaired) {
    std::vector<DbEntry> entries = {real[0], real[2]};
    for (int i = 0; i < 1100; ++i) entries.push_back({"misc/" + std::to_string(i), ""});
    entries.push_back(real[1]);
    const int64_t index = (int64_t{1} << 31) - 640, last = index - static_cast<int64_t>(real[1].text.size());
    {
        std::ofstream out(db, std::ios::binary);
        out << "PACK" << le32(index) << le32(entries.size() * 64) << real[0].text << real[2].text;
        out.seekp(last);
        out << real[1].text;
        for (size_t i = 0, at = 12; i + 1 < entries.size(); at += entries[i++].text.size()) out << record(entries[i].key, at, entries[i].text.size());
        out << record(real[1].key, last, real[1].text.size());
    }
    const auto found = db_survey(db);
    EXPECT_TRUE(found && found->records == entries.size() && found->damaged_records == 0u && found->damaged());
    EXPECT_TRUE(db_read("rock", db) == real[1].text);
    fs::path copy;
    ASSERT_EQ(db_repair(db, copy), 1);
    EXPECT_TRUE(file_bytes(db) == layout(entries));
}
