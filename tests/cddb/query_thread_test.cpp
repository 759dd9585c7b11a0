#include "cddb/query_thread.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/player.h"
#include "cddb/cddb_test_server.h"
#include "cddb/query_commands.h"
#include "cddb/win_fixture.h"
#include "discinfo/database.h"
#include "cddb/three_track_disc.h"

namespace {

const char kEntry[] =
    "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t18352\n#\t36214\n#\n# Disc length: 742 seconds\n#\n"
    "# Revision: 2\n# Submitted via: loopback 1.0\n#\n"
    "DISCID=1a02e403\nDTITLE=Loopback Band / Three Songs\nDYEAR=1999\nDGENRE=Rock\n"
    "TTITLE0=First\nTTITLE1=Second Song\nTTITLE2=Third\nEXTD=\nEXTT0=\nEXTT1=\nEXTT2=\nPLAYORDER=\n";

// What the user answers, and what the query asked.
struct Answers {
    int message_box = IDYES;
    int chooser = 0;
    std::vector<std::string> messages;
    std::vector<std::string> chooser_replies;
};
Answers answers;

int AnswerMessageBox(HWND, const char* text, const char*, UINT) {
    answers.messages.push_back(text);
    return answers.message_box;
}
int AnswerChooser(HWND, std::string& reply_copy) {
    answers.chooser_replies.push_back(reply_copy);
    return answers.chooser;
}

class Query : public ::testing::Test {
protected:
    ScratchDirectory scratch;
    NotifyWindow window;
    CddbTestServer server;
    DiscRecord disc{nullptr};

    void SetUp() override {
        if (!Player.QueryLock) Player.QueryLock = CreateLock();
        answers = {};
        QueryUi = {AnswerMessageBox, AnswerChooser};
        QueryWaits = {3000, 300};
        CurrentServer.reset();
        Player.ServerList = {cddbp(server)};
        disc.owner_window = window.get();
        FillThreeTrackDisc(disc);
        disc.loaded = 1;
        server.add_disc("rock", "1a02e403", "Loopback Band / Three Songs", kEntry);
    }

    static ServerEntry cddbp(const CddbTestServer& s) {
        return {"127.0.0.1", s.cddbp_port(), 0, std::string("Loopback"), "CDDBP", "-"};
    }
    static ServerEntry http(const CddbTestServer& s) {
        return {"127.0.0.1", s.http_port(), 0, std::string("Loopback"), "HTTP", "/~cddb/cddb.cgi"};
    }

