#include "cddb/net_socket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
using NativeSocket = SOCKET;
using OptionSize = int;
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using NativeSocket = int;
using OptionSize = socklen_t;
#endif

namespace {

NativeSocket native(SocketHandle s) { return static_cast<NativeSocket>(s); }

}  // namespace

int Exchange::left_ms() const {
    if (called_off_) return 0;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT32_MAX));
}

namespace {

// One select on the socket for reading, or for writing with its failures.
int wait_once(SocketHandle socket, int timeout_ms, bool writable) {
#ifndef _WIN32
    if (native(socket) < 0 || native(socket) >= FD_SETSIZE) return -1;  // beyond what a set can hold
#endif
    fd_set set, failed;
    FD_ZERO(&set);
    FD_ZERO(&failed);
    FD_SET(native(socket), &set);
    FD_SET(native(socket), &failed);
    timeval timeout{};
    timeout.tv_sec = timeout_ms / 1000;
    timeout.tv_usec = (timeout_ms % 1000) * 1000;
    // Winsock tells a failed connect in the exception set.
    return select(static_cast<int>(native(socket)) + 1, writable ? nullptr : &set, writable ? &set : nullptr,
                  writable ? &failed : nullptr, &timeout);
}

// Waits in slices, so that an exchange called off ends the wait soon.
int wait_for(SocketHandle socket, int timeout_ms, const Exchange* exchange, bool writable) {
    for (;;) {
        const int left = exchange ? std::min(timeout_ms, exchange->left_ms()) : timeout_ms;
        if (left <= 0) return 0;
        const int slice = std::min(left, kWaitSliceMs);
        const int ready = wait_once(socket, slice, writable);
        if (ready != 0) return ready;
        timeout_ms -= slice;
    }
}

}  // namespace

int wait_readable(SocketHandle socket, int timeout_ms, const Exchange* exchange) {
    return wait_for(socket, timeout_ms, exchange, false);
}

int receive_some(SocketHandle socket, char* buffer, int max_bytes) {
    return static_cast<int>(recv(native(socket), buffer, max_bytes, 0));
}

bool send_text(SocketHandle socket, std::string_view text) {
#ifdef _WIN32
    const int flags = 0;
#else
    const int flags = MSG_NOSIGNAL;  // a closed peer is a failed send, not a signal
#endif
    const auto sent = send(native(socket), text.data(), static_cast<int>(text.size()), flags);
    return sent >= 0 && static_cast<size_t>(sent) == text.size();
}

void close_socket(SocketHandle socket) {
#ifdef _WIN32
    closesocket(native(socket));
#else
    close(native(socket));
#endif
}

NetSession::NetSession([[maybe_unused]] int major, [[maybe_unused]] int minor) {
#ifdef _WIN32
    WSADATA data;
    ok_ = WSAStartup(MAKEWORD(major, minor), &data) == 0;
#else
    ok_ = true;
#endif
}

NetSession::~NetSession() {
#ifdef _WIN32
    if (ok_) WSACleanup();
#endif
}

std::optional<Ipv4> resolve_host(const char* host_name) {
    const hostent* host = gethostbyname(host_name);
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0]) return std::nullopt;
    in_addr address;
    std::memcpy(&address, host->h_addr_list[0], sizeof address);
    return address.s_addr;
}

Socket connect_tcp(Ipv4 address, int port, const Exchange* exchange, int wait_ms) {
    if (!valid_port(port)) return Socket{};
    const NativeSocket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
#ifdef _WIN32
    if (s == INVALID_SOCKET) return Socket{};
    const auto blocking = [s](bool on) {
        u_long non_blocking = on ? 0 : 1;
        return ioctlsocket(s, FIONBIO, &non_blocking) == 0;
    };
    const auto pending = [] { return WSAGetLastError() == WSAEWOULDBLOCK; };
#else
    if (s < 0) return Socket{};
    const auto blocking = [s](bool on) {
        const int flags = fcntl(s, F_GETFL);
        return flags >= 0 && fcntl(s, F_SETFL, on ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
    };
    const auto pending = [] { return errno == EINPROGRESS; };
#endif
    Socket owned{static_cast<SocketHandle>(s)};
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<unsigned short>(port));
    to.sin_addr.s_addr = address;
    // A bounded connect waits no longer than it or its exchange may.
    const bool bounded = exchange || wait_ms != INT32_MAX;
    if (bounded && !blocking(false)) return Socket{};
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        if (!bounded || !pending() || wait_for(owned.get(), wait_ms, exchange, true) <= 0) return Socket{};
        int error = 0;
        OptionSize size = sizeof error;
        if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 || error != 0)
            return Socket{};
    }
    if (bounded && !blocking(true)) return Socket{};
    return owned;
}

std::optional<Ipv4> local_address(SocketHandle socket) {
    sockaddr_in address{};
    OptionSize size = sizeof address;
    if (getsockname(native(socket), reinterpret_cast<sockaddr*>(&address), &size) != 0 || address.sin_family != AF_INET)
        return std::nullopt;
    return address.sin_addr.s_addr;
}

std::string dotted(Ipv4 address) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&address);  // network order: the first byte first
    return std::to_string(bytes[0]) + '.' + std::to_string(bytes[1]) + '.' + std::to_string(bytes[2]) + '.' +
           std::to_string(bytes[3]);
}

std::optional<std::string> local_host_name() {
    char name[128] = {};
    if (gethostname(name, sizeof name - 1) != 0) return std::nullopt;
    return std::string(name);
}

std::optional<std::string> local_domain_name() {
#ifdef _WIN32
    char name[256] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameExA(ComputerNameDnsFullyQualified, name, &size)) return std::nullopt;
    return std::string(name);
#else
    const std::optional<std::string> host = local_host_name();
    if (!host) return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (getaddrinfo(host->c_str(), nullptr, &hints, &found) != 0) return host;
    const std::string canonical = found && found->ai_canonname ? found->ai_canonname : *host;
    freeaddrinfo(found);
    return canonical;
#endif
}
