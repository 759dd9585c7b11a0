#include "cddb/query_thread.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "brd_version.h"
#include "cddb/match_chooser.h"
#include "cddb/recorded_session.h"
#include "cddb/submit_thread.h"
#include "discinfo/database.h"
#include "resources/resource.h"
#include "support/cddb_test_server.h"

namespace {

// What the user answers, and what the query asked.
struct Answers { int message_box = IDYES, chooser = 0; std::vector<std::string> messages, chooser_replies; } answers;

const char kSkaIsland[] = "Various / Ska Island", kExact[] = "200 reggae d50dd30f Various / Ska Island\r\n";
const std::string kHead = "210 reggae d50dd30f CD database entry follows (until terminating `.')\r\n";

template <class Done> void wait_for(Done done) {
    for (int i = 0; i < 1000 && !done(); ++i) Sleep(10);
}
ServerEntry cddbp(const CddbTestServer& s) { return {"127.0.0.1", s.cddbp_port(), 0, {}, "CDDBP", "-"}; }

// Each query starts without brd.bdb, on the recorded disc, and posts to a window of this thread.
class Query : public ::testing::Test {
protected:
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<int> posted;
    CddbTestServer server;
    std::shared_ptr<DiscRecord> record = std::make_shared<DiscRecord>(disc_of(kSkaIslandQuery, window));
    DiscRecord& disc = *record;
    std::shared_ptr<LineLocks> locks = std::make_shared<LineLocks>();
    OwnedHandle query_lock = CreateLock();

