#include "discinfo/entry_text.h"

#include <thread>

#include "discinfo/database.h"
#include "discinfo/disc_id.h"
#include "test_support.h"

// Real discs get the ids the CDDB servers gave them. Frames play no part, and
// the checksum wraps at 255 (0a0f5811's digit sums add up to 265, 0009e012's to 255).
TEST(DiscId, RealDiscsGetTheirCddbIds) {
    for (const std::string file : {"alrs_freedb_7908090a", "gitpan_CDDB-File_be0c140e", "gitpan_CDDB-File_ee074b12",
                                   "gvorbeck_muthur_b70dd10d", "pear_Net_CDDB_d50dd30f", "pipian_rubyripper_0a0f5811",
                                   "pipian_rubyripper_2b055c04", "poisdeux_dummymediafiles_0009e012-country"})
        EXPECT_EQ(disc_id_string(disc_id(drive_record(test_data(file + ".xmcd")))), file.substr(file.rfind('_') + 1, 8));
    EXPECT_EQ(disc_id_string(disc_id(DiscRecord())), "00000000");  // no tracks
}

// Values are joined from every ended line of their key; a new value replaces
// all of them where the first stood, folded at 79 characters.
TEST(EntryText, ValuesAreReadAndReplacedByKey) {
    const std::string text = "DTITLE=Part one\r\nTTITLE10=Ten\r\nTTITLE1=\r\nDTITLE= and two\nLAST=x";
    const std::pair<const char*, Text> cases[] = {{"DTITLE=", "Part one and two"}, {"TTITLE1=", ""},
        {"TTITLE10=", "Ten"}, {"TTITLE2=", {}}, {"", {}}, {"LAST=", {}}};
    for (const auto& [key, value] : cases) EXPECT_EQ(value_of(key, text), value) << key;
    EXPECT_EQ(value_of("DTITLE=", "DTITLE=A\r\nDTITLE=B"), std::nullopt);  // unended, even after a match
    EXPECT_EQ(value_of("DTITLE=", test_data("pipian_rubyripper_0a0f5811.xmcd")),  // continued mid-word
              "Maria Venuti / Maria Venuti Sings Schubert, Schoenberg, Schumann");

    const std::string x71(71, 'x'), y72(72, 'y'), unended = "DTITLE=A\r\nTTITLE0=B";
    const struct { const char* key; std::string value, before, after; } changes[] = {
        {"TTITLE3=", std::string(150, 'x'), "DTITLE=A\r\nTTITLE3=old\r\nTTITLE3= more\r\nEXTD=\r\n",
         "DTITLE=A\r\nTTITLE3=" + x71 + "\r\nTTITLE3=" + x71 + "\r\nTTITLE3=xxxxxxxx\r\nEXTD=\r\n"},
        {"DTITLE=", y72, "DTITLE=\r\n", "DTITLE=" + y72 + "\r\n"},  // 79 characters: one line
        {"EXTD=", "", "EXTD=something\r\n", "EXTD=\r\n"}, {"TTITLE98=", "=", "TTITLE98=\n\nTTITLE98==\n", "TTITLE98==\r\n\n"},
        {"EXTD=", "x", unended, unended}, {"TTITLE0=", "x", unended, unended}};
    for (auto [key, value, changed, after] : changes) {
        const int replaced = changed != after;
        EXPECT_TRUE(replace_value(key, value, changed) == replaced && changed == after) << changed;
    }

    DiscRecord record;  // the CD Editor's changes, track 2 without a title
    record.track_count = 2, record.category = "jazz", record.disc_title = "New Artist / New Album", record.track_titles[0] = "First";
    std::string entry = "200 rock 12345678\r\n# Revision: 2\r\nDTITLE=Old\r\nDTITLE= more\r\nTTITLE0=a\r\nTTITLE1=b\r\n.\r\n";
    EXPECT_EQ(update_entry(record, entry), 1);
    EXPECT_EQ(entry, "200 jazz 12345678\r\n# Revision: 2\r\nDTITLE=New Artist / New Album\r\nTTITLE0=First\r\nTTITLE1=\r\n.\r\n");
}

TEST(EntryText, WordsOfStatusLinesMatchListsAndTitles) {
    // The lines of a match list are the CDDB protocol test's.
    const std::string status = "210 rock 7908090a Gladys Knight / Hits\r\n";
    const struct { std::string text; int n; Text category, id; } cases[] = {
        {status, 1, "rock", "7908090a"}, {status, 0, "210", "210 rock"}, {"200 jazz\r\n", 1, "jazz", {}},
        {"200 jazz 1234\r\nxyz", 1, "jazz", {}}, {"nospace", 1, {}, {}}, {"T5e\nTTITLE2=& \nTTITLE2=", 1, {}, {}}};
    for (const auto& c : cases)
        EXPECT_TRUE(category_word(c.text, c.n) == c.category && disc_id_word(c.text, c.n) == c.id) << c.text << c.n;
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
    EXPECT_TRUE(drive.disc_title == "Unknown CD" && drive.track_titles[11] == "Track 12" && !drive.track_titles[12] &&
                drive.category == "jazz");
    ASSERT_EQ(db_add("classical/9c0eac0c", text, dir / "brd.bdb"), 1);
    EXPECT_EQ(lookup_disc(drive, locks, dir / "brd.bdb"), 1);
    EXPECT_TRUE(drive.disc_title == "Mozart / The Classics: Mozart" && drive.category == "classical" &&
                drive.disc_id_text == "9c0eac0c");
    EXPECT_EQ(drive.track_titles[11], "Symphony No. 41 in C (Jupiter), 1st Movement");
    parse_entry(other, text, locks);  // another disc in the drive: its own id and ten tracks
    parse_entry(detached, text, locks);
    EXPECT_TRUE(other.disc_id_text == "7908090a" && other.track_count == 10 && other.track_titles[9] && !other.track_titles[10]);
    EXPECT_TRUE(detached.track_count == 12 && detached.track_titles[11] == drive.track_titles[11]);
    free_texts(detached);
    EXPECT_TRUE(!detached.disc_title && !detached.category && !detached.track_titles[11]);
    // Titles come back cut to a kilobyte, however long they are stored.
    parse_entry(detached, "200 rock x\r\nDTITLE=" + std::string(1000000, 'x') + "\r\nTTITLE0=" +
                              std::string(1024, 'y') + "y\r\n", locks);
    EXPECT_TRUE(detached.disc_title == std::string(1024, 'x') && detached.track_titles[0] == std::string(1024, 'y'));

    std::atomic<bool> parsed{false};  // parsing waits for both line locks
    locks.track_line.acquire();  // the title display is copying a track title
    std::thread parser([&] { parsed = parse_entry(detached, "200 rock x\r\nDTITLE=New\r\n", locks); });
    for (; locks.disc_line.try_acquire(); std::this_thread::yield()) locks.disc_line.release();  // until it waits
    EXPECT_FALSE(parsed);
    locks.track_line.release();
    parser.join();
    EXPECT_TRUE(detached.disc_title == "New" && locks.disc_line.try_acquire() && locks.track_line.try_acquire());
}
