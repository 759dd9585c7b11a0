#pragma once
// Submitting a disc's entry to the CDDB service by e-mail: the checks made
// before anything is sent, the message, and the SMTP dialogue with the
// user's outgoing mail server. Portable; the thread that runs it, its message
// boxes and the query lock are the Win32 layer's (submit_thread.h).
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
    Text mail_server;  // "host", or "host:port" for a port other than 25
    Text user_email;
    Text category;
    Text disc_id_text;
    std::string mailbox = kSubmitMailbox;
    std::filesystem::path database = kDefaultDatabase;
};

enum class SubmitCheck { Ready, NoSettings, NoEntry, BadCategory };
// The checks in the order the user hears of them; the settings come first.
SubmitCheck check_submission(const SubmitJob& job);

// One of the eleven categories the service takes, in any case.
bool is_submit_category(std::string_view category);

// The header block: From, To and "Subject: cddb <category> <disc id>".
std::string submission_header(const SubmitJob& job);
// The stored entry as the message body: its play order emptied, its status
// line left out, CR LF lines, ended by the line ".".
std::string submission_body(std::string entry);

// Reads one SMTP reply, also one spread over several lines ("250-...") and
// receives: the reply reader stops at a receive that ends a line, so this
// reads on until the last line is the reply's final one. A reply cut off by
// the exchange's deadline is none.
Text ReadSmtpReply(SocketHandle socket, ReplyWaits waits, const Exchange& exchange);

// The dialogue from the connection to QUIT, on the calling thread, within
// waits.exchange_ms; each step reached is told to `progress` (701, 501), the
// result is the outcome code (599, 555, 666 or 667).
int RunSmtpSession(const SubmitJob& job, const std::function<void(int)>& progress, ReplyWaits waits);
