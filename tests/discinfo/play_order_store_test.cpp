#include "discinfo/play_order_store.h"

#include "discinfo/database.h"
#include "discinfo/disc_id.h"
#include "discinfo/entry_text.h"
#include "discinfo/xmcd_writer.h"
#include "test_support.h"

namespace {

std::vector<PlayOrderEntry> disc_order(int count) {
    std::vector<PlayOrderEntry> entries(count);
    for (int i = 0; i < count; ++i) {
        entries[i].position = i + 1;
        entries[i].track = i + 1;
    }
    return entries;
}

class PlayOrderStore : public ::testing::Test {
protected:
    ScratchDir dir;
    fs::path db = dir / "brd.bdb";
    DiscRecord record = record_with_starts({2, 100, 200, 300}, 400);
    std::string key;

    void SetUp() override {
        record.category = "rock";
        record.disc_id_text = disc_id_string(disc_id(record));
        key = entry_key(record.category, *record.disc_id_text);
    }
    void store_with_order(const std::string& order) {
        std::string text = new_entry_text(record);
        ASSERT_EQ(replace_value("PLAYORDER=", order, text), 1);
        ASSERT_EQ(db_add(key, text, db), 1);
    }
};

}  // namespace

TEST(PlayOrderText, TracksInPositionOrderExcludedNegative) {
    auto entries = disc_order(4);
    entries[0].track = 3;
    entries[1].track = 1;
    entries[2].track = 2;
    entries[2].excluded = 1;
    EXPECT_EQ(play_order_text(entries, 4), "3,1,-2,4");
    entries[3].track = 5;
    EXPECT_EQ(play_order_text(entries, 4), std::nullopt);
    entries[3].track = 0;
    EXPECT_EQ(play_order_text(entries, 4), std::nullopt);
}

TEST_F(PlayOrderStore, SavedOrderIsRestored) {
    store_with_order("");
    auto entries = disc_order(4);
    entries[0].track = 3;
    entries[1].track = 1;
    entries[2].track = 2;
    entries[2].excluded = 1;
    ASSERT_EQ(save_play_order(record, entries, db), 1);
    EXPECT_EQ(value_of("PLAYORDER=", *db_read(key, db)), "3,1,-2,4");
    EXPECT_EQ(db_list(db)->records.size(), 1u);  // replaced, not added twice

    auto restored = disc_order(4);
    ASSERT_EQ(restore_play_order(record, restored, db), 1);
    EXPECT_EQ(restored[0].track, 3);
    EXPECT_EQ(restored[1].track, 1);
    EXPECT_EQ(restored[2].track, 2);
    EXPECT_TRUE(restored[2].excluded);
    EXPECT_EQ(restored[3].track, 4);
    EXPECT_FALSE(restored[3].excluded);
}

TEST_F(PlayOrderStore, ZeroTokenResetsThePositionsReached) {
    store_with_order("3,0,2,4");
    auto entries = disc_order(4);
    for (auto& e : entries) e.track = 9;  // whatever a previous disc left
    EXPECT_EQ(restore_play_order(record, entries, db), 0);
    EXPECT_EQ(entries[0].track, 1);
    EXPECT_EQ(entries[1].track, 2);
    EXPECT_EQ(entries[2].track, 9);  // positions after the failure keep what they had
    EXPECT_EQ(entries[3].track, 9);
}

TEST_F(PlayOrderStore, ShortEmptyOrMissingOrders) {
    for (const std::string order : {"2,1", "2,,1,3", "", "x,1,2,3"}) {
        db_delete(key, db);
        store_with_order(order);
        auto entries = disc_order(4);
        EXPECT_EQ(restore_play_order(record, entries, db), 0) << order;
    }
    DiscRecord unknown = record_with_starts({2, 50}, 90);
    unknown.disc_id_text = disc_id_string(disc_id(unknown));
    auto entries = disc_order(2);
    EXPECT_EQ(restore_play_order(unknown, entries, db), 0);
}

TEST_F(PlayOrderStore, DiscWithoutStoredEntrySavesNothing) {
    auto entries = disc_order(4);
    EXPECT_EQ(save_play_order(record, entries, db), 0);
    EXPECT_FALSE(fs::exists(db));
    db_add("jazz/00000000", "200 jazz 00000000\r\nPLAYORDER=\r\n", db);
    const std::string before = file_bytes(db);
    EXPECT_EQ(save_play_order(record, entries, db), 0);
    EXPECT_EQ(file_bytes(db), before);
}

TEST_F(PlayOrderStore, OutOfRangeTrackWritesNothing) {
    store_with_order("");
    const std::string before = file_bytes(db);
    auto entries = disc_order(4);
    entries[1].track = 7;
    EXPECT_EQ(save_play_order(record, entries, db), 0);
    EXPECT_EQ(file_bytes(db), before);
}
