#include "discinfo/entry_text.h"

#include <thread>

#include "discinfo/database.h"
#include "discinfo/disc_id.h"
#include "test_support.h"

TEST(ValueOf, JoinsContinuationLinesWhereverTheyStand) {
    const std::string text = "DTITLE=Part one\r\nTTITLE0=x\r\nDTITLE= and two\r\n";
    EXPECT_EQ(value_of("DTITLE=", text), "Part one and two");
    EXPECT_EQ(value_of("TTITLE0=", text), "x");
}

TEST(ValueOf, AcceptsBareLineFeeds) {
    EXPECT_EQ(value_of("DTITLE=", "DTITLE=A / B\nTTITLE0=C\n"), "A / B");
}

TEST(ValueOf, LastLineWithoutLineEndGivesNull) {
    EXPECT_EQ(value_of("DTITLE=", "TTITLE0=x\r\nDTITLE=Lost"), std::nullopt);
    // Even when an earlier line already matched.
    EXPECT_EQ(value_of("DTITLE=", "DTITLE=A\r\nDTITLE=B"), std::nullopt);
}

TEST(ValueOf, MissingEmptyAndSimilarKeys) {
    const std::string text = "TTITLE10=Ten\r\nTTITLE1=\r\n";
    EXPECT_EQ(value_of("TTITLE1=", text), "");  // present but empty
    EXPECT_EQ(value_of("TTITLE10=", text), "Ten");
    EXPECT_EQ(value_of("TTITLE2=", text), std::nullopt);
    EXPECT_EQ(value_of("DTITLE=", ""), std::nullopt);
    EXPECT_EQ(value_of("", text), std::nullopt);
}

TEST(ValueOf, RealFileWithTitleContinuedMidWord) {
    const std::string text = test_data("pipian_rubyripper_0a0f5811.xmcd");
    EXPECT_EQ(value_of("DTITLE=", text), "Maria Venuti / Maria Venuti Sings Schubert, Schoenberg, Schumann");
    const std::string alrs = crlf(test_data("alrs_freedb_7908090a.xmcd"));
    EXPECT_EQ(value_of("TTITLE5=", alrs)->back(), ')');
}

TEST(ReplaceValue, FoldsLongValuesAt79Characters) {
    std::string text = "DTITLE=A\r\nTTITLE3=old\r\nTTITLE3= continued\r\nEXTD=\r\n";
    const std::string title(150, 'x');
    ASSERT_EQ(replace_value("TTITLE3=", title, text), 1);
    EXPECT_EQ(text, "DTITLE=A\r\nTTITLE3=" + std::string(71, 'x') + "\r\nTTITLE3=" + std::string(71, 'x') +
                        "\r\nTTITLE3=" + std::string(8, 'x') + "\r\nEXTD=\r\n");
    EXPECT_EQ(value_of("TTITLE3=", text), title);
}

TEST(ReplaceValue, EmptyValueAndExactMultiples) {
    std::string text = "EXTD=something\r\n";
    ASSERT_EQ(replace_value("EXTD=", "", text), 1);
    EXPECT_EQ(text, "EXTD=\r\n");
    std::string exact = "DTITLE=\r\n";
    ASSERT_EQ(replace_value("DTITLE=", std::string(72, 'y'), exact), 1);
    EXPECT_EQ(exact, "DTITLE=" + std::string(72, 'y') + "\r\n");  // 79 characters, one line
}

TEST(ReplaceValue, MissingKeyOrUnendedLineLeavesTextAlone) {
    std::string text = "DTITLE=A\r\nTTITLE0=B";
    EXPECT_EQ(replace_value("EXTD=", "x", text), 0);
    EXPECT_EQ(replace_value("TTITLE0=", "x", text), 0);
    EXPECT_EQ(text, "DTITLE=A\r\nTTITLE0=B");
}

