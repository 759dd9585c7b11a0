#include "cddb/reply_reader.h"

#include <array>
#include <cstring>
#include <deque>
#include <string_view>

namespace {

using Chunk = std::array<char, kReceiveChunk>;

// A chunk's text is what ends at its first zero byte.
std::string_view chunk_text(const Chunk& chunk) { return {chunk.data(), std::strlen(chunk.data())}; }

int mode_for_status(std::string_view reply_start) {
    const std::string_view code = reply_start.substr(0, 3);
    if (code == "200" || code == "202") return ReadSingleLine;
    if (code == "211") return ReadMultiLine;
    return ReadByStatus;
}

// The end rules look at the receive just made, not at the whole reply.
bool chunk_completes(std::string_view text, int mode) {
    if (mode == ReadMultiLine) {
        const size_t at = text.find(".\r\n");
        return at != std::string_view::npos && at + 3 == text.size();
    }
    if (mode == ReadSingleLine) {
        const size_t at = text.find('\n');
        return at != std::string_view::npos && at + 1 == text.size();
    }
    return false;
}

}  // namespace

ReadResult ReadReply(SocketHandle socket, int mode, ReplyWaits waits) {
    if (wait_readable(socket, waits.first_ms) <= 0) return {};

    // A deque never moves its elements: no chunk is copied while reading.
    std::deque<Chunk> chain;
    size_t total = 0;
    ReplyEnd end = ReplyEnd::Quiet;
    for (;;) {
        Chunk& chunk = chain.emplace_back();
        chunk.fill('\0');
        if (receive_some(socket, chunk.data(), kReceiveChunk - 1) <= 0) {
            end = ReplyEnd::Closed;
            break;
        }
        const std::string_view text = chunk_text(chunk);
        total += text.size();
        if (mode == ReadByStatus) mode = mode_for_status(chunk_text(chain.front()));
        if (chunk_completes(text, mode)) {
            end = ReplyEnd::Terminator;
            break;
        }
        if (total >= kReplyCap) {
            end = ReplyEnd::Capped;
            break;
        }
        if (wait_readable(socket, waits.later_ms) <= 0) break;
    }

    // A peer that hung up without a word did not answer.
    if (total == 0 && end == ReplyEnd::Closed) return {std::nullopt, end};

    std::string joined;
    joined.reserve(total);
    while (!chain.empty()) {
        joined += chunk_text(chain.front());
        chain.pop_front();
    }
    return {std::move(joined), end};
}

Text ReadResponse(SocketHandle socket, int mode, ReplyWaits waits) { return ReadReply(socket, mode, waits).text; }

int reply_status(const std::string& reply) {
    if (reply.size() < 3) return 0;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        const char c = reply[i];
        if (c < '0' || c > '9') return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}
