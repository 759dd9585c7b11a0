#pragma once
// The submission over HTTP, the way the CDDB service takes it without a mail
// server: the entry POSTed to its submit program, whose answer is one CDDB
// status line ("200 OK, submission has been sent.", "500 Missing required
// header information.", "501 Invalid header information [...].").
#include <functional>
#include <string>
#include <string_view>

#include "cddb/submission.h"

// "POST /~cddb/submit.cgi HTTP/1.0" with Host, User-Agent, the headers the
// program reads (Category, Discid, User-Email, Submit-Mode, Charset,
// X-Cddbd-Note), Content-Length, the blank line and the entry.
std::string submit_request(const SubmitJob& job, std::string_view entry);

// Connects to the job's web server, posts the entry and reads the answer;
// the reason of a failure is the program's status line or the web server's.
SubmitOutcome RunHttpSubmission(const SubmitJob& job, std::string_view entry,
                                const std::function<void(int)>& progress, ReplyWaits waits);
