#pragma once
// A network peer that says the fuzz input in receives the input chooses. The
// input: a flags byte (the target's own), a count n, n piece lengths of a
// byte each (0 adds nothing), then the bytes; what the lengths leave is one
// last piece. A connected pair of sequenced-packet sockets keeps each piece
// one receive, as a slow link delivers it; a piece longer than a receive
// takes (1023 bytes) arrives in receives of that size, as over TCP.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cddb/reply_reader.h"

// The waits of a peer whose bytes are all there: a millisecond.
inline constexpr ReplyWaits kPeerWaits{1, 1, 10000, 60000};

class Peer {
    int ends_[2] = {-1, -1};
    std::string sent_;

    void say(std::string_view piece) {
        for (size_t at = 0; at < piece.size(); at += kReceiveChunk - 1) {
            const std::string_view part = piece.substr(at, kReceiveChunk - 1);
            // A piece the socket buffer cannot hold is left unsaid: the reader never waits for it.
            if (send(ends_[1], part.data(), part.size(), MSG_DONTWAIT | MSG_NOSIGNAL) != static_cast<ssize_t>(part.size()))
                return;
            sent_ += part;
        }
    }

public:
    uint8_t flags = 0;

    Peer(const uint8_t* data, size_t size) {
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends_) != 0) std::abort();
        const std::string_view input(reinterpret_cast<const char*>(data), size);
        flags = size > 0 ? data[0] : 0;
        const size_t count = size > 1 ? data[1] : 0;
        size_t at = std::min(size, 2 + count);
        for (size_t i = 0; i < count && 2 + i < size; ++i) {
            const std::string_view piece = input.substr(at, data[2 + i]);
            if (!piece.empty()) say(piece);
            at += piece.size();
        }
        if (at < size) say(input.substr(at));
    }
    ~Peer() {
        close(ends_[0]);
        hang_up();
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    SocketHandle reader() const { return static_cast<SocketHandle>(ends_[0]); }
    // Everything the reader can receive, in order.
    const std::string& sent() const { return sent_; }
    // The peer closes its end: the reader finds the end of the stream after the bytes.
    void hang_up() {
        if (ends_[1] >= 0) close(ends_[1]);
        ends_[1] = -1;
    }
};
