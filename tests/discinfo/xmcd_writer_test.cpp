#include "discinfo/xmcd_writer.h"

#include "discinfo/entry_text.h"
#include "test_support.h"

// Our header before the title lines: status line, offsets, length, revision.
static std::string header(const std::string& status, std::initializer_list<int> offsets, int seconds, int revision,
                          const std::string& id) {
    std::string out = status + "\r\n# xmcd CD database file\r\n# Copyright (C) 1993-1998 Ti Kan\r\n#\r\n# Track frame offsets:\r\n";
    for (int offset : offsets) out += "#\t" + std::to_string(offset) + "\r\n";
    return out + "#\r\n# Disc length: " + std::to_string(seconds) + " seconds\r\n#\r\n# Revision: " + std::to_string(revision) +
           "\r\n# Submitted via: BrindleCD 1.0\r\n#\r\nDISCID=" + id + "\r\n";
}

TEST(XmcdWriter, AReplyIsStoredWithOurHeaderAndTheNextRevisionFromItsLeadingCommentBlock) {
    const std::pair<std::string, int> cases[] = {{test_data("peik_freedb-parser-sample_9c0eac0c.xmcd"), 4},
        {"210 rock 12345678\r\n# xmcd\r\n# Revision:   16 (edited)\r\nDTITLE=x\r\n", 16},
        {"210 rock 12345678\r\n# xmcd\r\nDTITLE=x\r\n# Revision: 4\r\n", 0},
        {"# xmcd\r\n# Revision: 4", 0}, {"# Revision: x\r\n", 0}, {"", 0}};  // 4: a line without line end
    for (const auto& [text, revision] : cases) EXPECT_EQ(revision_of(text), revision) << text;

    // A real CDDB read reply (revision 3) is stored with our header and revision 4.
    const std::string body = test_data("pear_Net_CDDB_d50dd30f.xmcd") + "\n";  // the file lacks its last line end
    DiscRecord record = drive_record(body);
    record.category = "reggae";
    std::string reply = "210 reggae d50dd30f Various / Ska Island\r\n" + body + ".\r\n";
    ASSERT_EQ(store_reply(record, reply), 1);
    EXPECT_EQ(reply, header("200 reggae d50dd30f", {150, 21052, 43715, 58057, 71430, 92865, 117600, 131987, 150625,
                                                    163292, 181490, 195685, 210197, 233230, 249257}, 3541, 4, "d50dd30f") +
                         body.substr(body.find("DTITLE=")) + ".\r\n");
    record.category.reset();
    const std::string no_titles = "210 rock 12345678\r\n# Revision: 3\r\nTTITLE0=x\r\n";
    // Only the reply's own title lines are stored, all of them, wherever they stand.
    std::string bare = "210 x y\r\n#DTITLE=o\nTTITLE0=t\r\nDTITLE=\n.\r\n", kept = no_titles;
    ASSERT_EQ(store_reply(record, bare), 1);
    EXPECT_TRUE(bare.starts_with("200 nocategory d50dd30f\r\n#") && bare.find("\r\n# Revision: 1\r\n") != std::string::npos);
    EXPECT_TRUE(value_of("DTITLE=", bare) == "" && value_of("TTITLE0=", bare) == "t") << bare;
    EXPECT_TRUE(store_reply(record, kept) == 0 && kept == no_titles);
    EXPECT_EQ(entry_key(record.category, "d50dd30f"), "nocategory/d50dd30f");
    EXPECT_EQ(entry_key(std::string(60, 'c'), "d50dd30f"), std::string(56, 'c'));
}

// The first save of a real disc: every key, long titles on one line. A record
// built from a stored entry keeps its key's id and invents no offsets.
TEST(XmcdWriter, ANewEntryHoldsEveryKeyOfTheDisc) {
    LineLocks locks;
    DiscRecord record = drive_record(test_data("alrs_freedb_7908090a.xmcd")), back = record, detached;
    record.category = "rock", record.disc_title = std::string(200, 'd');
    std::string titles, extt;
    for (int i = 0; i < 10; ++i) {
        record.track_titles[i] = i == 5 ? Text() : "Song " + std::to_string(i);
        titles += "TTITLE" + std::to_string(i) + "=" + record.track_titles[i].value_or("") + "\r\n";
        extt += "EXTT" + std::to_string(i) + "=\r\n";
    }
    EXPECT_EQ(new_entry_text(record), header("100 rock 7908090a", {150, 12860, 23460, 37067, 54250, 70892, 90637, 107507,
              124742, 139870}, 2059, 1, "7908090a") + "DTITLE=" + *record.disc_title + "\r\n" + titles + "EXTD=\r\n" + extt + "PLAYORDER=\r\n.\r\n");
    parse_entry(back, new_entry_text(record), locks);
    EXPECT_TRUE(back.disc_title == record.disc_title && back.track_titles[5] == "");

    parse_entry(detached, "200 jazz 820e770a\r\nDTITLE=Joshua Redman / Wish\r\nTTITLE0=a\r\nTTITLE1=b\r\n", locks);
    detached.disc_id_text = "820e770a";  // as the CD Library sets it from the key
    EXPECT_EQ(new_entry_text(detached), header("100 jazz 820e770a", {}, 0, 1, "820e770a") +
              "DTITLE=Joshua Redman / Wish\r\nTTITLE0=a\r\nTTITLE1=b\r\nEXTD=\r\nEXTT0=\r\nEXTT1=\r\nPLAYORDER=\r\n.\r\n");
}