    Query() {
        DeleteFileA("brd.bdb");
        answers = {};
        QueryUi = {[](HWND, const char* text, const char*, UINT) {
                       return answers.messages.push_back(text), answers.message_box;
                   },
                   [](HWND, std::string& reply) { return answers.chooser_replies.push_back(reply), answers.chooser; }};
        QueryWaits = {3000, 300};
        disc.loaded = 1;
        server.add_disc("reggae", "d50dd30f", kSkaIsland, recorded("pear_Net_CDDB_d50dd30f.xmcd"));
    }
    ~Query() override {
        DeleteFileA("brd.bdb");
        DestroyWindow(window);
    }
    // The status codes posted so far, each about the record's disc.
    std::vector<int> codes() {
        MSG msg;
        while (PeekMessageA(&msg, window, WM_BRD_REQUEST, WM_BRD_REQUEST, PM_REMOVE))
            if (msg.wParam == BRD_QUERY_NOTIFY && notification_disc(msg.lParam) == disc.serial)
                posted.push_back(notification_code(msg.lParam));
        return posted;
    }
    QueryJob job(std::optional<ServerEntry> at) { return {record, locks, DuplicateOf(query_lock.get()), at}; }
    // Runs one submission of the disc 0a0b0c02 on this thread and tells the codes it posted.
    std::vector<int> submit(SubmitJob submission) {
        posted.clear();
        if (!db_contains("rock/0a0b0c02"))
            db_add(std::string("rock/0a0b0c02"), std::string("200 rock 0a0b0c02\nDTITLE=Band / Song\nTTITLE0=Song\n.\n"));
        RunSubmitJob({std::move(submission), window, disc.serial, DuplicateOf(query_lock.get())});
        return codes();
    }
    // Runs one query on this thread and tells the codes it posted.
    std::vector<int> query(std::optional<ServerEntry> at) {
        posted.clear();
        disc.loaded = 1;
        RunQueryJob(job(at));
        return codes();
    }
};

// On a thread of its own, the exact match is read and stored; a second query meanwhile ends without a word.
TEST_F(Query, AQueryOutlivesThePlayerThatStartedIt) {
    server.reply("cddb read", {pause_ms(300), say(kHead + recorded("pear_Net_CDDB_d50dd30f.xmcd") + ".\r\n")});
    ASSERT_TRUE(StartQuery(job(cddbp(server))));
    wait_for([&] { return server.received().size() >= 3; });
    RunQueryJob({std::make_shared<DiscRecord>(window), locks, DuplicateOf(query_lock.get()), cddbp(server)});  // silent
    // The player exits: it lets go of the record, the title display's locks and the query lock.
    const std::weak_ptr<DiscRecord> left = record;
    record.reset();
    locks.reset();
    query_lock.reset();
    wait_for([&] { return left.expired(); });
    EXPECT_TRUE(left.expired());  // the thread let go of it last
    EXPECT_EQ(codes(), (std::vector<int>{701, 702, 999}));
    char user[128] = {};
    DWORD length = sizeof user;
    GetUserNameA(user, &length);
    EXPECT_EQ(server.received(), (std::vector<std::string>{"cddb hello " + std::string(user) + ' ' +
                                                               local_host_name().value_or("") + " BrindleCD 1.0",
                                                           kSkaIslandQuery, "cddb read reggae d50dd30f"}));
    EXPECT_EQ(server.cddbp_connections(), 1);
    EXPECT_NE(db_read("reggae/d50dd30f").value_or("").find("TTITLE5=Honky tonk Parts 1 & 2"), std::string::npos);
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(Query, OverHttpEachRequestHasAConnectionAndTheChosenInexactMatchIsRead) {
    std::string list = recorded("211_query_inexact_d50dd30f.txt");
    list.insert(list.find('\n') + 1, "ro/ck d50dd30f A row the chooser leaves out\r\n");
    server.reply("cddb query", {say(list)});
    server.add_disc("misc", "d50dd30f", kSkaIsland, recorded("pear_Net_CDDB_d50dd30f.xmcd"));
    answers.chooser = 1;
    EXPECT_EQ(query(ServerEntry{"127.0.0.1", server.http_port(), 0, {}, "HTTP", "/~cddb/cddb.cgi"}),
              (std::vector<int>{701, 702, 999}));
    EXPECT_EQ(answers.chooser_replies, std::vector<std::string>{list});
    const std::vector<std::string> heard = server.received();
    ASSERT_EQ(heard.size(), 6u);
    for (size_t i = 0; i < heard.size(); i += 3)
        EXPECT_TRUE(heard[i].starts_with("GET /~cddb/cddb.cgi?cmd=cddb+") && heard[i].ends_with("&proto=1 HTTP/1.0") &&
                    heard[i + 1] == "Host: 127.0.0.1:" + std::to_string(server.http_port()) &&
                    heard[i + 2] == "User-Agent: BRD/" BRD_VERSION) << heard[i];
    EXPECT_EQ(server.http_connections(), 2);
    EXPECT_TRUE(db_contains("misc/d50dd30f"));
}

// A host that never answers the connection is given up after the first wait, not the exchange's. A submission
// checks the settings, the entry and its category before the network; a failure's box says why.
TEST_F(Query, NoServerUnreachableOrSilentServersGive667) {
    QueryWaits = {500, 300};
    server.banner({});
    const int closed_port = CddbTestServer().cddbp_port();
    CddbTestServer other;
    const SilentPort silent;
    const auto started = std::chrono::steady_clock::now();
    const std::pair<std::optional<ServerEntry>, std::vector<int>> cases[] = {
        {std::nullopt, {667}},  // the user is told
        {cddbp(server), {701, 667}},
        {ServerEntry{"127.0.0.1", closed_port, 1, {}, "CDDBP", "-"}, {701, 667}},
        {ServerEntry{"127.0.0.1", silent.port(), 1, {}, "CDDBP", "-"}, {701, 667}},
        {ServerEntry{"127.0.0.1", other.cddbp_port() + 65536, 1, {}, "CDDBP", "-"}, {701, 667}},  // never port & 0xffff
        {ServerEntry{"no-such-host.invalid", 888, 1, {}, "CDDBP", "-"}, {667}}};
    for (const auto& [at, expected] : cases) EXPECT_EQ(query(at), expected) << (at ? at->host_name : "none");
    const std::string silent_mail = "127.0.0.1:" + std::to_string(silent.port()), me = "me@example.org";
    const std::vector<int> checked, went = {701, 667};
    const std::pair<SubmitJob, std::vector<int>> jobs[] = {
        {{silent_mail, {}, "rock", "0a0b0c02"}, checked}, {{silent_mail, me, "rock", "0a0b0c99"}, checked},
        {{silent_mail, me, "pop", "0a0b0c02"}, checked}, {{silent_mail, me, "Rock", "0a0b0c02"}, went},
        {{{}, me, "rock", "0a0b0c02", "127.0.0.1", closed_port}, went}};
    for (const auto& [job, codes] : jobs) EXPECT_EQ(submit(job), codes);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(QueryWaits.exchange_ms / 2));
    EXPECT_TRUE(server.received().empty());  // no hello without a banner
    EXPECT_EQ(other.cddbp_connections(), 0);
    const std::string failed = "The entry for rock 0a0b0c02 was not submitted.\n\n";
    EXPECT_EQ(answers.messages, (std::vector<std::string>{
                                    "No CDDB servers have been defined.\n\nPlease set a server, or disable CDDB\n"
                                    "connectivity in the preferences.",
                                    kSubmitSettingsMessage, kSubmitNoEntryMessage, kSubmitCategoryMessage,
                                    failed + "The mail server " + silent_mail + " could not be reached.",
                                    failed + "The CDDB service's server 127.0.0.1 could not be reached."}));
}

TEST_F(Query, WithoutAMatchOrAWholeEntryTheQueryStoresNothing) {
    // A read reply only where the read must be sent.
    const struct { Script query, read; int chooser, code; } cases[] = {
        {{say("202 No match for disc ID d50dd30f.\r\n")}, {}, 0, 901},
        {{say(recorded("211_query_inexact_d50dd30f.txt"))}, {}, -1, 901},  // "None"
        {{say(kExact)}, {say("401 reggae d50dd30f No such CD entry in database.\r\n")}, 0, 901},
        {{say(kExact)}, {say(kHead + "# xmcd\r\n.\r\n")}, 0, 901},
        {{say(kExact)}, {say(kHead + "DTITLE=Various / Ska Island\r\nTTITLE1=Two"), hang_up()}, 0, 667},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        CddbTestServer peer;
        peer.reply("cddb query", c.query);
        peer.reply("cddb read", c.read);
        answers.chooser = c.chooser;
        EXPECT_EQ(query(cddbp(peer)), (std::vector<int>{701, 702, c.code}));
        EXPECT_EQ(peer.received().size(), c.read.empty() ? 2u : 3u);
    }
    EXPECT_FALSE(db_contains("reggae/d50dd30f") || db_contains("misc/d50dd30f") || disc.disc_title);
}

// Each reply within its own time, the whole too late; a greeting trickled past its time is none at all; the answer
// to a whole message has a wait of its own.
TEST_F(Query, SlowServersEndAQueryOrASubmissionInTheirTime) {
    QueryWaits = {2500, 1000, 2000, 3750, 6000};  // the replies come at 1.5 s, 3 s, 4.5 s...
    const Step late = pause_ms(1500);
    server.banner({late, say(recorded("201_banner.txt"))});
    server.reply("cddb hello", {late, say("200 Hello and welcome\r\n")});
    server.reply("cddb query", {late, say(kExact)});
    EXPECT_EQ(query(cddbp(server)), (std::vector<int>{701, 702, 667}));
    CddbTestServer trickle;
    Script drops = {say("201 ")};
    for (const char* drop : {"a", "b", "c", "d", "\r\n"}) drops.insert(drops.end(), {pause_ms(500), say(drop)});
    trickle.banner(drops);
    EXPECT_EQ(query(cddbp(trickle)), (std::vector<int>{701, 667}));
    EXPECT_TRUE(trickle.received().empty());  // no hello
    CddbTestServer slow, patient;
    const auto mail = [](CddbTestServer& at, const Step& pace, const Script& end) {
        at.reply("", {});  // the message's lines get no answer
        at.banner({pace, say("220 mail ready\r\n")});
        for (const char* step : {"EHLO", "MAIL", "RCPT"}) at.reply(step, {pace, say("250 OK\r\n")});
        at.reply("DATA", {say("354 Go ahead\r\n")});
        at.reply(".", end);
        return SubmitJob{"127.0.0.1:" + std::to_string(at.cddbp_port()), "me@example.org", "rock", "0a0b0c02"};
    };
    EXPECT_EQ(submit(mail(slow, late, {say("250 Accepted\r\n")})), (std::vector<int>{701, 501, 555}));
    EXPECT_EQ(slow.received().size(), 2u);  // EHLO and MAIL FROM, no recipient
    EXPECT_EQ(answers.messages, std::vector<std::string>{"The entry for rock 0a0b0c02 was not submitted.\n\n"
                                                         "The mail server 127.0.0.1:" + std::to_string(slow.cddbp_port()) +
                                                         " did not answer \"MAIL FROM:<me@example.org>\"."});
    EXPECT_EQ(submit(mail(patient, pause_ms(0), {pause_ms(4000), say("250 Accepted\r\n")})),
              (std::vector<int>{701, 501, 599}));
}

TEST_F(Query, AnExistingEntryIsReplacedOnlyWhenTheUserSaysYes) {
    ASSERT_EQ(db_add(std::string("misc/d50dd30f"), std::string("200 misc d50dd30f\nDTITLE=Old / Entry\n")), 1);
    for (const int answer : {IDNO, IDYES}) {
        answers.message_box = answer;
        EXPECT_EQ(query(cddbp(server)).back(), 999);
        EXPECT_EQ(db_contains("misc/d50dd30f"), answer == IDNO);
        EXPECT_EQ(db_contains("reggae/d50dd30f"), answer == IDYES);
        EXPECT_EQ(disc.disc_title, answer == IDYES ? Text(kSkaIsland) : std::nullopt);
    }

    // An entry stored (by brd-db, say) after the query found none is not replaced unasked. The
    // line locks hold the query between its look-up and its store.
    DeleteFileA("brd.bdb");
    answers.message_box = IDNO;
    std::optional<BothLinesHeld> held(std::in_place, *locks);
    std::thread running([&] { RunQueryJob(job(cddbp(server))); });
    wait_for([&] { return server.received().size() >= 3; });
    Sleep(300);  // the reply's last line, then the look-up
    ASSERT_EQ(db_add(std::string("misc/d50dd30f"), std::string("200 misc d50dd30f\nDTITLE=Old / Entry\n")), 1);
    held.reset();
    running.join();
    EXPECT_TRUE(db_contains("misc/d50dd30f") && !db_contains("reggae/d50dd30f"));
    EXPECT_EQ(answers.messages, std::vector<std::string>(3, "The CD being queried already exists in the database.\n"
                                                            "Replace database entry with this new information?"));
}

TEST_F(Query, ASubmissionWhileAQueryRunsIsRefusedAloud) {
    const SemaphoreSlot query_runs{query_lock.get(), 0};
    EXPECT_EQ(submit({"127.0.0.1:" + std::to_string(CddbTestServer().cddbp_port()), "me@example.org", "rock", "0a0b0c02"}),
              std::vector<int>{});
    EXPECT_EQ(answers.messages, std::vector<std::string>{kQueryInProgressText});
}

std::string Cell(HWND list, int row, int column) {
    char text[256] = {};
    ListView_GetItemText(list, row, column, text, 256);
    return text;
}
void Select(HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
void Click(HWND dialog, int button) { SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0); }

// Shows the chooser on this thread while a second thread acts as the user.
int Choose(std::string reply, const std::function<void(HWND dialog, HWND list)>& user) {
    std::thread person([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 400 && !(dialog && IsWindowVisible(dialog)); ++i, Sleep(25))
            dialog = FindWindowA(nullptr, "BRD Inexact Match");
        ASSERT_TRUE(dialog);
        user(dialog, GetDlgItem(dialog, IDC_MATCH_LIST));
    });
    const int chosen = ChooseInexactMatch(nullptr, reply);
    person.join();
    return chosen;
}