TEST(ReplaceValue, OnlyTheFirstRunOfLinesIsReplaced) {
    std::string text = "A=1\r\nA=2\r\nB=3\r\nA=4\r\n";
    ASSERT_EQ(replace_value("A=", "new", text), 1);
    EXPECT_EQ(text, "A=new\r\nB=3\r\nA=4\r\n");
}

TEST(Words, CategoryAndDiscIdOfStatusLinesAndMatchLists) {
    const std::string status = "210 rock 7908090a Gladys Knight / Hits\r\n";
    EXPECT_EQ(category_word(status, 1), "rock");
    EXPECT_EQ(disc_id_word(status, 1), "7908090a");
    EXPECT_EQ(category_word(status, 0), "210");

    const std::string list = test_data("211_query_inexact_d50dd30f.txt");
    EXPECT_EQ(category_word(list, 2), "reggae");
    EXPECT_EQ(disc_id_word(list, 2), "d50dd30f");
    EXPECT_EQ(category_word(list, 3), "misc");
    EXPECT_EQ(category_word(list, 9), std::nullopt);
    EXPECT_EQ(disc_id_word(list, 0), "211 Foun");

    EXPECT_EQ(category_word("200 jazz\r\n", 1), "jazz");  // a word ends at the line end too
    EXPECT_EQ(category_word("nospace", 1), std::nullopt);
    EXPECT_EQ(disc_id_word("200 jazz 1234\r\n", 1), std::nullopt);  // not 8 characters
}

TEST(TitleParts, SplitAtTheFirstSlash) {
    EXPECT_EQ(artist_part(Text("Title only")), std::nullopt);
    EXPECT_EQ(title_part(Text("Title only")), "Title only");
    EXPECT_EQ(artist_part(Text("Artist / Album")), "Artist");
    EXPECT_EQ(title_part(Text("Artist / Album")), "Album");
    EXPECT_EQ(artist_part(Text("AC/DC / Back in Black")), "AC");
    EXPECT_EQ(title_part(Text("AC/DC / Back in Black")), "DC / Back in Black");
    EXPECT_EQ(artist_part(Text(" /x")), " ");
    EXPECT_EQ(artist_part(Text("/x")), "");
    EXPECT_EQ(title_part(Text("x/   ")), "");
    EXPECT_EQ(artist_part(std::nullopt), std::nullopt);
    EXPECT_EQ(title_part(std::nullopt), std::nullopt);
}

TEST(DefaultTitles, UnknownCdAndNumberedTracks) {
    DiscRecord record = record_with_starts({2, 100, 200}, 300);
    record.category = "rock";
    set_default_titles(record);
    EXPECT_EQ(record.disc_title, "Unknown CD");
    EXPECT_EQ(record.track_titles[0], "Track 1");
    EXPECT_EQ(record.track_titles[2], "Track 3");
    EXPECT_EQ(record.track_titles[3], std::nullopt);
    EXPECT_EQ(record.category, "rock");
    free_texts(record);
    EXPECT_EQ(record.disc_title, std::nullopt);
    EXPECT_EQ(record.category, std::nullopt);
    EXPECT_EQ(record.track_titles[0], std::nullopt);
}

TEST(ParseEntry, DriveRecordReadsOneTitlePerTrack) {
    LineLocks locks;
    DiscRecord record = record_with_starts({2, 171, 312}, 500);
    const std::string text =
        "210 blues 12345678 A / B\r\nDTITLE=Artist / Album\r\nTTITLE0=One\r\nTTITLE2=Three\r\nTTITLE3=Four\r\n.\r\n";
    EXPECT_EQ(parse_entry(record, text, locks), 1);
    EXPECT_EQ(record.disc_title, "Artist / Album");
    EXPECT_EQ(record.category, "blues");
    EXPECT_EQ(record.disc_id_text, disc_id_string(disc_id(record)));  // from the TOC, not the text
    EXPECT_EQ(record.track_count, 3);
    EXPECT_EQ(record.track_titles[0], "One");
    EXPECT_EQ(record.track_titles[1], std::nullopt);
    EXPECT_EQ(record.track_titles[2], "Three");
    EXPECT_EQ(record.track_titles[3], std::nullopt);
}

