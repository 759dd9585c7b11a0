// Submissions against the strict loopback servers of tests/support/submit_servers.py (two aiosmtpd mail servers and
// the CDDB service's submit program): each must take the entry, and what it heard must be the entry exactly.
#include "cddb/submission.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "brd_version.h"
#include "cddb/mail_message.h"
#include "cddb/recorded_session.h"

namespace {

// A real entry with ISO-8859-1 letters and a line longer than quoted-printable's, as the file has it.
const char kEntryFile[] = "poisdeux_dummymediafiles_00092314-latin1.xmcd";

std::string lf_lines(std::string text) {
    std::erase(text, '\r');
    return text;
}

class Submission : public ::testing::Test {
protected:
    const std::string log = testing::TempDir() + "submission" + std::to_string(getpid()) + ".log";
    FILE* servers = popen(("exec /usr/bin/python3 " BRD_SUBMIT_SERVERS " " + log + " 2>/dev/null").c_str(), "r");
    int mail = 0, old_mail = 0, web = 0;
    size_t seen = 0;
    const std::string entry = lf_lines(recorded(kEntryFile));
    SubmitJob job{{}, "me@example.org", "classical", "00092314"};
    std::vector<int> progress;

    void SetUp() override {
        ASSERT_EQ(std::fscanf(servers, "%d %d %d", &mail, &old_mail, &web), 3) << "the servers did not start";
        job.database = log + ".bdb";
        std::string stored = "200 classical 00092314\n" + entry + ".\n";
        stored.replace(stored.find("PLAYORDER=\n"), 11, "PLAYORDER=3,1\n");  // sent empty
        ASSERT_EQ(db_add(std::string("classical/00092314"), stored, job.database), 1);
    }
    void TearDown() override {
        pclose(servers);
        for (const std::string& file : {log, job.database.string(), job.database.string() + ".lock"}) std::remove(file.c_str());
    }
    SubmitOutcome submit(Text mail_server) {
        job.mail_server = std::move(mail_server), job.web_host = "127.0.0.1", job.web_port = web, progress.clear();
        return RunSubmission(job, *stored_entry(job), [&](int code) { progress.push_back(code); }, {3000, 300});
    }
    // What the servers heard since the last call, once it ends with `last` (a QUIT may come after the outcome).
    std::string heard(const std::string& last) {
        std::string text;
        for (int i = 0; i < 300 && !text.ends_with(last); ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
            std::ifstream file(log, std::ios::binary);
            text = std::string{std::istreambuf_iterator<char>(file), {}}.substr(seen);
        }
        seen += text.size();
        return text;
    }
    static std::string at(int port) { return "127.0.0.1:" + std::to_string(port); }
};

std::string mail_head(const SubmitJob& job, const char* charset, const char* encoding) {
    return "Date: (valid)\nFrom: me@example.org\nTo: " + job.mailbox + "\nSubject: cddb " + *job.category + ' ' +
           *job.disc_id_text + "\nMessage-ID: (valid)\nMIME-Version: 1.0\nContent-Type: text/plain; charset=" +
           charset + "\nContent-Transfer-Encoding: " + encoding + "\nX-Cddbd-Note: Sent by BRD\n\n";
}

// A greeting a strict server takes (it refuses the recipient after "EHLO vm"), 8-bit text only where 8BITMIME is
// offered, HELO where EHLO is not known.
TEST_F(Submission, ByMailTheServerGetsHeadersABlankLineAndTheEntryInAnEncodingItTakes) {
    const std::string rcpt = "RCPT TO:<gnudb-submit@gnudb.org>\nDATA\n";
    EXPECT_EQ(submit(at(mail)).code, 599);
    EXPECT_EQ(progress, (std::vector<int>{701, 501}));
    EXPECT_EQ(heard("QUIT\n"), "EHLO (qualified)\nMAIL FROM:<me@example.org> BODY=8BITMIME\n" + rcpt +
                                   mail_head(job, "ISO-8859-1", "8bit") + entry + "<END>\nQUIT\n");
    EXPECT_EQ(submit(at(old_mail)).code, 599);
    EXPECT_EQ(heard("QUIT\n"), "EHLO (qualified)\nHELO (qualified)\nMAIL FROM:<me@example.org>\n" + rcpt +
                                   mail_head(job, "ISO-8859-1", "quoted-printable") + entry + "<END>\nQUIT\n");

    // 7-bit text as it is, to a recipient the server forwards (251); lines that begin with "." whole, the dot
    // doubled on the way (the server takes one off each).
    std::string ascii = lf_lines(recorded("pear_Net_CDDB_d50dd30f.xmcd"));
    ascii.insert(ascii.find("EXTD="), ".\n.EXTD=\n");
    db_add(std::string("reggae/d50dd30f"), "200 reggae d50dd30f\n" + ascii, job.database);
    job.category = "reggae", job.disc_id_text = "d50dd30f", job.mailbox = "forward@mail.test";
    EXPECT_EQ(submit(at(mail)).code, 599);
    EXPECT_EQ(heard("QUIT\n"), "EHLO (qualified)\nMAIL FROM:<me@example.org>\nRCPT TO:<forward@mail.test>\nDATA\n" +
                                   mail_head(job, "US-ASCII", "7bit") + ascii + "<END>\nQUIT\n");

    // A refusal ends the dialogue, and its reason is the server's reply.
    job.mailbox = "refused@mail.test";
    const SubmitOutcome refused = submit(at(mail));
    EXPECT_EQ(refused.code, 555);
    EXPECT_EQ(refused.reason, "The mail server 127.0.0.1:" + std::to_string(mail) +
                                  " refused \"RCPT TO:<refused@mail.test>\":\n550 5.1.1 No such user");
    EXPECT_TRUE(heard("\n").ends_with("\nRCPT TO:<refused@mail.test>\n")) << "nothing more is sent";
    EXPECT_EQ(submit(at(1)).code, 667);
    EXPECT_EQ(progress, std::vector<int>{701});
}

TEST_F(Submission, WithoutAMailServerTheEntryIsPostedToTheSubmitProgram) {
    job.submit_mode = "test";
    EXPECT_EQ(submit(std::nullopt).code, 599);
    EXPECT_EQ(progress, (std::vector<int>{701, 501}));
    const std::string sent = recorded(kEntryFile);
    EXPECT_EQ(heard("<END>\n"), "POST /~cddb/submit.cgi HTTP/1.0\nHost: " + at(web) + "\nUser-Agent: BRD/" BRD_VERSION
                                "\nCategory: classical\nDiscid: 00092314\nUser-Email: me@example.org\n"
                                "Submit-Mode: test\nCharset: ISO-8859-1\nX-Cddbd-Note: Sent by BRD\nContent-Length: " +
                                    std::to_string(sent.size()) + "\n\n" + entry + "<END>\n");
    job.submit_mode = "now";
    const SubmitOutcome refused = submit(std::nullopt);
    EXPECT_EQ(refused.code, 555);
    EXPECT_EQ(refused.reason, "The CDDB service refused the entry:\n501 Invalid header information [submit-mode].");
}

TEST(SubmissionChecks, AnEntryGoesOutOnlyWithAnAddressItsOwnTitlesAndAServiceCategory) {
    const std::string own = "200 rock 0a0b0c02\nDTITLE=Band / Song\nTTITLE0=Track 1\nTTITLE1=Song\n.\n";
    const auto entry = [&](std::string_view from, std::string_view to) {
        std::string text = own;
        return text.replace(text.find(from), from.size(), to);
    };
    const SubmitJob by_mail{"mail.example.org", "me@example.org", "Rock", "0a0b0c02"};
    SubmitJob no_address = by_mail, odd_server = by_mail, by_web = by_mail, pop = by_mail, none = by_mail;
    no_address.user_email.reset(), odd_server.mail_server = "mail\r\nRCPT TO:<x>", by_web.mail_server.reset();
    pop.category = "pop", none.category.reset();
    const std::tuple<SubmitJob, Text, SubmitCheck> cases[] = {
        {by_mail, own, SubmitCheck::Ready}, {by_web, own, SubmitCheck::Ready},
        {no_address, own, SubmitCheck::NoSettings}, {odd_server, own, SubmitCheck::NoSettings},
        {none, own, SubmitCheck::NoEntry}, {by_mail, std::nullopt, SubmitCheck::NoEntry},
        {by_mail, entry("Band / Song", "Unknown CD"), SubmitCheck::NoEntry},
        {by_mail, entry("Band / Song", " / "), SubmitCheck::NoEntry},
        {by_mail, entry("=Song", "=Track 2"), SubmitCheck::NoEntry}, {by_mail, entry("=Song", "="), SubmitCheck::NoEntry},
        {pop, own, SubmitCheck::BadCategory}};
    for (const auto& [job, text, check] : cases)
        EXPECT_EQ(check_submission(job, text), check) << text.value_or("(none)") << job.category.value_or("");
    // Greeted by name only where a server can look it up.
    const Ipv4 local = *resolve_host("192.0.2.7");
    for (const auto& [name, hello] : {std::pair{"vm.example.org", "vm.example.org"}, {"vm", "[192.0.2.7]"},
                                      {"vm.", "[192.0.2.7]"}, {"10.0.0.1", "[192.0.2.7]"}, {"-a.b", "[192.0.2.7]"}})
        EXPECT_EQ(hello_name(std::string(name), local), hello);
}

}  // namespace
