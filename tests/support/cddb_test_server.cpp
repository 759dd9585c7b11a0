#include "cddb_test_server.h"

#include <chrono>
#include <sstream>

#ifdef _WIN32
#include <winsock2.h>
using NativeSocket = SOCKET;
using AddressSize = int;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
using NativeSocket = int;
using AddressSize = socklen_t;
#endif

namespace {

constexpr int kPollMs = 50;

NativeSocket native(const Socket& s) { return static_cast<NativeSocket>(s.get()); }

// A listening socket on 127.0.0.1 with a port of the system's choosing.
Socket listen_loopback(int& port, int backlog = 8) {
    Socket owned{static_cast<SocketHandle>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    AddressSize size = sizeof address;
    if (!owned || bind(native(owned), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(native(owned), backlog) != 0 || getsockname(native(owned), reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return Socket{};
    port = ntohs(address.sin_port);
    return owned;
}

// Entries are kept with any line ends; the wire wants CR LF.
std::string crlf_lines(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') result += '\r';
        result += c;
    }
    if (!result.empty() && result.back() != '\n') result += "\r\n";
    return result;
}

// The cddb command inside an HTTP request line: the cmd= value with "+" read as spaces.
std::string http_command(const std::string& request_line) {
    const size_t start = request_line.find("cmd=");
    if (start == std::string::npos) return {};
    std::string command = request_line.substr(start + 4, request_line.find('&', start) - start - 4);
    for (char& c : command)
        if (c == '+') c = ' ';
    return command;
}

}  // namespace

CddbTestServer::CddbTestServer() {
    banner_ = {say("201 loopback CDDBP server v1.0 ready at Sat Dec 05 12:00:00 2026\r\n")};
    for (int i = 0; i < 2; ++i) {
        listener_[i] = listen_loopback(port_[i]);
        thread_[i] = std::thread([this, i] { serve(i); });
    }
}

CddbTestServer::~CddbTestServer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : thread_) t.join();
}

void CddbTestServer::banner(Script script) {
    std::lock_guard lock(mutex_);
    banner_ = std::move(script);
}

void CddbTestServer::reply(std::string command_prefix, Script script) {
    std::lock_guard lock(mutex_);
    scripts_.emplace_back(std::move(command_prefix), std::move(script));
}

void CddbTestServer::add_disc(std::string category, std::string disc_id, std::string title, std::string entry) {
    std::lock_guard lock(mutex_);
    discs_.push_back({std::move(category), std::move(disc_id), std::move(title), std::move(entry)});
}

void CddbTestServer::add_site(std::string line) {
    std::lock_guard lock(mutex_);
    sites_.push_back(std::move(line));
}

std::vector<std::string> CddbTestServer::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

// Connections are served one after the other, as the client holds one at a time.
void CddbTestServer::serve(int which) {
    const bool http = which == 1;
    while (!stop_ && listener_[which]) {
        if (wait_readable(listener_[which].get(), kPollMs) <= 0) continue;
        const Socket client{static_cast<SocketHandle>(accept(native(listener_[which]), nullptr, nullptr))};
        if (!client) continue;
        ++connections_[which];
        Script banner;
        if (!http) {
            std::lock_guard lock(mutex_);
            banner = banner_;
        }
        if (!play(client.get(), banner)) continue;
        std::string pending, line;
        while (read_line(client.get(), pending, line)) {
            {
                std::lock_guard lock(mutex_);
                received_.push_back(line);
            }
            if (http) play(client.get(), http_answer(client.get(), pending, line));
            if (http || !play(client.get(), answer(line))) break;
        }
    }
}

// Like a virtual-hosted web server: the request must name its version and
// carry a "Host" header up to its blank line; the reply comes behind a
// status line and headers, and the connection closes after it.
Script CddbTestServer::http_answer(SocketHandle client, std::string& pending, const std::string& request_line) {
    bool host = false;
    for (std::string header; read_line(client, pending, header) && !header.empty(); host |= header.starts_with("Host: ")) {
        std::lock_guard lock(mutex_);
        received_.push_back(header);
    }
    if (!host || !(request_line.ends_with(" HTTP/1.0") || request_line.ends_with(" HTTP/1.1")))
        return {say("HTTP/1.1 400 Bad Request\r\nContent-Type: text/html\r\n\r\n<h1>400 Bad Request</h1>\r\n")};
    Script reply = answer(http_command(request_line));
    reply.insert(reply.begin(), say("HTTP/1.1 200 OK\r\nServer: loopback\r\nContent-Type: text/plain\r\n\r\n"));
    return reply;
}

// False when the peer closed or the server stops.
bool CddbTestServer::read_line(SocketHandle client, std::string& pending, std::string& line) {
    for (;;) {
        if (const size_t end = pending.find('\n'); end != std::string::npos) {
            line = pending.substr(0, end > 0 && pending[end - 1] == '\r' ? end - 1 : end);
            pending.erase(0, end + 1);
            return true;
        }
        if (stop_) return false;
        const int ready = wait_readable(client, kPollMs);
        if (ready == 0) continue;
        char buffer[512];
        const int got = ready > 0 ? receive_some(client, buffer, sizeof buffer) : -1;
        if (got <= 0) return false;
        pending.append(buffer, static_cast<size_t>(got));
    }
}

// False when the script hung up, a send failed or the server stops.
bool CddbTestServer::play(SocketHandle client, const Script& script) {
    for (const Step& step : script) {
        if (step.kind == Step::HangUp || (step.kind == Step::Send && !send_text(client, step.bytes))) return false;
        if (step.kind == Step::Pause) {
            std::unique_lock lock(mutex_);
            if (wake_.wait_for(lock, std::chrono::milliseconds(step.ms), [this] { return stop_.load(); }))
                return false;
        }
    }
    return true;
}

Script CddbTestServer::answer(const std::string& command) {
    std::lock_guard lock(mutex_);
    for (auto it = scripts_.rbegin(); it != scripts_.rend(); ++it)
        if (command.starts_with(it->first)) return it->second;

    std::istringstream words(command);
    std::string verb, what, first, second;
    words >> verb >> what >> first >> second;
    if (verb == "cddb" && what == "hello") return {say("200 Hello and welcome, running BrindleCD 1.0.\r\n")};
    if (verb == "proto") return {say("201 OK, CDDB protocol level now: " + what + "\r\n")};
    if (verb == "cddb" && what == "query") {
        std::string found;
        int count = 0;
        for (const Disc& d : discs_) {
            if (d.disc_id != first) continue;
            found += d.category + ' ' + d.disc_id + ' ' + d.title + "\r\n";
            ++count;
        }
        if (count == 0) return {say("202 No match for disc ID " + first + ".\r\n")};
        if (count == 1) return {say("200 " + found)};
        return {say("211 Found inexact matches, list follows (until terminating `.')\r\n" + found + ".\r\n")};
    }
    if (verb == "cddb" && what == "read") {
        for (const Disc& d : discs_)
            if (d.category == first && d.disc_id == second)
                return {say("210 " + first + ' ' + second + " CD database entry follows (until terminating `.')\r\n" +
                            crlf_lines(d.entry) + ".\r\n")};
        return {say("401 " + first + ' ' + second + " No such CD entry in database.\r\n")};
    }
    if (verb == "sites") {
        std::string list = "210 OK, site information follows (until terminating `.')\r\n";
        for (const std::string& site : sites_) list += site + "\r\n";
        return {say(list + ".\r\n")};
    }
    if (verb == "quit") return {say("230 loopback Closing connection.  Goodbye.\r\n"), hang_up()};
    return {say("500 Unrecognized command.\r\n")};
}

// The queue holds one connection, and a connect beyond it goes unanswered.
SilentPort::SilentPort()
    : listener_(listen_loopback(port_, 0)), waiting_(connect_tcp(*resolve_host("127.0.0.1"), port_)) {}
