#pragma once
// The submission by e-mail: the SMTP dialogue with the user's outgoing mail
// server, from the connection to QUIT.
#include <functional>
#include <string_view>

#include "cddb/submission.h"

// Greets with EHLO (HELO when the server refuses it), sends 8-bit text as it
// is only where the server offers 8BITMIME, takes 251 as well as 250 for the
// recipient, and reads every reply to its last line. The reason of a failure
// is the command and the server's reply to it.
SubmitOutcome RunSmtpSession(const SubmitJob& job, std::string_view entry, const std::function<void(int)>& progress,
                             ReplyWaits waits);
