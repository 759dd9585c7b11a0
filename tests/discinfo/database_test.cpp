#include "discinfo/database.h"

#include <cstring>
#include <thread>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "test_support.h"

namespace {

std::string le32(int32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
    return out;
}

std::string index_record(const std::string& key, int32_t offset, int32_t length) {
    std::string raw = key.substr(0, 56);
    raw.resize(56, '\0');
    return raw + le32(offset) + le32(length);
}

// The file the layout prescribes for entries added one by one to a new file.
std::string expected_file(const std::vector<DbEntry>& entries, const std::string& magic = "PACK") {
    std::string texts, index;
    int32_t at = 12;
    for (const DbEntry& e : entries) {
        texts += e.text;
        index += index_record(e.key, at, static_cast<int32_t>(e.text.size()));
        at += static_cast<int32_t>(e.text.size());
    }
    return magic + le32(at) + le32(static_cast<int32_t>(64 * entries.size())) + texts + index;
}

std::vector<DbEntry> sample_entries() {
    return {
        {"country/0009e012", "200 country 0009e012\r\n" + crlf(test_data("poisdeux_dummymediafiles_0009e012-country.xmcd"))},
        {"rock/7908090a", "200 rock 7908090a\r\n" + crlf(test_data("alrs_freedb_7908090a.xmcd"))},
        {"reggae/0009e012", "200 reggae 0009e012\r\n" + crlf(test_data("poisdeux_dummymediafiles_0009e012-reggae.xmcd"))},
    };
}

class Database : public ::testing::Test {
protected:
    ScratchDir dir;
    fs::path db = dir / "brd.bdb";
    std::vector<std::string> messages;
    void SetUp() override {
        db_add_failure_hook = [this](const char* m) { messages.emplace_back(m); };
    }
    void TearDown() override {
        db_add_failure_hook = nullptr;
        db_write_fault_hook = nullptr;
    }
    size_t files_in_dir() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
    }
};

}  // namespace

TEST_F(Database, AddingToAMissingFileCreatesIt) {
    ASSERT_EQ(db_add("rock/7908090a", "hello", db), 1);
    EXPECT_EQ(file_bytes(db), "PACK" + le32(17) + le32(64) + "hello" + index_record("rock/7908090a", 12, 5));
    EXPECT_EQ(files_in_dir(), 1u);  // no leftovers beside it
}

TEST_F(Database, SecondEntryMovesTheIndexBehindItsText) {
    const auto entries = sample_entries();
    ASSERT_EQ(db_add(entries[0].key, entries[0].text, db), 1);
    ASSERT_EQ(db_add(entries[1].key, entries[1].text, db), 1);
    EXPECT_EQ(file_bytes(db), expected_file({entries[0], entries[1]}));
    EXPECT_EQ(db_read("country/0009e012", db), entries[0].text);
    EXPECT_EQ(db_read("7908090a", db), entries[1].text);
}

TEST_F(Database, NullKeyOrTextAddsNothing) {
    EXPECT_EQ(db_add(std::nullopt, "text", db), 0);
    EXPECT_EQ(db_add("key", std::nullopt, db), 0);
    EXPECT_FALSE(fs::exists(db));
}

TEST_F(Database, EmptyTextIsAnEntryToo) {
    ASSERT_EQ(db_add("misc/00000000", "", db), 1);
    EXPECT_EQ(db_read("misc/", db), "");
}

TEST_F(Database, LookupsMatchSubstringsAndTheFirstMatchWins) {
    for (const DbEntry& e : sample_entries()) ASSERT_EQ(db_add(e.key, e.text, db), 1);
    EXPECT_EQ(db_contains("0009e012", db), 1);
    EXPECT_EQ(db_contains("reggae/", db), 1);
    EXPECT_EQ(db_contains("jazz", db), 0);
    EXPECT_EQ(db_read("0009e012", db), sample_entries()[0].text);
    EXPECT_EQ(db_read("jazz", db), std::nullopt);
    EXPECT_EQ(db_contains("x", dir / "missing.bdb"), 0);
    EXPECT_EQ(db_read("x", dir / "missing.bdb"), std::nullopt);
}

TEST_F(Database, KeysAreCutTo56BytesSoLongerSearchesNeverMatch) {
    const std::string long_key = std::string(50, 'c') + "/0123456789abcdef";
    ASSERT_EQ(db_add(long_key, "text", db), 1);
    EXPECT_EQ(file_bytes(db).substr(12 + 4, 56), long_key.substr(0, 56));
    EXPECT_EQ(db_contains(long_key.substr(0, 56), db), 1);
    EXPECT_EQ(db_contains(long_key.substr(0, 57), db), 0);
    EXPECT_EQ(db_read(long_key, db), std::nullopt);
}

