// The submission against a real mail server on loopback: Debian's aiosmtpd (tests/support/smtp_server.py), whose
// EHLO reply has several lines in one receive: read after the quiet wait, its first code decides.
#include "cddb/submission.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <thread>

TEST(Submission, TheDialogueSendsTheEntryWithoutPlayOrderOrStatusLineAndStopsAtARefusal) {
    const std::string run = testing::TempDir() + "submission" + std::to_string(getpid()), log = run + ".log";
    FILE* server = popen(("exec /usr/bin/python3 " BRD_SMTP_SERVER " " + log + " 2>/dev/null").c_str(), "r");
    int port = 0;
    ASSERT_EQ(std::fscanf(server, "%d", &port), 1) << "aiosmtpd did not start";
    SubmitJob job{"127.0.0.1:" + std::to_string(port), "me@example.org", "Rock", "0a0b0c02", kSubmitMailbox,
                  run + ".bdb"};
    // Lines that begin with "." reach the server whole, the dot doubled: it takes one off each.
    db_add(std::string("rock/0a0b0c02"),
           std::string("200 rock 0a0b0c02\r\n# xmcd\r\nDISCID=0a0b0c02\r\nDTITLE=Band / Song\r\nTTITLE0=Song\r\n"
                       "EXTD=\r\n.\r\n.EXTT0=\r\nPLAYORDER=1,-1\r\n.\r\n"),
           job.database);
    std::vector<int> progress;
    const auto submit = [&] { return RunSmtpSession(job, [&](int code) { progress.push_back(code); }, {3000, 300}); };
    std::string heard;  // what the server heard from this session (its QUIT may come after the result)
    const auto hear = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::ifstream file(log);
        const std::string before = std::exchange(heard, std::string{std::istreambuf_iterator<char>(file), {}});
        return heard.substr(before.size());
    };
    EXPECT_EQ(submit(), 599);
    EXPECT_EQ(progress, (std::vector<int>{701, 501}));
    EXPECT_EQ(hear(), "EHLO " + local_host_name().value_or("") +
                          "\nMAIL me@example.org\nRCPT gnudb-submit@gnudb.org\nDATA\nFrom: me@example.org\n"
                          "To: gnudb-submit@gnudb.org\nSubject: cddb rock 0a0b0c02\n# xmcd\nDISCID=0a0b0c02\n"
                          "DTITLE=Band / Song\nTTITLE0=Song\nEXTD=\n.\n.EXTT0=\nPLAYORDER=\n<END>\nQUIT\n");

    job.mailbox = "refused@mail.test";
    EXPECT_EQ(submit(), 555);
    EXPECT_TRUE(hear().ends_with("\nRCPT refused@mail.test\n")) << "nothing more is sent";
    job.mail_server = "127.0.0.1:1", progress.clear();
    EXPECT_EQ(submit(), 667);
    EXPECT_EQ(progress, std::vector<int>{701});
    pclose(server);
    std::remove(log.c_str()), std::remove(job.database.string().c_str());
}