    void run() { QueryThread(&disc); }
    bool read_sent() const {
        for (const std::string& line : server.received())
            if (line.find("cddb read") != std::string::npos || line.find("cddb+read") != std::string::npos)
                return true;
        return false;
    }
    static std::string user() {
        char name[128] = {};
        DWORD length = sizeof name;
        GetUserNameA(name, &length);
        return client_name(std::string(name), 1);
    }
    static std::string host() { return client_name(local_host_name(), 2); }
};

TEST_F(Query, AnExactMatchOverCddbpIsReadAndStored) {
    run();
    EXPECT_EQ(window.codes(), (std::vector<int>{701, 702, 999}));
    EXPECT_EQ(server.received(), (std::vector<std::string>{
                                     "cddb hello " + user() + " " + host() + " BrindleCD 1.0",
                                     "cddb query 1a02e403 3 150 18352 36214 742",
                                     "cddb read rock 1a02e403",
                                 }));
    EXPECT_EQ(server.cddbp_connections(), 1);
    EXPECT_EQ(disc.disc_title, "Loopback Band / Three Songs");
    EXPECT_EQ(disc.track_titles[1], "Second Song");
    EXPECT_EQ(disc.category, "rock");
    EXPECT_EQ(disc.disc_id_text, "1a02e403");
    const Text stored = db_read("rock/1a02e403");
    ASSERT_TRUE(stored);
    EXPECT_NE(stored->find("DTITLE=Loopback Band / Three Songs"), std::string::npos);
    EXPECT_FALSE(CurrentServer);
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(Query, StartQueryRunsItOnAThreadOfItsOwn) {
    ASSERT_TRUE(StartQuery(disc));
    ASSERT_TRUE(window.wait_for(999));
    EXPECT_EQ(window.codes(), (std::vector<int>{701, 702, 999}));
    // The lock is free again once the thread has ended.
    for (int i = 0; i < 100 && !SemaphoreSlot(Player.QueryLock.get(), 0).held(); ++i) Sleep(20);
    EXPECT_TRUE(SemaphoreSlot(Player.QueryLock.get(), 0).held());
    EXPECT_TRUE(db_contains("rock/1a02e403"));
}

TEST_F(Query, OverHttpTheHelloRidesInEachRequestAndTheReadHasItsOwnConnection) {
    Player.ServerList = {http(server)};
    run();
    EXPECT_EQ(window.codes(), (std::vector<int>{701, 702, 999}));
    const std::string hello = "&hello=" + user() + "+" + host() + "+BrindleCD+1.0&proto=1";
    EXPECT_EQ(server.received(), (std::vector<std::string>{
                                     "GET /~cddb/cddb.cgi?cmd=cddb+query+1a02e403+3+150+18352+36214+742" + hello,
                                     "GET /~cddb/cddb.cgi?cmd=cddb+read+rock+1a02e403" + hello,
                                 }));
    EXPECT_EQ(server.http_connections(), 2);
    EXPECT_EQ(server.cddbp_connections(), 0);
    EXPECT_TRUE(db_contains("rock/1a02e403"));
}

TEST_F(Query, WithoutADefaultTheFirstServerIsUsedAndBecomesDefault) {
    CddbTestServer second;
    Player.ServerList = {cddbp(server), cddbp(second)};
    run();
    EXPECT_EQ(window.codes().back(), 999);
    EXPECT_EQ(server.cddbp_connections(), 1);
    EXPECT_EQ(second.cddbp_connections(), 0);
    EXPECT_EQ(Player.ServerList[0].default_flag, 1);
    EXPECT_EQ(Player.ServerList[1].default_flag, 0);

    // A default further down the list wins; a server set by the page wins over both.
    Player.ServerList = {cddbp(server), cddbp(second)};
    Player.ServerList[1].default_flag = 1;
    disc.loaded = 1;
    run();
    EXPECT_EQ(second.cddbp_connections(), 1);
    CddbTestServer chosen;
    CurrentServer = cddbp(chosen);
    run();
    EXPECT_EQ(chosen.cddbp_connections(), 1);
    EXPECT_EQ(second.cddbp_connections(), 1);
    EXPECT_FALSE(CurrentServer);
}

TEST_F(Query, TheChosenInexactMatchIsRead) {
    server.add_disc("misc", "1a02e403", "Loopback Band / Three Songs (Live)", kEntry);
    server.add_disc("jazz", "1a02e403", "Other Band / Three Songs", kEntry);
    answers.chooser = 2;
    run();
    EXPECT_EQ(window.codes(), (std::vector<int>{701, 702, 999}));
    ASSERT_EQ(answers.chooser_replies.size(), 1u);
    EXPECT_TRUE(answers.chooser_replies[0].starts_with("211 "));
    EXPECT_TRUE(answers.chooser_replies[0].ends_with("jazz 1a02e403 Other Band / Three Songs\r\n.\r\n"));
    EXPECT_EQ(server.received().back(), "cddb read jazz 1a02e403");
    EXPECT_EQ(disc.category, "jazz");
    EXPECT_TRUE(db_contains("jazz/1a02e403"));
}

TEST_F(Query, NoMatchEndsWithoutARead) {
    Player.ServerList = {cddbp(server)};
    server.reply("cddb query", {say("202 No match for disc ID 1a02e403.\r\n")});
    run();
    EXPECT_EQ(window.codes(), (std::vector<int>{701, 702, 901}));
    EXPECT_FALSE(read_sent());

    server.reply("cddb query", {say("403 Database entry is corrupt.\r\n")});
    run();
    EXPECT_EQ(window.codes().back(), 901);
    EXPECT_FALSE(read_sent());

    // "None" in the chooser, and a list without match lines (OK gives row 0).
    server.reply("cddb query", {say("211 Found inexact matches\r\nrock 1a02e403 A / B\r\n.\r\n")});
    answers.chooser = -1;
    run();
    EXPECT_EQ(window.codes().back(), 901);
    server.reply("cddb query", {say("211 Found inexact matches, list follows (until terminating `.')\r\n.\r\n")});
    answers.chooser = 0;
    run();
    EXPECT_EQ(window.codes().back(), 901);
    EXPECT_FALSE(read_sent());
    EXPECT_EQ(answers.chooser_replies.size(), 2u);

    // A refused read stores nothing.
    server.reply("cddb query", {say("200 rock 1a02e403 Loopback Band / Three Songs\r\n")});
    server.reply("cddb read", {say("401 rock 1a02e403 No such CD entry in database.\r\n")});
    run();
    EXPECT_EQ(window.codes().back(), 901);
    EXPECT_FALSE(db_contains("1a02e403"));
}

TEST_F(Query, ARemovedDiscEndsWithZeroAndStoresNothing) {
    server.reply("cddb query", {pause_ms(500), say("200 rock 1a02e403 Loopback Band / Three Songs\r\n")});
    std::thread query([this] { run(); });
    ASSERT_TRUE(window.wait_for(702));
    disc.loaded = 0;  // ejected while the server thinks
    query.join();
    EXPECT_EQ(window.codes(), (std::vector<int>{701, 702, 0}));
    EXPECT_FALSE(read_sent());
    EXPECT_FALSE(db_contains("1a02e403"));
    EXPECT_FALSE(disc.disc_title);
}

TEST_F(Query, ASecondQueryWhileOneRunsEndsSilently) {
    server.reply("cddb query", {pause_ms(500), say("200 rock 1a02e403 Loopback Band / Three Songs\r\n")});
    std::thread first([this] { run(); });
    ASSERT_TRUE(window.wait_for(702));
    DiscRecord other{window.get()};
    other.loaded = 1;
    QueryThread(&other);
    first.join();
    EXPECT_EQ(window.codes(), (std::vector<int>{701, 702, 999}));
    EXPECT_EQ(server.cddbp_connections(), 1);
}

TEST_F(Query, WithoutServersTheUserIsToldAndTheQueryFails) {
    Player.ServerList.clear();
    run();
    EXPECT_EQ(window.codes(), (std::vector<int>{667}));
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0],
              "No CDDB servers have been defined.\n\nPlease set a server, or disable CDDB\n"
              "connectivity in the preferences.");