TEST_F(Database, DeletingABareDiscIdRemovesItUnderEveryCategory) {
    const auto entries = sample_entries();
    for (const DbEntry& e : entries) ASSERT_EQ(db_add(e.key, e.text, db), 1);
    ASSERT_EQ(db_delete("0009e012", db), 1);
    EXPECT_EQ(file_bytes(db), expected_file({entries[1]}));  // the other disc's text at offset 12
    EXPECT_EQ(db_delete("0009e012", db), 0);
    EXPECT_EQ(db_delete("7908090a", db), 1);
    EXPECT_EQ(file_bytes(db), expected_file({}));
    EXPECT_EQ(db_delete("x", dir / "missing.bdb"), 0);
    EXPECT_EQ(files_in_dir(), 1u);
}

TEST_F(Database, AForeignMagicIsNotReadButStillSearchedAndKept) {
    const auto entries = sample_entries();
    std::string bytes = expected_file({entries[0], entries[1]}, "KCAP");
    write_bytes(db, bytes);
    EXPECT_EQ(db_read("7908090a", db), std::nullopt);
    EXPECT_EQ(db_contains("7908090a", db), 1);
    ASSERT_EQ(db_add(entries[2].key, entries[2].text, db), 1);
    EXPECT_EQ(file_bytes(db), expected_file(entries, "KCAP"));
    ASSERT_EQ(db_delete("rock", db), 1);
    EXPECT_EQ(file_bytes(db), expected_file({entries[0], entries[2]}, "KCAP"));
}

TEST_F(Database, BulkAddGivesTheBytesOfAddingOneByOne) {
    const auto entries = sample_entries();
    const fs::path one_by_one = dir / "single.bdb";
    ASSERT_EQ(db_add(entries[0].key, entries[0].text, one_by_one), 1);
    ASSERT_EQ(db_add_all(std::span(entries).first(1), db), 1);
    for (size_t i = 1; i < entries.size(); ++i) ASSERT_EQ(db_add(entries[i].key, entries[i].text, one_by_one), 1);
    ASSERT_EQ(db_add_all(std::span(entries).subspan(1), db), 1);
    EXPECT_EQ(file_bytes(db), file_bytes(one_by_one));
    EXPECT_EQ(db_add_all({}, db), 0);
}

TEST_F(Database, ReplaceGivesTheBytesOfDeleteThenAdd) {
    const auto entries = sample_entries();
    const fs::path stepwise = dir / "stepwise.bdb";
    for (const DbEntry& e : entries) {
        ASSERT_EQ(db_add(e.key, e.text, db), 1);
        ASSERT_EQ(db_add(e.key, e.text, stepwise), 1);
    }
    ASSERT_EQ(db_delete("country/0009e012", stepwise), 1);
    ASSERT_EQ(db_add("country/0009e012", "changed", stepwise), 1);
    ASSERT_EQ(db_replace("country/0009e012", "country/0009e012", "changed", db), 1);
    EXPECT_EQ(file_bytes(db), file_bytes(stepwise));
    // Nothing to delete: a plain add.
    ASSERT_EQ(db_replace("jazz/00000000", "jazz/00000000", "new", db), 1);
    ASSERT_EQ(db_add("jazz/00000000", "new", stepwise), 1);
    EXPECT_EQ(file_bytes(db), file_bytes(stepwise));
}

TEST_F(Database, ListingShowsTheIndexAsStored) {
    const auto entries = sample_entries();
    for (const DbEntry& e : entries) ASSERT_EQ(db_add(e.key, e.text, db), 1);
    const auto listing = db_list(db);
    ASSERT_TRUE(listing);
    EXPECT_TRUE(listing->index_complete);
    ASSERT_EQ(listing->records.size(), 3u);
    EXPECT_EQ(listing->records[1].key, "rock/7908090a");
    EXPECT_EQ(listing->records[1].offset, static_cast<int32_t>(12 + entries[0].text.size()));
    EXPECT_EQ(db_read_record(listing->records[2], db), entries[2].text);
    EXPECT_FALSE(db_list(dir / "missing.bdb"));
}

