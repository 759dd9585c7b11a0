// The CDDB protocol as the client speaks it: the lines it sends and how it reads the replies.
#include <gtest/gtest.h>

#include "brd_version.h"
#include "cddb/match_list.h"
#include "cddb/query_commands.h"
#include "cddb/recorded_session.h"
#include "cddb/reply_reader.h"
#include "support/cddb_test_server.h"

namespace {

// The server's banner script is the peer's whole reply, read first on a fresh connection.
ReadResult read_banner(const Script& script, int mode, ReplyWaits waits, ReplyFraming framing) {
    static const NetSession net{2, 2};
    CddbTestServer server;
    server.banner(script);
    const Socket s = connect_tcp(*resolve_host("127.0.0.1"), server.cddbp_port());
    EXPECT_TRUE(s);
    return ReadReply(s.get(), mode, waits, framing);
}

constexpr ReplyWaits kQuick{5000, 300}, kPatient{5000, 5000}, kEndless{5000, 60000};

TEST(ReadReply, EndsAtTheModesTerminatorAfterQuietOnCloseOrNotAtAll) {
    const std::string exact = recorded("200_query_exact_820e770a.txt"), list = recorded("211_query_inexact_d50dd30f.txt"),
                      banner = recorded("201_banner.txt"), none = "202 No match for disc ID 1a02e403.\r\n",
                      entry = "210 reggae d50dd30f CD database entry follows\r\nDTITLE=Various / Ska Island\r\n.\r\n",
                      refused = "403 Database entry is corrupt.\r\n",
                      // Their first ".\r\n" ends "St." or "Vol." and not the reply.
                      main_st = "211 Found inexact matches\r\nrock 1a02e403 Mr. Jones / Main St.\r\n.\r\n",
                      vol = "210 misc 1a02e403\r\nTTITLE3=Vol.\r\n", vol_end = "TTITLE4=Two\r\n.\r\n";
    const std::string ehlo = "250-mail.test\r\n250-8BITMIME\r\n250 HELP\r\n";
    std::string endless;
    for (int i = 0; i < 110; ++i) endless += "250-x\r\n";
    const Step late = say("LATE\r\n");
    const ReplyFraming http = ReplyFraming::Http;
    const struct { Script script; int mode; ReplyWaits waits; Text text; ReplyEnd end; ReplyFraming framing{}; } cases[] = {
        // A receive that completes the reply ends it without another wait, or LATE would be in it.
        {{say(exact), pause_ms(200), late}, ReadByStatus, kPatient, exact, ReplyEnd::Terminator},
        {{say(list), pause_ms(200), late}, ReadByStatus, kPatient, list, ReplyEnd::Terminator},
        {{say(banner.substr(0, 9)), pause_ms(250), say(banner.substr(9))}, ReadSingleLine, kQuick, banner,
         ReplyEnd::Terminator},
        // Other codes have no end rule by status; a "." line ends the whole text so far, however it came.
        {{say(entry)}, ReadByStatus, kQuick, entry, ReplyEnd::Quiet},
        {{say(refused)}, ReadByStatus, kQuick, refused, ReplyEnd::Quiet},
        {{say(main_st), pause_ms(200), late}, ReadMultiLine, kPatient, main_st, ReplyEnd::Terminator},
        {{say(vol), pause_ms(200), say(vol_end)}, ReadMultiLine, kPatient, vol + vol_end, ReplyEnd::Terminator},
        {{say(".\r\n"), pause_ms(200), late}, ReadMultiLine, kPatient, ".\r\n", ReplyEnd::Terminator},
        {{say(list.substr(0, list.size() - 1)), pause_ms(250), say("\n")}, ReadByStatus, kPatient, list,
         ReplyEnd::Terminator},
        // Each wait is its own; a close ends the read at once.
        {{pause_ms(1400), say("201 late\r\n")}, ReadSingleLine, {300, 5000}, std::nullopt, ReplyEnd::Silent},
        {{pause_ms(1400), say("201 late\r\n")}, ReadSingleLine, {2000, 300}, "201 late\r\n", ReplyEnd::Terminator},
        {{say("211 Found\r\n"), pause_ms(1400), late}, ReadByStatus, {5000, 300}, "211 Found\r\n", ReplyEnd::Quiet},
        // A peer that keeps a reply going a byte at a time is cut off by the reply's own deadline.
        {{say("211 Found\r\n"), pause_ms(600), say("a"), pause_ms(600), late}, ReadByStatus, {5000, 1000, 1000},
         "211 Found\r\na", ReplyEnd::Overdue},
        {{say("211 Found inexact matches\r\nrock 1a02"), hang_up()}, ReadByStatus, kEndless,
         "211 Found inexact matches\r\nrock 1a02", ReplyEnd::Closed},
        {{hang_up()}, ReadSingleLine, kEndless, std::nullopt, ReplyEnd::Closed},
        // A mail server's reply ends at its last line however it comes, and not at all past 100 lines or 64 KiB.
        {{say(ehlo), pause_ms(200), late}, ReadSmtp, kPatient, ehlo, ReplyEnd::Terminator},
        {{say(ehlo.substr(0, 20)), pause_ms(250), say(ehlo.substr(20)), pause_ms(200), late}, ReadSmtp, kPatient, ehlo,
         ReplyEnd::Terminator},
        {{say("354\r\n"), pause_ms(200), late}, ReadSmtp, kPatient, "354\r\n", ReplyEnd::Terminator},
        {{say(endless)}, ReadSmtp, kEndless, endless, ReplyEnd::Capped},
        {{say("250 " + std::string(70000, 'x'))}, ReadSmtp, kEndless, "250 " + std::string(65532, 'x'),
         ReplyEnd::Capped},
        // An HTTP status line and headers go, however they arrive; a refusal is no reply; bare text is read as it is.
        {{say("HTTP/1.1 200 OK\r\nServer: x\r\n\r"), pause_ms(200), say("\n" + exact)}, ReadByStatus, kPatient, exact,
         ReplyEnd::Terminator, http},
        {{say("HTTP/1.1 404 Not Found\r\n\r\n" + none)}, ReadByStatus, kPatient, std::nullopt, ReplyEnd::Terminator, http},
        {{say(none)}, ReadByStatus, kPatient, none, ReplyEnd::Terminator, http},
        {{say("HTTP/ 2\n\r\n\n")}, ReadByStatus, kQuick, "\n", ReplyEnd::Quiet, http},  // headers end at "\r\n"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.value_or("(none)").substr(0, 60));
        const ReadResult r = read_banner(c.script, c.mode, c.waits, c.framing);
        EXPECT_EQ(r.text, c.text);
        EXPECT_EQ(r.end, c.end);
    }
}

TEST(ReadReply, AnEndlessPeerIsCutOffAtOneMebibyteOfAnyBytes) {
    const ReadResult r = read_banner({say('x' + std::string(1324 * 1024, '\0'))}, ReadMultiLine, kEndless, {});
    EXPECT_EQ(r.end, ReplyEnd::Capped);
    EXPECT_EQ(r.text.value_or("").size(), 1u << 20);
}

// The CDDBP lines of the recorded session are checked on the wire by the query's own test.
TEST(QueryCommands, TheRecordedQueryOverHttpAndLongPathsAndNamesNeverCut) {
    const DiscRecord wish =
        disc_of("cddb query 820e770a 10 182 29035 58502 82970 108465 134520 150455 165772 189987 223380 3705");
    const ServerEntry http{"h", 80, 1, std::nullopt, "HTTP", "/~cddb/cddb.cgi"};
    const ClientNames names{"user", "host"};
    EXPECT_EQ(http_request(BuildQueryCommand(wish, ProtocolHttp, http) + http_hello_part(names), http),
              "GET /~cddb/cddb.cgi?cmd=cddb+query+820e770a+10+182+29035+58502+82970+108465+134520+150455+165772+189987+"
              "223380+3705&hello=user+host+BrindleCD+1.0&proto=1 HTTP/1.0\r\nHost: h\r\nUser-Agent: BRD/" BRD_VERSION
              "\r\n\r\n");
    EXPECT_EQ(read_command(ProtocolHttp, "/~cddb/cddb.cgi", "reggae", "d50dd30f", names),
              "GET /~cddb/cddb.cgi?cmd=cddb+read+reggae+d50dd30f&hello=user+host+BrindleCD+1.0&proto=1");
    EXPECT_TRUE(query_command(0x0002e403, wish, ProtocolCddbp, "-").starts_with("cddb query 0002e403 10 182 "));
    std::string hundred = "cddb query 12345678 100";
    for (int i = 0; i < kMaxTracks; ++i) hundred += ' ' + std::to_string(1000000 + i);
    const DiscRecord full = disc_of(hundred + " 4000");
    const std::string path = std::string("/").append(600, 'p');
    const ClientNames long_names{std::string(127, 'u'), std::string(127, 'h')};
    const std::string line = query_command(0x12345678, full, ProtocolHttp, path) + http_hello_part(long_names);
    EXPECT_TRUE(line.starts_with("GET " + path + "?cmd=cddb+query+12345678+100+1000000+1000001+"));
    EXPECT_TRUE(line.ends_with("+1000099+4000&hello=" + long_names.user + '+' + long_names.host +
                               "+BrindleCD+1.0&proto=1"));
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
        {"200 jazz\r\n", 1, nullptr}, {"200 rock 1a02e4zz Title\r\n", 1, nullptr},
        {"200 a0Z9" + std::string(16, 'c') + " 1a02e403 T\r\n", 1, "a0Z9cccccccccccccccc 1a02e403"},
        {"200 " + std::string(21, 'c') + " 1a02e403 T\r\n", 1, nullptr}, {"200 ro/ck 1a02e403 T\r\n", 1, nullptr}};
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
        // Only rows a read can use: a category word and an 8-digit id.
        {"211 list\r\nro/ck 1a02e403 Bad\r\nrock 1a02e4zz Bad\r\nrock 1a02e403 Good\r\n.\r\n", "rock 1a02e403 Good|"},
        {"211 Found inexact matches, list follows\r\n.\r\n", ""}, {"211 Found inexact matches", ""}, {"", ""}};
    for (const auto& [reply, rows] : replies) {
        std::string all;
        for (const MatchRow& r : match_rows(reply))
            all += std::string(r.category) + ' ' + std::string(r.disc_id) + ' ' + std::string(r.title) + '|';
        EXPECT_EQ(all, rows) << reply;
    }
}

TEST(QueryCommands, OnlyAnEntryWithACategoryWordATitleOfAKilobyteAndNoZeroByteIsStored) {
    const std::string head = "210 rock 1a02e403 CD database entry follows\r\n", title = "DTITLE=A / B\r\n.\r\n";
    const std::string line = "TTITLE0=" + std::string(70, 'x') + "\r\n";  // 15 lines of 70: 1050 bytes
    std::string long_title;
    for (int i = 0; i < 15; ++i) long_title += line;
    const std::pair<std::string, bool> replies[] = {{head + "TTITLE0=One\r\n" + title, true},
        {head + "TTITLE0=O" + '\0' + "ne\r\n" + title, false}, {head + ".\r\n", false}, {"401" + head.substr(3) + title, false},
        {"210 " + std::string(21, 'c') + " 1a02e403\r\n" + title, false}, {head + long_title + title, false},
        {head + long_title.substr(0, 14 * line.size()) + "TTITLE0=" + std::string(44, 'x') + "\r\n" + title, true},
        {head + "DTITLE=" + std::string(1025, 'x') + "\r\n.\r\n", false}};
    for (const auto& [reply, stored] : replies) EXPECT_EQ(storable_entry(reply), stored) << reply;
}

}  // namespace