TEST(ParseEntry, DetachedRecordCountsItsTitles) {
    LineLocks locks;
    DiscRecord record;  // no owner window: built from a stored entry
    const std::string text = crlf(test_data("peik_freedb-parser-sample_9c0eac0c.xmcd"));
    parse_entry(record, "200 classical 9c0eac0c\r\n" + text, locks);
    EXPECT_EQ(record.track_count, 12);
    EXPECT_EQ(record.category, "classical");
    EXPECT_EQ(record.disc_title, "Mozart / The Classics: Mozart");
    EXPECT_TRUE(record.track_titles[11].has_value());
    EXPECT_EQ(record.track_titles[12], std::nullopt);
}

TEST(ParseEntry, WaitsForBothLineLocks) {
    LineLocks locks;
    DiscRecord record;
    std::atomic<bool> parsed{false};
    locks.track_line.acquire();  // the title display is copying a track title
    std::thread parser([&] {
        parse_entry(record, "200 rock x\r\nDTITLE=New\r\n", locks);
        parsed = true;
    });
    // Wait until the parser holds the disc-line lock: it then waits for the track line.
    while (locks.disc_line.try_acquire()) {
        locks.disc_line.release();
        std::this_thread::yield();
    }
    EXPECT_FALSE(parsed);
    locks.track_line.release();
    parser.join();
    EXPECT_TRUE(parsed);
    EXPECT_EQ(record.disc_title, "New");
    EXPECT_TRUE(locks.disc_line.try_acquire());
    EXPECT_TRUE(locks.track_line.try_acquire());
}

TEST(UpdateEntry, WritesCategoryTitleAndTracksBack) {
    DiscRecord record = record_with_starts({2, 171}, 500);
    record.category = "jazz";
    record.disc_title = "New Artist / New Album";
    record.track_titles[0] = "First";  // track 1 has no title: written empty
    std::string text = "200 rock 12345678\r\n# Revision: 2\r\nDISCID=12345678\r\nDTITLE=Old\r\nDTITLE= more\r\n"
                       "TTITLE0=a\r\nTTITLE1=b\r\nEXTD=\r\n.\r\n";
    EXPECT_EQ(update_entry(record, text), 1);
    EXPECT_EQ(text, "200 jazz 12345678\r\n# Revision: 2\r\nDISCID=12345678\r\nDTITLE=New Artist / New Album\r\n"
                    "TTITLE0=First\r\nTTITLE1=\r\nEXTD=\r\n.\r\n");
}

TEST(LookupDisc, FindsTheDiscUnderAnyCategory) {
    ScratchDir dir;
    LineLocks locks;
    DiscRecord record = record_with_starts({2, 272}, 495);
    const std::string id = disc_id_string(disc_id(record));
    set_default_titles(record);
    EXPECT_EQ(lookup_disc(record, locks, dir / "brd.bdb"), 0);
    EXPECT_EQ(record.disc_title, "Unknown CD");

    ASSERT_EQ(db_add("misc/" + id, "200 misc " + id + "\r\nDTITLE=Found\r\nTTITLE1=Second\r\n", dir / "brd.bdb"), 1);
    EXPECT_EQ(lookup_disc(record, locks, dir / "brd.bdb"), 1);
    EXPECT_EQ(record.disc_title, "Found");
    EXPECT_EQ(record.category, "misc");
    EXPECT_EQ(record.track_titles[0], std::nullopt);
    EXPECT_EQ(record.track_titles[1], "Second");
}

TEST(LeadingInt, ReadsLikeAtoiAndSaturates) {
    EXPECT_EQ(leading_int("  42abc"), 42);
    EXPECT_EQ(leading_int("-7"), -7);
    EXPECT_EQ(leading_int("x1"), 0);
    EXPECT_EQ(leading_int("99999999999999"), INT32_MAX);
}