TEST_F(Database, UnwritableFolderReportsThroughTheHook) {
    const fs::path nowhere = dir / "no-such-folder" / "brd.bdb";
    EXPECT_EQ(db_add("rock/7908090a", "text", nowhere), -1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], kDbAddFailedMessage);
    EXPECT_FALSE(fs::exists(nowhere));
}

// A write may fail, or the process die, at any step of a change: whatever
// step it is, the database keeps its old bytes and nothing is left beside it.
TEST_F(Database, AFailureAtAnyWriteLeavesTheOldFile) {
    const auto entries = sample_entries();
    std::vector<DbEntry> more;
    for (int i = 0; i < 5; ++i) more.push_back({"misc/0000000" + std::to_string(i), std::string(3000 + i, 'a' + i)});
    ASSERT_EQ(db_add_all(entries, db), 1);
    const std::string before = file_bytes(db);

    struct Change {
        const char* name;
        std::function<int()> run;
        int success;
        std::string after;
    };
    const std::vector<Change> changes = {
        {"add", [&] { return db_add(more[0].key, more[0].text, db); }, 1, expected_file({entries[0], entries[1], entries[2], more[0]})},
        {"add_all", [&] { return db_add_all(more, db); }, 1, [&] { auto all = entries; all.insert(all.end(), more.begin(), more.end()); return expected_file(all); }()},
        {"delete", [&] { return db_delete("0009e012", db); }, 1, expected_file({entries[1]})},
        {"replace", [&] { return db_replace("rock/7908090a", "rock/7908090a", "new text", db); }, 1, expected_file({entries[0], entries[2], {"rock/7908090a", "new text"}})},
    };
    for (const Change& change : changes) {
        for (int fail_at = 1;; ++fail_at) {
            write_bytes(db, before);
            int writes = 0;
            db_write_fault_hook = [&] { return ++writes != fail_at; };
            const int result = change.run();
            db_write_fault_hook = nullptr;
            if (writes < fail_at) {  // ran to the end without reaching the fault
                EXPECT_EQ(result, change.success) << change.name;
                EXPECT_EQ(file_bytes(db), change.after) << change.name;
                EXPECT_GT(fail_at, 3) << change.name;
                break;
            }
            EXPECT_NE(result, change.success) << change.name << " failing at write " << fail_at;
            EXPECT_EQ(file_bytes(db), before) << change.name << " failing at write " << fail_at;
            EXPECT_EQ(files_in_dir(), 1u) << change.name << " failing at write " << fail_at;
        }
    }
}

TEST_F(Database, ChangesFromTwoThreadsAreAllKept) {
    // The main thread and the CDDB query thread may store entries at the same time.
    std::atomic<int> ready{0};
    auto add_many = [&](const std::string& category) {
        for (++ready; ready < 2;) std::this_thread::yield();  // start together
        for (int i = 0; i < 100; ++i) db_add(category + "/" + std::to_string(10000000 + i), "text " + category, db);
    };
    std::thread other([&] { add_many("jazz"); });
    add_many("rock");
    other.join();
    const auto listing = db_list(db);
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->records.size(), 200u);
    EXPECT_TRUE(listing->index_complete);
    EXPECT_EQ(messages.size(), 0u);
}

#ifndef _WIN32
// The same, with the process really dying at each write: nothing cleans up
// after it, and the database still holds its old entries, or all the new ones.
TEST_F(Database, AProcessDyingAtAnyWriteLeavesOldOrNewFile) {
    const auto entries = sample_entries();
    ASSERT_EQ(db_add_all(std::span(entries).first(2), db), 1);
    const std::string before = file_bytes(db);
    const std::string after = expected_file({entries[0], entries[1], entries[2]});
    for (int die_at = 1;; ++die_at) {
        write_bytes(db, before);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int writes = 0;
            db_write_fault_hook = [&] {
                if (++writes == die_at) _exit(3);
                return true;
            };
            _exit(db_add(entries[2].key, entries[2].text, db) == 1 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 0) {  // finished before reaching the write it was to die at
            EXPECT_EQ(file_bytes(db), after);
            EXPECT_GT(die_at, 3);
            break;
        }
        ASSERT_EQ(WEXITSTATUS(status), 3);
        EXPECT_EQ(file_bytes(db), before) << "dying at write " << die_at;
        EXPECT_EQ(db_read(entries[1].key, db), entries[1].text);
        for (const auto& leftover : fs::directory_iterator(dir.path()))
            if (leftover.path() != db) fs::remove(leftover.path());  // what the dead process left beside it
    }
}
#endif
