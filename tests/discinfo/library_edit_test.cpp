// The CD Library's listing and the CD Editor's save, on real entries.
#include "discinfo/entry_edit.h"
#include "discinfo/entry_text.h"
#include "discinfo/library_listing.h"
#include "test_support.h"

namespace {

std::vector<std::string> texts(const std::vector<LibraryItem>& items) {
    std::vector<std::string> out;
    for (const LibraryItem& i : items) out.push_back(i.text);
    return out;
}

}  // namespace

TEST(LibraryListing, GroupsSortsAndReadsLongAndContinuedTitles) {
    ScratchDir dir;
    const fs::path db = dir / "brd.bdb";
    const std::vector<DbEntry> entries = {
        stored_entry("rock/7908090a", "alrs_freedb_7908090a.xmcd"),
        stored_entry("misc/00059863", "poisdeux_dummymediafiles_00059863.xmcd"),  // 99 offsets before its DTITLE
        stored_entry("classical/0a0f5811", "pipian_rubyripper_0a0f5811.xmcd"),    // DTITLE over two lines
        stored_entry("rock/be0c140e", "gitpan_CDDB-File_be0c140e.xmcd"),
        {"misc/0badd15c", "200 misc 0badd15c\r\nDTITLE=\xc9mile Sans Slash\r\n"},
        {"reggae/7908090a", stored_entry("rock/7908090a", "alrs_freedb_7908090a.xmcd").text}};
    ASSERT_EQ(db_add_all(std::span(entries).first(5), db), 1);

    // An entry stored while the listing is read (at Eject, by a query): the
    // file is not held open, so the change is made, and the listing starts again.
    LibraryReader by_category(db, LibraryView::by_category);
    EXPECT_FALSE(by_category.read_some(2));
    ASSERT_EQ(db_add(entries[5].key, entries[5].text, db), 1);
    while (!by_category.read_some(2)) {}
    const LibraryListing c = by_category.take();
    EXPECT_EQ(c.count, 6);
    EXPECT_EQ(texts(c.top), (std::vector<std::string>{"classical", "misc", "reggae", "rock"}));
    EXPECT_EQ(texts(c.top[0].discs), (std::vector<std::string>{"Maria Venuti / Maria Venuti Sings Schubert, Schoenberg, Schumann"}));
    EXPECT_EQ(texts(c.top[1].discs),
              (std::vector<std::string>{"\xc9mile Sans Slash", "Hollywood Edge / Animal Trax AT5 - Primates Bats"}));
    EXPECT_EQ(texts(c.top[3].discs),
              (std::vector<std::string>{"Gladys Knight & The Pips / All The Greatest Hits", "Various / Clueless Soundtrack"}));
    EXPECT_TRUE(c.top[3].group && c.top[3].discs[0].disc_id == 0x7908090au && c.top[2].discs[0].disc_id == 0x7908090au);
    EXPECT_TRUE(c.items() == 10u && !c.corrupt && disc_id_number("") == 0 && disc_id_number("0009e012") == 0x9e012);

    LibraryReader by_artist(db, LibraryView::by_artist);
    while (!by_artist.read_some(100)) {}
    const LibraryListing a = by_artist.take();
    EXPECT_EQ(texts(a.top), (std::vector<std::string>{"\xc9mile Sans Slash", "Gladys Knight & The Pips", "Hollywood Edge",
                                                      "Maria Venuti", "Various"}));
    EXPECT_TRUE(!a.top[0].group && a.top[0].disc_id == 0x0badd15cu);
    EXPECT_EQ(texts(a.top[1].discs), (std::vector<std::string>{"All The Greatest Hits", "All The Greatest Hits"}));

    // A bit flipped in the header's index size: the index is found where it
    // ends the file, and its records are what the count counts.
    std::string bytes = file_bytes(db);
    bytes[9] ^= 1;
    write_bytes(db, bytes);
    LibraryReader recovered(db, LibraryView::by_category);
    while (!recovered.read_some(100)) {}
    EXPECT_EQ(recovered.take().count, 6);

    // A title before a longer one that it begins, whatever their case and accents.
    EXPECT_TRUE(sorts_before("\xc4" "BBA", "abba Gold") && !sorts_before("abba Gold", "\xc4" "BBA"));

    // A record whose text runs past the end of the file lists nothing, though its title lies within.
    const auto le32 = [](size_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const std::string text = "DTITLE=A\r\nB=" + std::string(3000, 'x') + "\r\n";
    const std::string index = "rock/1" + std::string(50, '\0') + le32(12) + le32(100000);
    write_bytes(db, "PACK" + le32(12 + text.size()) + le32(64) + text + index);
    LibraryReader outside(db, LibraryView::by_category);
    while (!outside.read_some(1)) {}
    EXPECT_EQ(outside.take().items(), 0u);
}

TEST(EditorSave, MovesAnEntryToItsNewKeyInOneChangeKeepingEveryOtherByte) {
    ScratchDir dir;
    const fs::path db = dir / "brd.bdb";
    const DbEntry latin1 = stored_entry("misc/2b055c04", "pipian_rubyripper_2b055c04.xmcd");
    ASSERT_EQ(db_add_all(std::vector{stored_entry("rock/7908090a", "alrs_freedb_7908090a.xmcd"), latin1}, db), 1);
    DiscRecord record;
    LineLocks locks;
    parse_entry(record, latin1.text, locks);
    record.disc_id_text = "2b055c04";
    const Text old_key = editor_old_key(record);
    EditorFields shown{"Tuhonvarjo", "Syvyyden Syli", "misc", {}};
    for (int i = 0; i < record.track_count; ++i) shown.titles.push_back(*record.track_titles[i]);
    EditorFields fields = shown;
    EXPECT_FALSE(apply_editor_fields(record, shown, fields));
    fields.category = "metal";
    ASSERT_TRUE(apply_editor_fields(record, shown, fields));
    std::string text;
    ASSERT_EQ(save_edited_entry(record, old_key, text, db), 1);
    std::string expected = latin1.text;
    expected.replace(4, 4, "metal");
    const auto lf = [](std::string t) { return std::erase(t, '\r'), t; };  // rewritten title lines end in CR LF
    EXPECT_EQ(lf(db_read("metal/2b055c04", db).value_or("")), lf(expected));  // the Latin-1 titles byte for byte
    EXPECT_TRUE(!db_contains("misc/", db) && db_survey(db)->records == 2);

    EXPECT_EQ(compose_disc_title("", "Album") + compose_disc_title("Artist", "") + compose_disc_title("A", "B"),
              "AlbumArtistA / B");
}
