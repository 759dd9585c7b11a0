#include "cddb/match_list.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

TEST(MatchList, RowsFollowTheReplyWithTitlesKeepingTheirSpaces) {
    const std::string reply =
        "211 Found inexact matches, list follows (until terminating `.')\r\n"
        "reggae d50dd30f Various / Ska Island\r\n"
        "misc d50dd30f Various / Ska Island (Remastered)\r\n"
        "rock 0a0b0c0d Someone / Title  with  spaces\r\n"
        ".\r\n";
    const auto rows = match_rows(reply);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].category, "reggae");
    EXPECT_EQ(rows[0].disc_id, "d50dd30f");
    EXPECT_EQ(rows[0].title, "Various / Ska Island");
    EXPECT_EQ(rows[1].title, "Various / Ska Island (Remastered)");
    EXPECT_EQ(rows[2].category, "rock");
    EXPECT_EQ(rows[2].disc_id, "0a0b0c0d");
    EXPECT_EQ(rows[2].title, "Someone / Title  with  spaces");
}

TEST(MatchList, TheRecordedReplyGivesItsTwoMatches) {
    std::ifstream file(BRD_CDDB_TEST_DATA "/211_query_inexact_d50dd30f.txt", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string reply = text.str();  // stored with bare line feeds
    ASSERT_FALSE(reply.empty());
    const auto rows = match_rows(reply);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].category, "misc");
    EXPECT_EQ(rows[1].title, "Various / Ska Island");
}

TEST(MatchList, ARepliedListWithoutMatchesOrWithABrokenLineStopsThere) {
    EXPECT_TRUE(match_rows("211 Found inexact matches, list follows\r\n.\r\n").empty());
    EXPECT_TRUE(match_rows("211 Found inexact matches").empty());
    EXPECT_TRUE(match_rows("").empty());
    const auto rows = match_rows("211 list\r\nrock 1a02e403 Good one\r\nbroken\r\n.\r\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].title, "Good one");
}

}  // namespace
