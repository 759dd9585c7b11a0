// A CDDB reply as a server, or a web server in front of one, may send it,
// in receives cut anywhere: read by the reader of every reply with each end
// rule, bare or behind HTTP headers. Flags: bits 0-1 the read mode, bit 2
// HTTP, bit 3 the peer hangs up after the last byte.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "peer.h"

namespace {

// Where an HTTP response's body starts: after its first empty line, ended by
// CR LF or by LF alone. A response that does not start with "H" is all body.
size_t body_start(const std::string& response) {
    if (!response.starts_with('H')) return 0;
    for (size_t lf = response.find('\n'); lf != std::string::npos; lf = response.find('\n', lf + 1)) {
        if (response.compare(lf + 1, 1, "\n") == 0) return lf + 2;
        if (response.compare(lf + 1, 2, "\r\n") == 0) return lf + 3;
    }
    return std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Peer peer(data, size);
    const int mode = 1 + (peer.flags & 3) % 3;
    const bool http = peer.flags & 4;
    if (peer.flags & 8) peer.hang_up();
    const ReadResult read = ReadReply(peer.reader(), mode, kPeerWaits, http ? ReplyFraming::Http : ReplyFraming::Bare);
    if (!read.text) return 0;
    const std::string& reply = *read.text;
    // The reply is what was said (over HTTP, from the body on), no byte lost
    // or changed; a reply ended by its terminator ends a line, and one that
    // ends otherwise holds everything there was.
    const std::string& sent = peer.sent();
    const size_t start = http ? body_start(sent) : 0;
    if (start > sent.size() || sent.compare(start, reply.size(), reply) != 0) std::abort();
    if (read.end == ReplyEnd::Terminator ? !reply.ends_with('\n') : start + reply.size() != sent.size()) std::abort();
    reply_status(reply);
    return 0;
}
