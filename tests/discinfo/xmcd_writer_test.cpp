#include "discinfo/xmcd_writer.h"

#include "discinfo/disc_id.h"
#include "discinfo/entry_text.h"
#include "test_support.h"

namespace {

// The drive's record of the disc in pear_Net_CDDB_d50dd30f.xmcd (15 tracks).
DiscRecord ska_island() {
    const int offsets[] = {150, 21052, 43715, 58057, 71430, 92865, 117600, 131987,
                           150625, 163292, 181490, 195685, 210197, 233230, 249257};
    DiscRecord record(reinterpret_cast<void*>(1));
    record.track_count = 15;
    for (int i = 0; i < 15; ++i) {
        const int seconds = offsets[i] / 75;
        record.toc[i] = {seconds / 60, seconds % 60, offsets[i] % 75, offsets[i]};
    }
    record.toc[15] = {3541 / 60, 3541 % 60, 0, 3541 * 75};
    record.disc_seconds = 3541;
    return record;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
        lines.push_back(text.substr(pos, end - pos));
    EXPECT_EQ(pos, text.size()) << "every line ends in CR LF";
    return lines;
}

}  // namespace

TEST(RevisionOf, ReadsTheLeadingCommentBlockOnly) {
    EXPECT_EQ(revision_of(test_data("peik_freedb-parser-sample_9c0eac0c.xmcd")), 4);
    EXPECT_EQ(revision_of("210 rock 12345678\r\n# xmcd\r\n# Revision:   16 (edited)\r\nDTITLE=x\r\n"), 16);
    EXPECT_EQ(revision_of("210 rock 12345678\r\n# xmcd\r\nDTITLE=x\r\n# Revision: 4\r\n"), 0);
    EXPECT_EQ(revision_of("# xmcd\r\n# Revision: 4"), 0);  // a line without line end ends the search
    EXPECT_EQ(revision_of(""), 0);
    EXPECT_EQ(revision_of("# Revision: x\r\n"), 0);
}

TEST(StoreReply, PutsOurHeaderBeforeTheTitlesAndRaisesTheRevision) {
    const DiscRecord record = [] {
        DiscRecord r = ska_island();
        r.category = "reggae";
        r.disc_id_text = disc_id_string(disc_id(r));
        return r;
    }();
    ASSERT_EQ(*record.disc_id_text, "d50dd30f");
    const std::string body = crlf(test_data("pear_Net_CDDB_d50dd30f.xmcd")) + "\r\n";  // the file lacks its last line end
    std::string reply = "210 reggae d50dd30f Various / Ska Island\r\n" + body + ".\r\n";
    ASSERT_EQ(store_reply(record, reply), 1);

    const auto lines = lines_of(reply);
    ASSERT_GT(lines.size(), 30u);
    EXPECT_EQ(lines[0], "200 reggae d50dd30f");
    EXPECT_EQ(lines[1], "# xmcd CD database file");
    EXPECT_EQ(lines[2], "# Copyright (C) 1993-1998 Ti Kan");
    EXPECT_EQ(lines[3], "#");
    EXPECT_EQ(lines[4], "# Track frame offsets:");
    EXPECT_EQ(lines[5], "#\t150");
    EXPECT_EQ(lines[19], "#\t249257");
    EXPECT_EQ(lines[20], "#");
    EXPECT_EQ(lines[21], "# Disc length: 3541 seconds");
    EXPECT_EQ(lines[22], "#");
    EXPECT_EQ(lines[23], "# Revision: 4");
    EXPECT_EQ(lines[24], "# Submitted via: BrindleCD 1.0");
    EXPECT_EQ(lines[25], "#");
    EXPECT_EQ(lines[26], "DISCID=d50dd30f");
    EXPECT_EQ(lines[27], "DTITLE=Various / Ska Island");
    EXPECT_EQ(lines.back(), ".");
    EXPECT_EQ(reply.substr(reply.find("DTITLE=")), body.substr(body.find("DTITLE=")) + ".\r\n");
    EXPECT_EQ(revision_of(reply), 4);
}

