#pragma once
// The reader of every network reply: waits for data, collects it in fixed
// chunks and decides from a terminator or the status code when it is whole.
#include <cstddef>

#include "base/text.h"
#include "cddb/net_socket.h"

enum ReadMode : int {
    ReadMultiLine = 1,   // complete when a receive ends in ".\r\n"
    ReadSingleLine = 2,  // complete when a receive ends in its first "\n"
    ReadByStatus = 3,    // the reply's status code picks one of the two
};

// The first wait of a call and every later one. Tests shorten them.
struct ReplyWaits {
    int first_ms = 10000;
    int later_ms = 3000;
};

inline constexpr int kReceiveChunk = 1024;  // each receive takes at most 1023 bytes
// A peer that never stops talking is cut off here rather than exhausting memory.
inline constexpr std::size_t kReplyCap = 1024 * 1024;

enum class ReplyEnd {
    Silent,      // nothing readable within the first wait: no reply
    Terminator,  // the mode's end rule matched a receive
    Quiet,       // a later wait passed without data (or failed)
    Closed,      // the peer closed the connection or the receive failed (no text
                 // when nothing at all had arrived)
    Capped,      // the reply reached kReplyCap
};

struct ReadResult {
    Text text;
    ReplyEnd end = ReplyEnd::Silent;
};

// Reads one reply and tells how it ended.
ReadResult ReadReply(SocketHandle socket, int mode, ReplyWaits waits = {});
// The reply text, or absent when the peer said nothing within the first wait.
Text ReadResponse(SocketHandle socket, int mode, ReplyWaits waits = {});

// The number formed by a reply's first three characters; 0 when they are not digits.
int reply_status(const std::string& reply);
