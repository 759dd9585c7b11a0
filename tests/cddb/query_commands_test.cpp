#include "cddb/query_commands.h"

#include <gtest/gtest.h>

#include "cddb/match_list.h"
#include "cddb/recorded_session.h"

namespace {

// The CDDBP lines of the recorded session are checked on the wire by the query's own test.
TEST(QueryCommands, TheRecordedQueryOverHttpAndLongPathsAndNamesNeverCut) {
    const DiscRecord wish = disc_of({182, 29035, 58502, 82970, 108465, 134520, 150455, 165772, 189987, 223380}, 3705);
    const ServerEntry http{"h", 80, 1, std::nullopt, "HTTP", "/~cddb/cddb.cgi"};
    const ClientNames names{"user", "host"};
    EXPECT_EQ(BuildQueryCommand(wish, ProtocolHttp, http) + http_hello_part(names),
              "GET /~cddb/cddb.cgi?cmd=cddb+query+820e770a+10+182+29035+58502+82970+108465+134520+150455+165772+189987+"
              "223380+3705&hello=user+host+BrindleCD+1.0&proto=1\n");
    EXPECT_EQ(read_command(ProtocolHttp, "/~cddb/cddb.cgi", "reggae", "d50dd30f", names),
              "GET /~cddb/cddb.cgi?cmd=cddb+read+reggae+d50dd30f&hello=user+host+BrindleCD+1.0&proto=1\n");
    EXPECT_TRUE(query_command(0x0002e403, wish, ProtocolCddbp, "-").starts_with("cddb query 0002e403 10 182 "));

    DiscRecord full;
    full.track_count = kMaxTracks;
    for (int i = 0; i < kMaxTracks; ++i) full.toc[i].frame_offset = 1000000 + i;
    full.disc_seconds = 4000;
    const std::string path = "/" + std::string(600, 'p');
    const ClientNames long_names{std::string(127, 'u'), std::string(127, 'h')};
    const std::string line = query_command(0x12345678, full, ProtocolHttp, path) + http_hello_part(long_names);
    EXPECT_TRUE(line.starts_with("GET " + path + "?cmd=cddb+query+12345678+100+1000000+1000001+"));
    EXPECT_TRUE(line.ends_with("+1000099+4000&hello=" + long_names.user + '+' + long_names.host +
                               "+BrindleCD+1.0&proto=1\n"));
    EXPECT_EQ(request_reserve(3), 277u);  // 7 bytes a track and 256
}

TEST(QueryCommands, NamesWithoutSpacesAndTheProtocolFromItsText) {
    const std::tuple<Text, size_t, const char*> names[] = {
        {"Jane Q Public", 1, "Jane_Q_Public"}, {" lab pc ", 2, "_lab_pc_"}, {"x", 2, "unknown"},
        {"x", 1, "x"}, {"", 1, "unknown"}, {std::nullopt, 1, "unknown"}};
    for (const auto& [name, min_length, sent] : names) EXPECT_EQ(client_name(name, min_length), sent);
    for (const auto& [text, protocol] : {std::pair{"HTTPS", ProtocolHttp}, {"http", ProtocolCddbp}, {"", ProtocolCddbp}})
        EXPECT_EQ(protocol_of(text), protocol) << text;
}

TEST(QueryCommands, MatchesAndTheChoosersRowsComeFromTheirLines) {
    const std::string list = recorded("211_query_inexact_d50dd30f.txt");
    const std::tuple<std::string, int, const char*> picks[] = {
        {recorded("200_query_exact_820e770a.txt"), 1, "jazz 820e770a"}, {list, 2, "reggae d50dd30f"},
        {list, 3, "misc d50dd30f"}, {list, 4, nullptr} /* the "." line */, {list, 9, nullptr} /* past the reply */,
        {"211 Found inexact matches\r\n.\r\n", 2, nullptr}, {"211 list\r\nbroken\r\n.\r\n", 2, nullptr},
        {"200 jazz\r\n", 1, nullptr}, {"200 rock 1a02e4zz Title\r\n", 1, nullptr}};
    for (const auto& [reply, line, key] : picks) {
        const auto match = picked_match(reply, line);
        EXPECT_EQ(match ? match->category + ' ' + match->disc_id : "(none)", key ? key : "(none)") << reply << line;
    }
    std::string stored = list;  // as the file keeps it
    std::erase(stored, '\r');
    const std::pair<std::string, const char*> replies[] = {
        {list, "reggae d50dd30f Various / Ska Island|misc d50dd30f Various / Ska Island|"},
        {stored, "reggae d50dd30f Various / Ska Island|misc d50dd30f Various / Ska Island|"},
        {"211 list\r\nrock 1a02e403 Good one\r\nbroken\r\n.\r\n", "rock 1a02e403 Good one|"},
        {"211 Found inexact matches, list follows\r\n.\r\n", ""}, {"211 Found inexact matches", ""}, {"", ""}};
    for (const auto& [reply, rows] : replies) {
        std::string all;
        for (const MatchRow& r : match_rows(reply))
            all += std::string(r.category) + ' ' + std::string(r.disc_id) + ' ' + std::string(r.title) + '|';
        EXPECT_EQ(all, rows) << reply;
    }
}

}  // namespace
