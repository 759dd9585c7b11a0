#pragma once
// The e-mail that carries a submission, as mail servers and the CDDB
// service's submission processor take it: a header block (with Date,
// Message-ID and the MIME fields that name the entry's charset and how its
// bytes travel), a blank line, then the entry; and the name the client
// greets a mail server with. Portable and pure; the dialogue is
// smtp_session.h's.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"
#include "cddb/net_socket.h"

// The name for EHLO: the computer's fully qualified domain name when it has
// one, else the address literal of this end of the connection ("[192.0.2.7]"):
// servers that insist on a qualified name refuse a bare one ("vm").
std::string hello_name(const Text& domain_name, Ipv4 local);
// Letters, digits and hyphens in two or more labels of 1 to 63, the last not
// all digits: a name a mail server can look up.
bool is_domain_name(std::string_view name);

// How the entry's bytes travel: as they are when they are all 7-bit or the
// server takes 8-bit (8BITMIME); quoted-printable otherwise, and whenever a
// line is longer than a mail line may be (998 bytes).
enum class BodyEncoding { SevenBit, EightBit, QuotedPrintable };
BodyEncoding body_encoding(std::string_view entry, bool server_takes_8bit);
// "US-ASCII" for a text of 7-bit bytes, else "ISO-8859-1".
const char* body_charset(std::string_view entry);
// RFC 2045's quoted-printable of a text of CR LF lines: lines of at most 76
// characters, "=" and the bytes outside 33 to 126 as "=XX", a blank at a
// line's end too.
std::string quoted_printable(std::string_view text);

// "Sun, 06 Dec 2026 13:25:48 +0000"
std::string mail_date(std::chrono::system_clock::time_point when);
// "<20261206132548.0123456789abcdef@domain>": unique by the time and the
// random number, qualified by the name the client greeted with.
std::string message_id(std::chrono::system_clock::time_point when, uint64_t random, std::string_view domain);

// What the message and the HTTP submission tell the service about the sender.
inline constexpr char kSubmitNote[] = "Sent by BRD";

struct MailParts {
    std::string from, to, subject, date, message_id;
    std::string_view entry;  // CR LF lines
    BodyEncoding encoding = BodyEncoding::SevenBit;
};
// The header block, a blank line and the entry in its encoding.
std::string mail_message(const MailParts& parts);
// The message as DATA sends it: each line that starts with "." gets another,
// and the line "." ends it.
std::string smtp_data(std::string_view message);
