// Damaged and hostile database files: every operation answers "not found" or
// fails, never crashes, never allocates more than the file holds and never
// changes a file it cannot understand.
#include <cstdlib>
#include <new>

#include "discinfo/database.h"
#include "test_support.h"

// No test in this program needs a block anywhere near this size; a length
// field taken on trust would ask for one.
constexpr size_t kAllocationLimit = 64u << 20;

// These replace the whole new/delete pair, so free() does match; the compiler
// cannot tell once it has inlined the library's allocator.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
    if (size > kAllocationLimit) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

std::string le32(int32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
    return out;
}

std::string record(const std::string& key, int32_t offset, int32_t length) {
    std::string raw = key;
    raw.resize(56, '\0');
    return raw + le32(offset) + le32(length);
}

// One good entry "rock/11111111" and one crafted record after it.
std::string with_bad_record(int32_t offset, int32_t length) {
    const std::string text = "200 rock 11111111\r\nDTITLE=Good\r\n";
    return "PACK" + le32(12 + static_cast<int32_t>(text.size())) + le32(128) + text +
           record("rock/11111111", 12, static_cast<int32_t>(text.size())) + record("jazz/22222222", offset, length);
}

class Hostile : public ::testing::Test {
protected:
    ScratchDir dir;
    fs::path db = dir / "brd.bdb";
    int messages = 0;
    void SetUp() override {
        db_add_failure_hook = [this](const char*) { ++messages; };
    }
    void TearDown() override { db_add_failure_hook = nullptr; }

    // Writing operations on a file they cannot trust fail and leave it as it was.
    void expect_untouched_by_changes(const std::string& bytes) {
        write_bytes(db, bytes);
        EXPECT_EQ(db_add("misc/33333333", "new", db), -1);
        EXPECT_EQ(file_bytes(db), bytes);
        EXPECT_EQ(db_delete("rock/11111111", db), 0);
        EXPECT_EQ(file_bytes(db), bytes);
        EXPECT_EQ(db_replace("rock/11111111", "rock/11111111", "x", db), -1);
        EXPECT_EQ(file_bytes(db), bytes);
    }
};

}  // namespace

TEST_F(Hostile, EveryTruncationOfAGoodFile) {
    const std::string good = with_bad_record(12, 4);
    for (size_t cut = 1; cut < good.size(); ++cut) {
        const std::string bytes = good.substr(0, cut);
        write_bytes(db, bytes);
        const Text text = db_read("rock/11111111", db);
        EXPECT_TRUE(!text || *text == "200 rock 11111111\r\nDTITLE=Good\r\n") << cut;
        EXPECT_EQ(db_contains("jazz", db), 0) << cut;  // its record is cut off first
        expect_untouched_by_changes(bytes);
    }
    // An empty file is a database without entries.
    write_bytes(db, "");
    EXPECT_EQ(db_read("rock", db), std::nullopt);
    EXPECT_EQ(db_add("misc/33333333", "new", db), 1);
    EXPECT_EQ(db_read("misc", db), "new");
}

TEST_F(Hostile, EntryOffsetsAndLengthsOutsideTheFile) {
    const std::string text = "200 rock 11111111\r\nDTITLE=Good\r\n";
    for (const auto& [offset, length] : std::vector<std::pair<int32_t, int32_t>>{
             {12, -1}, {-12, 4}, {12, INT32_MAX}, {INT32_MAX, 4}, {INT32_MIN, INT32_MIN}, {100000, 10}}) {
        const std::string bytes = with_bad_record(offset, length);
        write_bytes(db, bytes);
        EXPECT_EQ(db_read("jazz", db), std::nullopt) << offset << " " << length;
        EXPECT_EQ(db_contains("jazz", db), 1);
        EXPECT_EQ(db_read("rock", db), text);
        // Keeping the broken record would mean copying bytes that are not there.
        EXPECT_EQ(db_delete("rock", db), 0);
        EXPECT_EQ(file_bytes(db), bytes);
        // Adding keeps every stored byte as it is, so it may go ahead.
        EXPECT_EQ(db_add("misc/33333333", "new", db), 1);
        EXPECT_EQ(db_read("misc/33333333", db), "new");
        // Deleting the broken record itself repairs the file.
        EXPECT_EQ(db_delete("jazz", db), 1);
        EXPECT_EQ(db_read("rock", db), text);
        EXPECT_EQ(db_list(db)->records.size(), 2u);
    }
    EXPECT_EQ(messages, 0);
}

TEST_F(Hostile, IndexOffsetOrSizeThatCannotBe) {
    const std::string body = "200 rock 11111111\r\n" + record("rock/11111111", 12, 19);
    for (const auto& [offset, size] : std::vector<std::pair<int32_t, int32_t>>{
             {5000, 64}, {-1, 64}, {INT32_MAX, 64}, {31, -64}, {31, INT32_MAX}, {31, 2000000000}, {31, 70}, {4, 64}}) {
        const std::string bytes = "PACK" + le32(offset) + le32(size) + body;
        write_bytes(db, bytes);
        const Text text = db_read("rock", db);
        EXPECT_TRUE(!text || *text == "200 rock 11111111\r\n") << offset << " " << size;
        expect_untouched_by_changes(bytes);
    }
    EXPECT_GT(messages, 0);
    write_bytes(db, "PACK" + le32(31) + le32(2000000000) + body);
    EXPECT_FALSE(db_list(db)->index_complete);
    EXPECT_EQ(db_list(db)->records.size(), 1u);
}

TEST_F(Hostile, ShortOrForeignHeaders) {
    for (const std::string& bytes : {std::string("PAC"), std::string("PACK\x0c\0\0\0", 8), std::string(12, '\xff'),
                                     std::string("GIF89a") + std::string(100, '\0')}) {
        write_bytes(db, bytes);
        EXPECT_EQ(db_read("", db), std::nullopt);
        EXPECT_EQ(db_contains("rock", db), 0);
        expect_untouched_by_changes(bytes);
    }
}

TEST_F(Hostile, AFolderInPlaceOfTheFile) {
    fs::create_directory(db);
    EXPECT_EQ(db_read("rock", db), std::nullopt);
    EXPECT_EQ(db_contains("rock", db), 0);
    EXPECT_EQ(db_delete("rock", db), 0);
    EXPECT_EQ(db_add("rock/11111111", "x", db), -1);
    EXPECT_TRUE(fs::is_directory(db));
    EXPECT_EQ(messages, 1);
}
