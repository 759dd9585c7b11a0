#include "cddb/reply_reader.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <string>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// One receive; the reply's part of it starts at `begin` (an HTTP header may come first).
struct Chunk {
    std::array<char, kReceiveChunk> bytes{};
    size_t begin = 0, end = 0;
    std::string_view reply_part() const { return {bytes.data() + begin, end - begin}; }
};

// What the end rules need to know of the reply so far, kept as it grows, so
// that they judge the whole text without joining it.
struct Progress {
    std::string head, tail;  // its first three and last five bytes
    std::string line_start, last_line_start;  // the first four bytes of the line received last, and of the last whole one
    size_t size = 0, line_feeds = 0;

    void add(std::string_view part) {
        head += part.substr(0, 3 - head.size());
        tail += part.substr(part.size() > 5 ? part.size() - 5 : 0);
        tail.erase(0, tail.size() > 5 ? tail.size() - 5 : 0);
        size += part.size();
        for (size_t from = 0; from < part.size();) {
            const size_t end = part.find('\n', from);
            const std::string_view piece = part.substr(from, end == std::string_view::npos ? end : end - from + 1);
            line_start += piece.substr(0, 4 - std::min<size_t>(4, line_start.size()));
            from += piece.size();
            if (end == std::string_view::npos) break;
            ++line_feeds;
            last_line_start = std::exchange(line_start, {});
        }
    }
    bool complete(int mode) const {
        if (mode == ReadMultiLine) return tail.ends_with("\r\n.\r\n") || (size == 3 && tail == ".\r\n");
        if (mode == ReadSingleLine) return line_feeds == 1 && tail.ends_with('\n');
        // "250-" says more lines follow; "250 " (or a bare "250") ends the reply.
        if (mode == ReadSmtp) return tail.ends_with('\n') && !(last_line_start.size() == 4 && last_line_start[3] == '-');
        return false;
    }
    // A mail server's reply that runs on past a few lines is none.
    bool over_cap(int mode, size_t received) const {
        if (mode == ReadSmtp) return received >= kSmtpReplyCap || line_feeds >= kSmtpReplyLines;
        return received >= kReplyCap;
    }
};

int mode_for_status(std::string_view head) {
    if (head == "200" || head == "202") return ReadSingleLine;
    if (head == "211") return ReadMultiLine;
    return ReadByStatus;
}

// The status line and headers in front of an HTTP reply, taken off as they arrive.
class HttpHeader {
    std::string seen_;
    bool done_;
    bool ok_ = true;

public:
    explicit HttpHeader(ReplyFraming framing) : done_(framing == ReplyFraming::Bare) {}
    // Whatever follows is the reply (and it may be used).
    bool passed() const { return done_ && ok_; }
    // The response's first line, once its headers have ended.
    std::string status_line() const { return done_ ? seen_.substr(0, seen_.find_first_of("\r\n")) : std::string(); }
    // How many bytes at the start of the part belong to the header.
    size_t take(std::string_view part) {
        if (done_ || part.empty()) return 0;
        if (seen_.empty() && part.front() != 'H') {
            done_ = true;  // no header at all
            return 0;
        }
        const size_t before = seen_.size();
        seen_ += part;
        // The headers end at the first empty line, ended by CR LF or by LF alone.
        for (size_t lf = seen_.find('\n', before > 2 ? before - 2 : 0); lf != std::string::npos;
             lf = seen_.find('\n', lf + 1)) {
            const size_t after = seen_.compare(lf + 1, 1, "\n") == 0       ? lf + 2
                                 : seen_.compare(lf + 1, 2, "\r\n") == 0 ? lf + 3
                                                                          : 0;
            if (after == 0) continue;
            done_ = true;
            const size_t space = seen_.find(' ');
            ok_ = seen_.starts_with("HTTP/") && space < lf && seen_[space + 1] == '2';
            return after - before;
        }
        return part.size();
    }
};

}  // namespace

ReadResult ReadReply(SocketHandle socket, int mode, ReplyWaits waits, ReplyFraming framing, const Exchange* exchange) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waits.total_ms);
    ReplyEnd end = ReplyEnd::Quiet;
    // Waits for more within the reply's and the exchange's deadlines; false when none came.
    const auto more = [&](int wait_ms) {
        long long left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (exchange) left = std::min<long long>(left, exchange->left_ms());
        if (left > 0 && wait_readable(socket, static_cast<int>(std::min<long long>(wait_ms, left)), exchange) > 0)
            return true;
        const bool over = left <= wait_ms || (exchange && exchange->left_ms() == 0);
        end = over ? ReplyEnd::Overdue : ReplyEnd::Quiet;  // the wait ran to a deadline
        return false;
    };
    if (!more(waits.first_ms)) return {};

    // A deque never moves its elements: no chunk is copied while reading.
    std::deque<Chunk> chain;
    size_t received = 0;
    Progress reply;
    HttpHeader header{framing};
    for (;;) {
        Chunk& chunk = chain.emplace_back();
        // Never more than the cap, however the bytes come.
        const size_t cap = mode == ReadSmtp ? kSmtpReplyCap : kReplyCap;
        const int room = static_cast<int>(std::min<size_t>(kReceiveChunk - 1, cap - received));
        const int got = receive_some(socket, chunk.bytes.data(), room);
        if (got <= 0) {
            end = ReplyEnd::Closed;
            break;
        }
        received += static_cast<size_t>(got);
        chunk.end = static_cast<size_t>(got);
        chunk.begin = header.take({chunk.bytes.data(), chunk.end});
        reply.add(chunk.reply_part());
        if (mode == ReadByStatus) mode = mode_for_status(reply.head);
        if (reply.complete(mode)) {
            end = ReplyEnd::Terminator;
            break;
        }
        if (reply.over_cap(mode, received)) {
            end = ReplyEnd::Capped;
            break;
        }
        if (!more(waits.later_ms)) break;
    }

    // A peer that hung up without a word did not answer; an HTTP response
    // without a whole "2xx" header carries no reply.
    if ((received == 0 && end == ReplyEnd::Closed) || !header.passed()) return {std::nullopt, end, header.status_line()};

    std::string joined;
    joined.reserve(reply.size);
    for (; !chain.empty(); chain.pop_front()) joined += chain.front().reply_part();
    return {std::move(joined), end, header.status_line()};
}

int reply_status(std::string_view reply) {
    if (reply.size() < 3) return 0;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        const char c = reply[i];
        if (c < '0' || c > '9') return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}
