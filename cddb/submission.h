#pragma once
// Submitting a disc's entry to the CDDB service: the checks made before
// anything is sent, the text that is sent, and the way it goes: by e-mail
// through the user's outgoing mail server when there is one
// (smtp_session.h), else over HTTP to the service's submit program
// (http_submission.h). Portable; the thread that runs it, its message boxes
// and the query lock are the Win32 layer's (submit_thread.h).
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "base/text.h"
#include "cddb/deployment.h"
#include "cddb/notification_codes.h"
#include "cddb/reply_reader.h"
#include "discinfo/database.h"

inline constexpr char kSubmitSettingsMessage[] =
    "You need to enter the correct information in the\n'CDDB Submit' section of the CDDB Server settings.";
inline constexpr char kSubmitNoEntryMessage[] =
    "You have not entered in any information for this CD.\nPlease enter disc name and all track titles before "
    "submitting.";
inline constexpr char kSubmitCategoryMessage[] =
    "In order to submit a CD to the CD database, it must have\none of the following official CDDB categories:\n\n"
    "blues, classical, country, data, folk, jazz, misc, newage,\nreggae, rock, or soundtrack.\n\n"
    "Please change the category and re-submit.";

// Everything one submission works with, its own copies.
struct SubmitJob {
    Text mail_server;  // "host", or "host:port" for a port other than 25; absent: over HTTP
    Text user_email;
    Text category;
    Text disc_id_text;
    std::string web_host{};  // without a mail server: the web server that runs the submit program
    int web_port = kSubmitWebPort;
    std::string mailbox = kSubmitMailbox;
    std::string submit_mode = "submit";  // "test": the submit program checks the entry and adds nothing
    std::filesystem::path database = kDefaultDatabase;
};

// The disc's stored entry, by its disc id; absent without one.
Text stored_entry(const SubmitJob& job);

enum class SubmitCheck { Ready, NoSettings, NoEntry, BadCategory };
// The checks in the order the user hears of them: the settings (an e-mail
// address, and a mail server only if one is set), then an entry worth
// submitting (stored, with a disc title and a track title of its own), then
// its category.
SubmitCheck check_submission(const SubmitJob& job, const Text& entry);

// One of the eleven categories the service takes, in any case.
bool is_submit_category(std::string_view category);
// Whether the entry says more than the player made up: a disc title other
// than "Unknown CD" and a track title other than "Track n".
bool has_own_titles(std::string_view entry);
// The text the service gets: the stored entry with its play order emptied,
// without its status line and its "." end line, in CR LF lines.
std::string submission_entry(std::string stored);

// How a submission ended; the reason says why it failed, for the user.
struct SubmitOutcome {
    int code = SubmitFailed;  // 599, 555, 666 or 667
    std::string reason;
};
// A server's reply as the user reads it: its lines without their ends, no
// control characters, cut at 600 bytes.
std::string server_words(std::string_view reply);
// The message box's text for a failed submission.
std::string submit_failure_text(const SubmitJob& job, const SubmitOutcome& outcome);

// The whole exchange on the calling thread, by the way the settings say, for
// a job that passed its checks: each step reached is told to `progress`
// (701, 501); the dialogue keeps to waits.exchange_ms, the service's answer
// to the submission has waits.final_ms of its own.
SubmitOutcome RunSubmission(const SubmitJob& job, std::string_view stored,
                            const std::function<void(int)>& progress, ReplyWaits waits);