TEST(StoreReply, NoRevisionNoCategoryAndNoTitles) {
    DiscRecord record = record_with_starts({2, 100}, 300);
    record.disc_id_text = disc_id_string(disc_id(record));
    std::string reply = "210 x y\r\nDTITLE=A\r\n.\r\n";
    ASSERT_EQ(store_reply(record, reply), 1);
    EXPECT_EQ(reply.substr(0, reply.find("\r\n")), "200 nocategory " + *record.disc_id_text);
    EXPECT_NE(reply.find("\r\n# Revision: 1\r\n"), std::string::npos);
    EXPECT_EQ(entry_key(record.category, *record.disc_id_text), "nocategory/" + *record.disc_id_text);

    std::string no_titles = "210 rock 12345678\r\n# Revision: 3\r\nTTITLE0=x\r\n.\r\n";
    const std::string before = no_titles;
    EXPECT_EQ(store_reply(record, no_titles), 0);
    EXPECT_EQ(no_titles, before);
}

TEST(NewEntryText, CompleteEntryForTwelveTracks) {
    DiscRecord record = record_with_starts({2, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100}, 1200);
    record.category = "rock";
    record.disc_id_text = disc_id_string(disc_id(record));
    record.disc_title = "Artist / Album";
    for (int i = 0; i < 12; ++i) record.track_titles[i] = "Song " + std::to_string(i);
    record.track_titles[5].reset();
    const auto lines = lines_of(new_entry_text(record));

    ASSERT_EQ(lines.size(), 1u + 4 + 12 + 2 + 2 + 1 + 1 + 1 + 1 + 12 + 1 + 12 + 1 + 1);
    EXPECT_EQ(lines[0], "100 rock " + *record.disc_id_text);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(lines[5 + i], "#\t" + std::to_string(record.toc[i].frame_offset));
    EXPECT_EQ(lines[17], "#");
    EXPECT_EQ(lines[18], "# Disc length: 1200 seconds");
    EXPECT_EQ(lines[20], "# Revision: 1");
    EXPECT_EQ(lines[21], "# Submitted via: BrindleCD 1.0");
    EXPECT_EQ(lines[23], "DISCID=" + *record.disc_id_text);
    EXPECT_EQ(lines[24], "DTITLE=Artist / Album");
    EXPECT_EQ(lines[25], "TTITLE0=Song 0");
    EXPECT_EQ(lines[30], "TTITLE5=");
    EXPECT_EQ(lines[37], "EXTD=");
    EXPECT_EQ(lines[38], "EXTT0=");
    EXPECT_EQ(lines[50], "PLAYORDER=");
    EXPECT_EQ(lines[51], ".");
}

TEST(NewEntryText, LongTitlesStayOnOneLineAndParseBack) {
    LineLocks locks;
    DiscRecord record = record_with_starts({2, 100}, 300);
    record.disc_title = std::string(200, 'd');
    record.track_titles[1] = std::string(120, 't');
    const std::string text = new_entry_text(record);
    EXPECT_NE(text.find("\r\nDTITLE=" + std::string(200, 'd') + "\r\n"), std::string::npos);
    DiscRecord back = record_with_starts({2, 100}, 300);
    parse_entry(back, text, locks);
    EXPECT_EQ(back.disc_title, record.disc_title);
    EXPECT_EQ(back.track_titles[0], "");
    EXPECT_EQ(back.track_titles[1], record.track_titles[1]);
    EXPECT_EQ(back.category, "nocategory");
}

TEST(NewEntryText, DetachedRecordKeepsItsKeyIdAndInventsNoOffsets) {
    LineLocks locks;
    DiscRecord detached;
    parse_entry(detached, "200 jazz 820e770a\r\nDTITLE=Joshua Redman / Wish\r\nTTITLE0=a\r\nTTITLE1=b\r\n", locks);
    detached.disc_id_text = "820e770a";  // as the CD Library sets it from the key
    const std::string text = new_entry_text(detached);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "100 jazz 820e770a");
    EXPECT_NE(text.find("\r\nDISCID=820e770a\r\n"), std::string::npos);
    EXPECT_EQ(text.find("#\t"), std::string::npos);
    EXPECT_NE(text.find("\r\nTTITLE1=b\r\nEXTD=\r\n"), std::string::npos);
}
