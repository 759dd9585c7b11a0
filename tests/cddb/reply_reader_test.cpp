#include "cddb/reply_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "cddb/cddb_test_server.h"
#include "cddb/test_net.h"

namespace {

// The server's banner script is the peer's whole reply: each test reads it
// as the first thing on a fresh connection.
ReadResult read_banner(const Script& script, int mode, ReplyWaits waits) {
    CddbTestServer server;
    server.banner(script);
    Socket s = dial(server.cddbp_port());
    EXPECT_TRUE(s);
    return ReadReply(s.get(), mode, waits);
}

constexpr ReplyWaits kQuickQuiet{5000, 300};
constexpr ReplyWaits kPatient{5000, 5000};

const std::string kMatches =
    "211 Found inexact matches, list follows (until terminating `.')\r\n"
    "reggae d50dd30f Various / Ska Island\r\n"
    "misc d50dd30f Various / Ska Island\r\n"
    ".\r\n";

TEST(ReadResponse, AReplyThatEndsItsReceiveReturnsWithoutAnotherWait) {
    // Whatever follows after a pause would be in the text had the reader waited again.
    ReadResult exact = read_banner({say("200 jazz 820e770a Joshua Redman / Wish 1993\r\n"), pause_ms(200), say("LATE\r\n")},
                              ReadByStatus, kPatient);
    EXPECT_EQ(exact.text, "200 jazz 820e770a Joshua Redman / Wish 1993\r\n");
    EXPECT_EQ(exact.end, ReplyEnd::Terminator);

    ReadResult list = read_banner({say(kMatches), pause_ms(200), say("LATE\r\n")}, ReadByStatus, kPatient);
    EXPECT_EQ(list.text, kMatches);
    EXPECT_EQ(list.end, ReplyEnd::Terminator);

    ReadResult none = read_banner({say("202 No match for disc ID 1a02e403.\r\n"), pause_ms(200), say("LATE\r\n")},
                             ReadByStatus, kPatient);
    EXPECT_EQ(none.text, "202 No match for disc ID 1a02e403.\r\n");
    EXPECT_EQ(none.end, ReplyEnd::Terminator);

    ReadResult line = read_banner({say("201 ready\r\n"), pause_ms(200), say("LATE\r\n")}, ReadSingleLine, kPatient);
    EXPECT_EQ(line.text, "201 ready\r\n");
}

TEST(ReadResponse, AnEarlierTerminatorInTheSameReceiveDoesNotEndTheReply) {
    const std::string reply = "211 Found inexact matches\r\nrock 1a02e403 Mr. Jones / Main St.\r\n.\r\n";
    ReadResult quiet = read_banner({say(reply)}, ReadByStatus, kQuickQuiet);
    EXPECT_EQ(quiet.text, reply);
    EXPECT_EQ(quiet.end, ReplyEnd::Quiet);

    // Still listening: what comes within the quiet wait joins the reply.
    ReadResult more = read_banner({say(reply), pause_ms(200), say("LATE\r\n")}, ReadMultiLine, {5000, 1500});
    EXPECT_EQ(more.text, reply + "LATE\r\n");
}

TEST(ReadResponse, ATerminatorSplitAcrossReceivesEndsOnlyByQuiet) {
    ReadResult r = read_banner({say("211 list\r\nrock 1a02e403 Title\r\n.\r"), pause_ms(250), say("\n")}, ReadByStatus,
                          kQuickQuiet);
    EXPECT_EQ(r.text, "211 list\r\nrock 1a02e403 Title\r\n.\r\n");
    EXPECT_EQ(r.end, ReplyEnd::Quiet);

    ReadResult line = read_banner({say("200 half"), pause_ms(250), say(" line\r\n")}, ReadSingleLine, kQuickQuiet);
    EXPECT_EQ(line.text, "200 half line\r\n");
    EXPECT_EQ(line.end, ReplyEnd::Terminator);
}

TEST(ReadResponse, OtherStatusCodesHaveNoEndRuleUnderReadByStatus) {
    const std::string entry = "210 rock 1a02e403 CD database entry follows\r\nDTITLE=A / B\r\n.\r\n";
    ReadResult found = read_banner({say(entry)}, ReadByStatus, kQuickQuiet);
    EXPECT_EQ(found.text, entry);
    EXPECT_EQ(found.end, ReplyEnd::Quiet);

    ReadResult refused = read_banner({say("403 Database entry is corrupt.\r\n")}, ReadByStatus, kQuickQuiet);
    EXPECT_EQ(refused.text, "403 Database entry is corrupt.\r\n");
    EXPECT_EQ(refused.end, ReplyEnd::Quiet);

    // The same "210" reply read as a list ends at its terminator.
    ReadResult listed = read_banner({say(entry)}, ReadMultiLine, kPatient);
    EXPECT_EQ(listed.end, ReplyEnd::Terminator);
}

TEST(ReadResponse, TheFirstWaitDecidesBetweenNoReplyAndALateOne) {
    ReadResult silent = read_banner({}, ReadSingleLine, {300, 5000});
    EXPECT_FALSE(silent.text);
    EXPECT_EQ(silent.end, ReplyEnd::Silent);

    ReadResult late = read_banner({pause_ms(1400), say("201 late\r\n")}, ReadSingleLine, {2000, 5000});
    EXPECT_EQ(late.text, "201 late\r\n");
}

TEST(ReadResponse, ALongReplySpansChunksAndComesBackWholeInOrder) {
    std::string reply = "210 rock 1a02e403 CD database entry follows\r\n";
    for (int i = 0; i < 120; ++i) reply += "TTITLE" + std::to_string(i) + "=Track number " + std::to_string(i) + "\r\n";
    reply += ".\r\n";
    ASSERT_GT(reply.size(), 3000u);
    // In pieces, so that receives stop in the middle of lines.
    Script script;
    for (size_t at = 0; at < reply.size(); at += 700) {
        script.push_back(say(reply.substr(at, 700)));
        script.push_back(pause_ms(20));
    }
    ReadResult r = read_banner(script, ReadByStatus, kQuickQuiet);
    EXPECT_EQ(r.text, reply);
}

TEST(ReadResponse, AClosedConnectionEndsTheReadAtOnce) {
    // With a later wait this long, only the close can have ended it.
    ReadResult cut = read_banner({say("211 Found inexact matches\r\nrock 1a02"), hang_up()}, ReadByStatus, {5000, 60000});
    EXPECT_EQ(cut.text, "211 Found inexact matches\r\nrock 1a02");
    EXPECT_EQ(cut.end, ReplyEnd::Closed);

    ReadResult nothing = read_banner({hang_up()}, ReadSingleLine, {5000, 60000});
    EXPECT_FALSE(nothing.text);
    EXPECT_EQ(nothing.end, ReplyEnd::Closed);
}

TEST(ReadResponse, AnEndlessPeerIsCutOffAtTheCap) {
    CddbTestServer server;
    server.banner({say(std::string(kReplyCap + 300 * 1024, 'x'))});
    Socket s = dial(server.cddbp_port());
    ReadResult r = ReadReply(s.get(), ReadMultiLine, {5000, 60000});
    EXPECT_EQ(r.end, ReplyEnd::Capped);
    ASSERT_TRUE(r.text);
    EXPECT_GE(r.text->size(), kReplyCap);
    EXPECT_LT(r.text->size(), kReplyCap + kReceiveChunk);
    EXPECT_EQ(r.text->find_first_not_of('x'), std::string::npos);
}

TEST(ReadResponse, StatusCodeIsTheFirstThreeDigits) {
    EXPECT_EQ(reply_status("211 Found"), 211);
    EXPECT_EQ(reply_status("999"), 999);
    EXPECT_EQ(reply_status("20"), 0);
    EXPECT_EQ(reply_status("OK 200"), 0);
}

}  // namespace
