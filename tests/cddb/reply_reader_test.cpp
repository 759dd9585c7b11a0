#include "cddb/reply_reader.h"

#include <gtest/gtest.h>

#include "cddb/recorded_session.h"
#include "support/cddb_test_server.h"

namespace {

// The server's banner script is the peer's whole reply, read first on a fresh connection.
ReadResult read_banner(const Script& script, int mode, ReplyWaits waits) {
    static const NetSession net{2, 2};
    CddbTestServer server;
    server.banner(script);
    const Socket s = connect_tcp(*resolve_host("127.0.0.1"), server.cddbp_port());
    EXPECT_TRUE(s);
    return ReadReply(s.get(), mode, waits);
}

constexpr ReplyWaits kQuick{5000, 300}, kPatient{5000, 5000}, kEndless{5000, 60000};

TEST(ReadReply, EndsAtTheModesTerminatorAfterQuietOnCloseOrNotAtAll) {
    const std::string exact = recorded("200_query_exact_820e770a.txt"), list = recorded("211_query_inexact_d50dd30f.txt"),
                      banner = recorded("201_banner.txt"), none = "202 No match for disc ID 1a02e403.\r\n",
                      entry = "210 reggae d50dd30f CD database entry follows\r\nDTITLE=Various / Ska Island\r\n.\r\n",
                      refused = "403 Database entry is corrupt.\r\n",
                      // Its first ".\r\n" ends "St." and not the reply.
                      main_st = "211 Found inexact matches\r\nrock 1a02e403 Mr. Jones / Main St.\r\n.\r\n";
    const Step late = say("LATE\r\n");
    const struct { Script script; int mode; ReplyWaits waits; Text text; ReplyEnd end; } cases[] = {
        // A receive that completes the reply ends it without another wait, or LATE would be in it.
        {{say(exact), pause_ms(200), late}, ReadByStatus, kPatient, exact, ReplyEnd::Terminator},
        {{say(list), pause_ms(200), late}, ReadByStatus, kPatient, list, ReplyEnd::Terminator},
        {{say(none), pause_ms(200), late}, ReadByStatus, kPatient, none, ReplyEnd::Terminator},
        {{say(banner), pause_ms(200), late}, ReadSingleLine, kPatient, banner, ReplyEnd::Terminator},
        {{say(entry)}, ReadMultiLine, kPatient, entry, ReplyEnd::Terminator},
        {{say("200 half"), pause_ms(250), say(" line\r\n")}, ReadSingleLine, kQuick, "200 half line\r\n",
         ReplyEnd::Terminator},
        // Other codes have no end rule by status; a terminator must end the receive, whole.
        {{say(entry)}, ReadByStatus, kQuick, entry, ReplyEnd::Quiet},
        {{say(refused)}, ReadByStatus, kQuick, refused, ReplyEnd::Quiet},
        {{say(main_st)}, ReadByStatus, kQuick, main_st, ReplyEnd::Quiet},
        {{say(main_st), pause_ms(200), late}, ReadMultiLine, {5000, 1500}, main_st + "LATE\r\n", ReplyEnd::Quiet},
        {{say(list.substr(0, list.size() - 1)), pause_ms(250), say("\n")}, ReadByStatus, kQuick, list, ReplyEnd::Quiet},
        // Each wait is its own; a close ends the read at once.
        {{}, ReadSingleLine, {300, 5000}, std::nullopt, ReplyEnd::Silent},
        {{pause_ms(1400), say("201 late\r\n")}, ReadSingleLine, {300, 5000}, std::nullopt, ReplyEnd::Silent},
        {{pause_ms(1400), say("201 late\r\n")}, ReadSingleLine, {2000, 300}, "201 late\r\n", ReplyEnd::Terminator},
        {{say("211 Found\r\n"), pause_ms(1400), late}, ReadByStatus, {5000, 300}, "211 Found\r\n", ReplyEnd::Quiet},
        {{say("211 Found inexact matches\r\nrock 1a02"), hang_up()}, ReadByStatus, kEndless,
         "211 Found inexact matches\r\nrock 1a02", ReplyEnd::Closed},
        {{hang_up()}, ReadSingleLine, kEndless, std::nullopt, ReplyEnd::Closed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.value_or("(none)").substr(0, 60));
        const ReadResult r = read_banner(c.script, c.mode, c.waits);
        EXPECT_EQ(r.text, c.text);
        EXPECT_EQ(r.end, c.end);
    }
}

TEST(ReadReply, AnEndlessPeerIsCutOffAtTheCap) {
    const ReadResult r = read_banner({say(std::string(kReplyCap + 300 * 1024, 'x'))}, ReadMultiLine, kEndless);
    EXPECT_EQ(r.end, ReplyEnd::Capped);
    ASSERT_TRUE(r.text);
    EXPECT_GE(r.text->size(), kReplyCap);
    EXPECT_LT(r.text->size(), kReplyCap + kReceiveChunk);
}

TEST(ReadReply, StatusIsTheFirstThreeDigits) {
    for (const auto& [reply, status] : {std::pair{"211 Found", 211}, {"999", 999}, {"20", 0}, {"OK 200", 0}, {"2x0", 0}})
        EXPECT_EQ(reply_status(reply), status) << reply;
}

}  // namespace