    // Entries that could not be read from the registry are not servers.
    ServerEntry unreadable;
    unreadable.host_name = kRegErrorHost;
    Player.ServerList = {unreadable};
    run();
    EXPECT_EQ(window.codes(), (std::vector<int>{667, 667}));
    EXPECT_EQ(answers.messages.size(), 2u);
    Player.ServerList = {unreadable, cddbp(server)};
    run();
    EXPECT_EQ(window.codes().back(), 999);
    EXPECT_EQ(Player.ServerList[0].default_flag, 0);
    EXPECT_EQ(Player.ServerList[1].default_flag, 1);
}

TEST_F(Query, UnreachableOrSilentServersGive667) {
    QueryWaits = {500, 300};
    server.banner({});
    run();
    EXPECT_EQ(window.codes(), (std::vector<int>{701, 667}));
    EXPECT_TRUE(server.received().empty());  // no hello without a banner

    int closed_port = 0;
    {
        CddbTestServer gone;
        closed_port = gone.cddbp_port();
    }
    Player.ServerList = {{"127.0.0.1", closed_port, 1, std::nullopt, "CDDBP", "-"}};
    run();
    EXPECT_EQ(window.codes().back(), 667);
    Player.ServerList = {{"no-such-host.invalid", 888, 1, std::nullopt, "CDDBP", "-"}};
    run();
    EXPECT_EQ(window.codes().back(), 667);
    EXPECT_FALSE(CurrentServer);
}

TEST_F(Query, AnExistingEntryIsReplacedOnlyWhenTheUserSaysYes) {
    ASSERT_EQ(db_add(std::string("misc/1a02e403"), std::string("200 misc 1a02e403\nDTITLE=Old / Entry\n")), 1);
    answers.message_box = IDNO;
    run();
    EXPECT_EQ(window.codes().back(), 999);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0],
              "The CD being queried already exists in the database.\n"
              "Replace database entry with this new information?");
    EXPECT_TRUE(db_contains("misc/1a02e403"));
    EXPECT_FALSE(db_contains("rock/1a02e403"));
    EXPECT_FALSE(disc.disc_title);

    answers.message_box = IDYES;
    run();
    EXPECT_EQ(window.codes().back(), 999);
    EXPECT_FALSE(db_contains("misc/1a02e403"));
    EXPECT_TRUE(db_contains("rock/1a02e403"));
    EXPECT_EQ(disc.disc_title, "Loopback Band / Three Songs");
}

}  // namespace
