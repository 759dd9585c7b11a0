#include "cddb/query_commands.h"
#include "cddb/three_track_disc.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

DiscRecord three_tracks() {
    DiscRecord disc;
    disc.track_count = 3;
    disc.toc[0].frame_offset = 150;
    disc.toc[1].frame_offset = 18352;
    disc.toc[2].frame_offset = 36214;
    disc.disc_seconds = 742;
    return disc;
}

TEST(QueryCommands, TheThreeTrackExampleOverBothProtocols) {
    const DiscRecord disc = three_tracks();
    EXPECT_EQ(query_command(0x1a02e403, disc, ProtocolCddbp, "-"), "cddb query 1a02e403 3 150 18352 36214 742\n");
    const ClientNames names{"user", "host"};
    EXPECT_EQ(query_command(0x1a02e403, disc, ProtocolHttp, "/cgi") + http_hello_part(names),
              "GET /cgi?cmd=cddb+query+1a02e403+3+150+18352+36214+742&hello=user+host+BrindleCD+1.0&proto=1\n");
    EXPECT_EQ(hello_command(names), "cddb hello user host BrindleCD 1.0\n");
    EXPECT_EQ(read_command(ProtocolCddbp, "-", "rock", "1a02e403", names), "cddb read rock 1a02e403\n");
    EXPECT_EQ(read_command(ProtocolHttp, "/~cddb/cddb.cgi", "rock", "1a02e403", names),
              "GET /~cddb/cddb.cgi?cmd=cddb+read+rock+1a02e403&hello=user+host+BrindleCD+1.0&proto=1\n");
    // The id keeps its leading zeros.
    EXPECT_EQ(query_command(0x0002e403, disc, ProtocolCddbp, "-").substr(0, 20), "cddb query 0002e403 ");
}

// The id, the count, twelve offsets and the length: fifteen numbers follow
// "cddb query " (sixteen words with "query" itself).
TEST(QueryCommands, TwelveTracksGiveTheIdCountOffsetsAndLength) {
    DiscRecord disc;
    disc.track_count = 12;
    for (int i = 0; i < 12; ++i) disc.toc[i].frame_offset = 150 + i * 20000;
    disc.disc_seconds = 3300;
    const std::string line = query_command(0xb00b5e0c, disc, ProtocolCddbp, "-");
    ASSERT_TRUE(line.starts_with("cddb query "));
    ASSERT_TRUE(line.ends_with(" 3300\n"));
    std::istringstream numbers(line.substr(5));
    std::vector<std::string> words;
    for (std::string w; numbers >> w;) words.push_back(w);
    ASSERT_EQ(words.size(), 16u);
    EXPECT_EQ(words[0], "query");
    EXPECT_EQ(words[1], "b00b5e0c");
    EXPECT_EQ(words[2], "12");
    EXPECT_EQ(words[3], "150");
    EXPECT_EQ(words[14], "220150");
    EXPECT_EQ(words[15], "3300");
}

TEST(QueryCommands, LongPathsAndNamesAreNeverCut) {
    DiscRecord disc;
    disc.track_count = kMaxTracks;
    for (int i = 0; i < kMaxTracks; ++i) disc.toc[i].frame_offset = 1000000 + i;
    disc.disc_seconds = 4000;
    const std::string path = "/" + std::string(600, 'p');
    const ClientNames names{std::string(127, 'u'), std::string(127, 'h')};
    const std::string line = query_command(0x12345678, disc, ProtocolHttp, path) + http_hello_part(names);
    EXPECT_GT(line.size(), request_reserve(kMaxTracks));
    EXPECT_TRUE(line.starts_with("GET " + path + "?cmd=cddb+query+12345678+100+1000000+"));
    EXPECT_TRUE(line.ends_with("+4000&hello=" + names.user + "+" + names.host + "+BrindleCD+1.0&proto=1\n"));
    EXPECT_EQ(request_reserve(3), 277u);
}

TEST(QueryCommands, ClientNamesHaveNoSpacesAndFallBackToUnknown) {
    EXPECT_EQ(client_name(std::string("Jane Q Public"), 1), "Jane_Q_Public");
    EXPECT_EQ(client_name(std::string(" lab pc "), 2), "_lab_pc_");
    EXPECT_EQ(client_name(std::string("x"), 2), "unknown");  // host names need two characters
    EXPECT_EQ(client_name(std::string("x"), 1), "x");
    EXPECT_EQ(client_name(std::string(""), 1), "unknown");
    EXPECT_EQ(client_name(std::nullopt, 1), "unknown");
}

TEST(QueryCommands, OnlyAnUpperCaseHttpPrefixSelectsHttp) {
    EXPECT_EQ(protocol_of("HTTP"), ProtocolHttp);
    EXPECT_EQ(protocol_of("HTTPS"), ProtocolHttp);
    EXPECT_EQ(protocol_of("http"), ProtocolCddbp);
    EXPECT_EQ(protocol_of("CDDBP"), ProtocolCddbp);
    EXPECT_EQ(protocol_of(""), ProtocolCddbp);
}

}  // namespace

namespace {

TEST(QueryCommands, BuildQueryCommandComputesTheDiscId) {
    DiscRecord disc;
    FillThreeTrackDisc(disc);
    ServerEntry cddbp{"h", 888, 1, std::nullopt, "CDDBP", "-"};
    EXPECT_EQ(BuildQueryCommand(disc, ProtocolCddbp, cddbp), "cddb query 1a02e403 3 150 18352 36214 742\n");
    ServerEntry http{"h", 80, 1, std::nullopt, "HTTP", "/cgi"};
    EXPECT_EQ(BuildQueryCommand(disc, ProtocolHttp, http), "GET /cgi?cmd=cddb+query+1a02e403+3+150+18352+36214+742");
}

TEST(QueryCommands, PickedMatchesComeFromTheirLines) {
    const std::string exact = "200 jazz 820e770a Joshua Redman / Wish 1993\r\n";
    auto key = picked_match(exact, 1);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->category, "jazz");
    EXPECT_EQ(key->disc_id, "820e770a");

    const std::string list =
        "211 Found inexact matches, list follows (until terminating `.')\r\n"
        "reggae d50dd30f Various / Ska Island\r\n"
        "misc d50dd30e Various / Ska Island\r\n"
        "rock d50dd30d Various / Ska Island\r\n"
        ".\r\n";
    key = picked_match(list, 4);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->category, "rock");
    EXPECT_EQ(key->disc_id, "d50dd30d");
    EXPECT_FALSE(picked_match(list, 5));  // the "." line
    EXPECT_FALSE(picked_match(list, 9));  // past the reply

    EXPECT_FALSE(picked_match("211 Found inexact matches\r\n.\r\n", 2));
    EXPECT_FALSE(picked_match("211 list\r\nbroken\r\n.\r\n", 2));
    EXPECT_FALSE(picked_match("200 jazz\r\n", 1));
}

}  // namespace