TEST(InexactMatchChooser, ListsTheMatchesInReplyOrderAndReturnsTheChosenRow) {
    const std::string list = recorded("211_query_inexact_d50dd30f.txt");
    const std::pair<std::function<void(HWND, HWND)>, int> users[] = {
        {[](HWND dialog, HWND list) {
             ASSERT_EQ(ListView_GetItemCount(list), 2);
             EXPECT_EQ(Cell(list, 0, 1), "reggae");
             EXPECT_EQ(Cell(list, 1, 0) + '|' + Cell(list, 1, 1) + '|' + Cell(list, 1, 2),
                       "Various / Ska Island|misc|d50dd30f");
             Select(list, 1);
             Click(dialog, IDOK);
         },
         1},
        {[](HWND dialog, HWND) { Click(dialog, IDOK); }, 0},  // OK without a selection takes the first
        {[](HWND dialog, HWND list) { Select(list, 1), Click(dialog, IDCANCEL); }, -1},  // "None"
        {[](HWND dialog, HWND) { SendMessageA(dialog, WM_CLOSE, 0, 0); }, -1},
        {[](HWND, HWND list) {
             RECT row{LVIR_LABEL, 0, 0, 0};
             SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
             const LPARAM at = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
             Select(list, 1);
             PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
             PostMessageA(list, WM_LBUTTONUP, 0, at);
         },
         1}};
    for (const auto& [user, expected] : users) EXPECT_EQ(Choose(list, user), expected);
    // A list without match lines offers no row; OK still answers 0, which the query finds to be no match.
    EXPECT_EQ(Choose("211 Found inexact matches\r\n.\r\n", [](HWND dialog, HWND) { Click(dialog, IDOK); }), 0);
}

}  // namespace
