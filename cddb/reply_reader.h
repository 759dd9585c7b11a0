#pragma once
// The reader of every network reply: waits for data, collects it in fixed
// chunks and decides from a terminator or the status code when it is whole.
#include <cstddef>
#include <string>
#include <string_view>

#include "base/text.h"
#include "cddb/net_socket.h"

enum ReadMode : int {
    ReadMultiLine = 1,   // complete when the reply ends with a line holding only "."
    ReadSingleLine = 2,  // complete when the reply's first "\n" is its last byte
    ReadByStatus = 3,    // the reply's status code picks one of the two
    ReadSmtp = 4,        // complete at the line whose fourth byte is not "-" (a mail server's reply)
};

// The first wait of a call, every later one, and the whole reply: a peer that
// trickles a byte now and then is cut off after total_ms. A conversation of
// several replies ends after exchange_ms whatever each reply takes (its
// Exchange). The answer to a whole submission (the mail server's reply after
// the message, the submit program's after the entry) comes when the server
// has checked it: it has final_ms of its own, beyond the exchange. Tests
// shorten them.
struct ReplyWaits {
    int first_ms = 10000;     // also the longest a connect waits
    int later_ms = 3000;
    int total_ms = 30000;     // ample for a whole reply at the cap over any link
    int exchange_ms = 60000;  // ample for a query's or a submission's replies at any pace a server keeps
    int final_ms = 120000;
};

inline constexpr int kReceiveChunk = 1024;  // each receive takes at most 1023 bytes
// A peer that never stops talking is cut off here rather than exhausting
// memory. Every byte received counts, zero bytes and HTTP headers too.
inline constexpr std::size_t kReplyCap = 1024 * 1024;
// A mail server's reply is a few lines; one longer than this is no reply.
inline constexpr std::size_t kSmtpReplyCap = 64 * 1024;
inline constexpr std::size_t kSmtpReplyLines = 100;

enum class ReplyEnd {
    Silent,      // nothing readable within the first wait: no reply
    Terminator,  // the mode's end rule matched the reply so far
    Quiet,       // a later wait passed without data (or failed)
    Closed,      // the peer closed the connection or the receive failed (no text
                 // when nothing at all had arrived)
    Capped,      // the reply reached kReplyCap (ReadSmtp: kSmtpReplyCap or kSmtpReplyLines)
    Overdue,     // the reply took longer than total_ms
};

// Bare CDDB text, or an HTTP response: its status line and headers are
// skipped and the rules apply to its body; a response that is not "2xx" or
// whose headers never end carries no reply. A response that does not start
// with "H" is bare text (a server that answers without headers).
enum class ReplyFraming { Bare, Http };

// The reply's bytes as received (zero bytes included), and how it ended.
struct ReadResult {
    Text text;
    ReplyEnd end = ReplyEnd::Silent;
    std::string http_status;  // an HTTP response's status line, also of one that carries no reply
    // An answer that came in time: a banner or hello cut off by a deadline or
    // the cap is a failed connection, not a greeting.
    bool answered() const { return text && end != ReplyEnd::Overdue && end != ReplyEnd::Capped; }
};

// Reads one reply and tells how it ended; within the exchange's time, if given.
ReadResult ReadReply(SocketHandle socket, int mode, ReplyWaits waits = {}, ReplyFraming framing = ReplyFraming::Bare,
                     const Exchange* exchange = nullptr);

// The number formed by a reply's first three characters; 0 when they are not digits.
int reply_status(std::string_view reply);
