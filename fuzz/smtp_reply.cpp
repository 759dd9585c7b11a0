// An SMTP reply as a mail server may send it, in receives cut anywhere, one
// line or many ("250-..."): read as the submission reads each reply, and put
// into words for the user. Flag bit 3: the peer hangs up after the last byte.
#include <cstdint>
#include <cstdlib>

#include "cddb/submission.h"
#include "peer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Peer peer(data, size);
    if (peer.flags & 8) peer.hang_up();
    const ReadResult read = ReadReply(peer.reader(), ReadSmtp, kPeerWaits);
    if (!read.text) return 0;
    // What was said, from its start, no byte lost or changed, never more than a mail server's reply may be; a
    // reply that ended by its own rule ends with a line that is not a "250-" one.
    const std::string& reply = *read.text;
    if (!peer.sent().starts_with(reply) || reply.size() > kSmtpReplyCap) std::abort();
    if (read.end == ReplyEnd::Terminator) {
        const size_t last = reply.rfind('\n', reply.size() - 2);
        const std::string_view line = std::string_view(reply).substr(last == std::string::npos ? 0 : last + 1);
        if (!reply.ends_with('\n') || (line.size() > 4 && line[3] == '-')) std::abort();
    }
    if (server_words(reply).size() > 600 + 3) std::abort();  // shown cut, with "..."
    return 0;
}
