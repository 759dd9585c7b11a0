#include "discinfo/play_order_store.h"

#include <atomic>
#include <thread>

#include "discinfo/database.h"
#include "discinfo/entry_text.h"
#include "discinfo/xmcd_writer.h"
#include "test_support.h"

// A real four-track disc, stored under misc/2b055c04.
class PlayOrderStore : public ::testing::Test {
protected:
    ScratchDir dir;
    const fs::path db = dir / "brd.bdb";
    DiscRecord record = drive_record(test_data("pipian_rubyripper_2b055c04.xmcd"));
    void SetUp() override { record.category = "misc", record.disc_id_text = "2b055c04"; }
};

// Its stored entry keeps its Play order: 3, 1, 2 (excluded), 4.
TEST_F(PlayOrderStore, TheOrderIsKeptInTheStoredEntry) {
    PlayOrder order = make_play_order(4), restored = make_play_order(4);
    order[0].track = 3, order[1].track = 1, order[2].track = 2, order[2].excluded = 1;
    auto store = [&](const Text& playorder) {  // as the CD Editor first saves it, with this PLAYORDER line or none
        std::string text = new_entry_text(record);
        if (playorder) replace_value("PLAYORDER=", *playorder, text);
        else text.erase(text.find("PLAYORDER="), 12);
        db_delete("2b055c04", db);
        return db_add("misc/2b055c04", text, db);
    };
    const auto tracks = [&] { std::vector<int> t; for (auto e : restored) t.push_back(e.excluded ? -e.track : e.track); return t; };

    EXPECT_EQ(save_play_order(record, order, db) + restore_play_order(record, order, db), 0);  // no stored entry
    ASSERT_EQ(store(""), 1);
    const std::string before = file_bytes(db);
    for (int track : {5, 0}) {  // out of range: nothing written
        order[3].track = track;
        EXPECT_TRUE(!play_order_text(order, 4) && !save_play_order(record, order, db) && file_bytes(db) == before) << track;
    }
    order[3].track = 4;
    ASSERT_EQ(save_play_order(record, order, db), 1);
    EXPECT_TRUE(value_of("PLAYORDER=", *db_read("2b055c04", db)) == "3,1,-2,4" && db_survey(db)->records == 1u);
    EXPECT_EQ(restore_play_order(record, restored, db), 1);
    EXPECT_EQ(tracks(), (std::vector{3, 1, -2, 4}));

    // A broken stored order: the positions up to the broken token go back to disc order.
    const std::pair<Text, std::vector<int>> broken[] = {{"3,0,2,4", {1, 2, -9, -9}}, {"2,,1,3", {1, 2, -9, -9}},
        {"2,1", {1, 2, 3, -9}}, {"", {1, -9, -9, -9}}, {"x,1,2,3", {1, -9, -9, -9}},
        {"6666666666666666666664,1,2,3", {1, -9, -9, -9}}, {std::nullopt, {1, -9, -9, -9}}};
    for (const auto& [text, expected] : broken) {
        ASSERT_EQ(store(text), 1);
        for (auto& e : restored) e.track = 9, e.excluded = 1;  // whatever a previous disc left
        EXPECT_EQ(restore_play_order(record, restored, db), 0) << text.value_or("none");
        EXPECT_EQ(tracks(), expected) << text.value_or("none");
    }
    EXPECT_EQ(save_play_order(record, order, db), 0);  // the entry has no PLAYORDER line
}

// The Play order is saved at Eject while a CDDB query may store the disc's
// entry: the save never writes back the entry it read over the stored one.
TEST_F(PlayOrderStore, ASaveNeverUndoesAnEntryStoredMeanwhile) {
    std::vector<DbEntry> others;  // before the disc's entry in the index, so that the save's read takes a while
    for (int i = 0; i < 30000; ++i) others.push_back({"rock/" + std::to_string(i), "x"});
    ASSERT_EQ(db_add_all(others, db), 1);
    const PlayOrder order = make_play_order(4);
    const auto store = [&](const std::string& text) {  // as a CDDB query does
        return db_update("2b055c04", [&](const Text&) { return DbEntry{"misc/2b055c04", text}; }, db);
    };
    for (int round = 0; round < 10; ++round) {
        ASSERT_EQ(store(new_entry_text(record)), 1);
        const std::string result = "200 misc 2b055c04\r\nDTITLE=Found " + std::to_string(round) + "\r\n";
        std::atomic<bool> go{false};
        std::thread query([&] {
            while (!go) std::this_thread::yield();
            store(result);
        });
        go = true;
        save_play_order(record, order, db);
        query.join();
        EXPECT_EQ(value_of("DTITLE=", db_read("2b055c04", db).value_or("")), "Found " + std::to_string(round));
    }
}
