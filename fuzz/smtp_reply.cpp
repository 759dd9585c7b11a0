// An SMTP reply as a mail server may send it, in receives cut anywhere, one
// line or many ("250-..."): read as the submission reads each reply. Flag
// bit 3: the peer hangs up after the last byte.
#include <cstdint>
#include <cstdlib>

#include "cddb/submission.h"
#include "peer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Peer peer(data, size);
    if (peer.flags & 8) peer.hang_up();
    const Exchange exchange{kPeerWaits.exchange_ms};
    const Text reply = ReadSmtpReply(peer.reader(), kPeerWaits, exchange);
    // What was said, from its start, no byte lost or changed.
    if (reply && !peer.sent().starts_with(*reply)) std::abort();
    if (reply) reply_status(*reply);
    return 0;
}
