#include "discinfo/entry_text.h"

#include <thread>

#include "discinfo/database.h"
#include "test_support.h"

TEST(EntryText, ValueOfJoinsTheEndedLinesOfItsKey) {
    const std::string text = "DTITLE=Part one\r\nTTITLE10=Ten\r\nTTITLE1=\r\nDTITLE= and two\nLAST=x";
    const std::pair<const char*, Text> cases[] = {{"DTITLE=", "Part one and two"}, {"TTITLE1=", ""},
        {"TTITLE10=", "Ten"}, {"TTITLE2=", {}}, {"", {}}, {"LAST=", {}}};
    for (const auto& [key, value] : cases) EXPECT_EQ(value_of(key, text), value) << key;
    EXPECT_EQ(value_of("DTITLE=", "DTITLE=A\r\nDTITLE=B"), std::nullopt);  // unended, even after a match
    EXPECT_EQ(value_of("DTITLE=", test_data("pipian_rubyripper_0a0f5811.xmcd")),  // continued mid-word
              "Maria Venuti / Maria Venuti Sings Schubert, Schoenberg, Schumann");
}

TEST(EntryText, ReplaceValueFoldsAt79CharactersAndReplacesTheFirstRunOnly) {
    const std::string x71(71, 'x'), y72(72, 'y'), unended = "DTITLE=A\r\nTTITLE0=B";
    const struct { const char* key; std::string value, before, after; } cases[] = {
        {"TTITLE3=", std::string(150, 'x'), "DTITLE=A\r\nTTITLE3=old\r\nTTITLE3= more\r\nEXTD=\r\n",
         "DTITLE=A\r\nTTITLE3=" + x71 + "\r\nTTITLE3=" + x71 + "\r\nTTITLE3=xxxxxxxx\r\nEXTD=\r\n"},
        {"DTITLE=", y72, "DTITLE=\r\n", "DTITLE=" + y72 + "\r\n"},  // 79 characters: one line
        {"EXTD=", "", "EXTD=something\r\n", "EXTD=\r\n"}, {"A=", "new", "A=1\r\nA=2\r\nB=3\r\nA=4\r\n", "A=new\r\nB=3\r\nA=4\r\n"},
        {"EXTD=", "x", unended, unended}, {"TTITLE0=", "x", unended, unended}};
    for (auto [key, value, text, after] : cases) {
        const int replaced = text != after;
        EXPECT_EQ(replace_value(key, value, text), replaced) << after;
        EXPECT_EQ(text, after);
    }
}

TEST(EntryText, WordsOfStatusLinesMatchListsAndTitles) {
    const std::string status = "210 rock 7908090a Gladys Knight / Hits\r\n", list = test_data("211_query_inexact_d50dd30f.txt");
    const struct { std::string text; int n; Text category, id; } cases[] = {
        {status, 1, "rock", "7908090a"}, {status, 0, "210", "210 rock"}, {list, 2, "reggae", "d50dd30f"},
        {list, 3, "misc", "d50dd30f"}, {list, 9, {}, {}}, {"200 jazz\r\n", 1, "jazz", {}},
        {"200 jazz 1234\r\nxyz", 1, "jazz", {}}, {"nospace", 1, {}, {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(category_word(c.text, c.n), c.category) << c.text << c.n;
        EXPECT_EQ(disc_id_word(c.text, c.n), c.id) << c.text << c.n;
    }
    const struct { Text title, artist, rest; } titles[] = {{"Title only", {}, "Title only"},
        {"Artist / Album", "Artist", "Album"}, {"AC/DC / Back in Black", "AC", "DC / Back in Black"},
        {" /x", " ", "x"}, {"/x", "", "x"}, {"x/   ", "x", ""}, {{}, {}, {}}};
    for (const auto& t : titles)
        EXPECT_TRUE(artist_part(t.title) == t.artist && title_part(t.title) == t.rest) << t.rest.value_or("null");
    for (const auto& [text, value] : {std::pair{"  42abc", 42}, {"-7", -7}, {"x1", 0}, {"99999999999999", INT32_MAX}})
        EXPECT_EQ(leading_int(text), value) << text;
}

// The drive's record reads one title per track; a record built from a stored
// entry counts the titles there are.
TEST(EntryText, ARealDiscIsLookedUpUnderAnyCategoryAndParsed) {
    ScratchDir dir;
    LineLocks locks;
    const std::string text = "200 classical 9c0eac0c\n" + test_data("peik_freedb-parser-sample_9c0eac0c.xmcd");
    DiscRecord drive = drive_record(text), other = drive_record(test_data("alrs_freedb_7908090a.xmcd")), detached;
    drive.category = "jazz";
    set_default_titles(drive);
    EXPECT_EQ(lookup_disc(drive, locks, dir / "brd.bdb"), 0);
    EXPECT_TRUE(drive.disc_title == "Unknown CD" && drive.track_titles[11] == "Track 12" && !drive.track_titles[12]);
    EXPECT_EQ(drive.category, "jazz");
    ASSERT_EQ(db_add("classical/9c0eac0c", text, dir / "brd.bdb"), 1);
    EXPECT_EQ(lookup_disc(drive, locks, dir / "brd.bdb"), 1);
    EXPECT_EQ(drive.disc_title, "Mozart / The Classics: Mozart");
    EXPECT_TRUE(drive.category == "classical" && drive.disc_id_text == "9c0eac0c");
    EXPECT_EQ(drive.track_titles[11], "Symphony No. 41 in C (Jupiter), 1st Movement");
    parse_entry(other, text, locks);  // another disc in the drive: its own id and ten tracks
    parse_entry(detached, text, locks);
    EXPECT_TRUE(other.disc_id_text == "7908090a" && other.track_count == 10 && other.track_titles[9] && !other.track_titles[10]);
    EXPECT_TRUE(detached.track_count == 12 && detached.track_titles[11] == drive.track_titles[11]);
    free_texts(detached);
    EXPECT_TRUE(!detached.disc_title && !detached.category && !detached.track_titles[11]);
}

TEST(EntryText, ParsingWaitsForBothLineLocks) {
    LineLocks locks;
    DiscRecord record;
    std::atomic<bool> parsed{false};
    locks.track_line.acquire();  // the title display is copying a track title
    std::thread parser([&] { parsed = parse_entry(record, "200 rock x\r\nDTITLE=New\r\n", locks); });
    for (; locks.disc_line.try_acquire(); std::this_thread::yield()) locks.disc_line.release();  // until it waits
    EXPECT_FALSE(parsed);
    locks.track_line.release();
    parser.join();
    EXPECT_TRUE(record.disc_title == "New" && locks.disc_line.try_acquire() && locks.track_line.try_acquire());
}

TEST(EntryText, UpdateWritesCategoryTitleAndTracksBack) {
    DiscRecord record;
    record.track_count = 2, record.category = "jazz", record.disc_title = "New Artist / New Album";
    record.track_titles[0] = "First";  // track 2 has none: written empty
    std::string text = "200 rock 12345678\r\n# Revision: 2\r\nDTITLE=Old\r\nDTITLE= more\r\nTTITLE0=a\r\nTTITLE1=b\r\n.\r\n";
    EXPECT_EQ(update_entry(record, text), 1);
    EXPECT_EQ(text, "200 jazz 12345678\r\n# Revision: 2\r\nDTITLE=New Artist / New Album\r\nTTITLE0=First\r\nTTITLE1=\r\n.\r\n");
}
