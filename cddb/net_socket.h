#pragma once
// A thin layer over the stream-socket calls the CDDB client makes, the same
// on Winsock and on POSIX sockets, so that the reply reader and the command
// exchanges are tested natively as well as under Wine. Windows headers stay
// inside net_socket.cpp.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle kNoSocket = ~SocketHandle{0};

// TCP ports run from 1 to 65535; any other number read from anywhere is refused.
inline bool valid_port(int64_t port) { return port >= 1 && port <= 65535; }

// The time one whole conversation with a peer may take (a query from its
// connection to the entry, a submission, a "sites" retrieval), on top of the
// waits of each reply, and a way for another thread to call it off. Every
// wait of the conversation ends by its deadline.
class Exchange {
    using Clock = std::chrono::steady_clock;

public:
    explicit Exchange(int total_ms) : deadline_(Clock::now() + std::chrono::milliseconds(total_ms)) {}
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    // Milliseconds left; 0 once the deadline has passed or it was called off.
    int left_ms() const;
    // Any thread: the conversation's waits end within kWaitSliceMs.
    void call_off() { called_off_ = true; }

    // While one lives, time does not count: the user is in a dialog.
    class Pause {
        Exchange& exchange_;
        Clock::time_point since_ = Clock::now();

    public:
        explicit Pause(Exchange& exchange) : exchange_(exchange) {}
        ~Pause() { exchange_.deadline_ += Clock::now() - since_; }
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;
    };

private:
    Clock::time_point deadline_;
    std::atomic<bool> called_off_{false};
};
// How often a wait looks whether its exchange was called off.
inline constexpr int kWaitSliceMs = 100;

// Waits for the socket to become readable: above 0 readable (or closed by the
// peer), 0 timed out (or the exchange is over), below 0 failed.
int wait_readable(SocketHandle socket, int timeout_ms, const Exchange* exchange = nullptr);
// One recv with flags 0: bytes received, 0 when the peer closed, below 0 failed.
int receive_some(SocketHandle socket, char* buffer, int max_bytes);
// One send of the text's characters: true when all of them were taken.
bool send_text(SocketHandle socket, std::string_view text);
void close_socket(SocketHandle socket);

// Owns one socket and closes it once.
class Socket {
    SocketHandle s_ = kNoSocket;

public:
    Socket() = default;
    explicit Socket(SocketHandle s) : s_(s) {}
    ~Socket() { reset(); }
    Socket(Socket&& other) noexcept : s_(std::exchange(other.s_, kNoSocket)) {}
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            reset();
            s_ = std::exchange(other.s_, kNoSocket);
        }
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SocketHandle get() const { return s_; }
    explicit operator bool() const { return s_ != kNoSocket; }
    void reset() {
        if (s_ != kNoSocket) close_socket(s_);
        s_ = kNoSocket;
    }
};

// The socket library for one conversation: WSAStartup with the asked version
// and WSACleanup on Windows, nothing elsewhere.
class NetSession {
    bool ok_ = false;

public:
    NetSession(int major, int minor);
    ~NetSession();
    NetSession(const NetSession&) = delete;
    NetSession& operator=(const NetSession&) = delete;
    bool ok() const { return ok_; }
};

// An IPv4 address in network byte order, as the first address of a host.
using Ipv4 = std::uint32_t;
std::optional<Ipv4> resolve_host(const char* host_name);
// A TCP stream connected to the address and port; empty when that fails, when
// the port is not one, or when the peer has not answered within wait_ms or
// before the exchange is over (a silent host would take the system's 21 s).
Socket connect_tcp(Ipv4 address, int port, const Exchange* exchange = nullptr, int wait_ms = INT32_MAX);
// The address of this end of a connected socket.
std::optional<Ipv4> local_address(SocketHandle socket);
// "a.b.c.d"
std::string dotted(Ipv4 address);
// This machine's host name as gethostname reports it; absent on failure.
std::optional<std::string> local_host_name();
// This machine's fully qualified domain name, when it has one: the system's
// (Windows: its DNS name with the primary suffix; elsewhere: the resolver's
// canonical name of the host name). It may still be a bare name.
std::optional<std::string> local_domain_name();
