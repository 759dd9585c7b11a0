#include "cddb/net_socket.h"

#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
using NativeSocket = SOCKET;
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using NativeSocket = int;
#endif

namespace {

NativeSocket native(SocketHandle s) { return static_cast<NativeSocket>(s); }

}  // namespace

int wait_readable(SocketHandle socket, int timeout_ms) {
#ifndef _WIN32
    if (native(socket) < 0 || native(socket) >= FD_SETSIZE) return -1;  // beyond what a set can hold
#endif
    fd_set read_set;
    FD_ZERO(&read_set);
    FD_SET(native(socket), &read_set);
    timeval timeout{};
    timeout.tv_sec = timeout_ms / 1000;
    timeout.tv_usec = (timeout_ms % 1000) * 1000;
    return select(static_cast<int>(native(socket)) + 1, &read_set, nullptr, nullptr, &timeout);
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

Socket connect_tcp(Ipv4 address, int port) {
    const NativeSocket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
#ifdef _WIN32
    if (s == INVALID_SOCKET) return Socket{};
#else
    if (s < 0) return Socket{};
#endif
    Socket owned{static_cast<SocketHandle>(s)};
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<unsigned short>(port));
    to.sin_addr.s_addr = address;
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) return Socket{};
    return owned;
}

std::optional<std::string> local_host_name() {
    char name[128] = {};
    if (gethostname(name, sizeof name - 1) != 0) return std::nullopt;
    return std::string(name);
}
