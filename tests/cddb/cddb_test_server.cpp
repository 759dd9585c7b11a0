#include "cddb_test_server.h"

#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace {

constexpr int kPollMs = 50;

#ifdef _WIN32
using NativeSocket = SOCKET;
#else
using NativeSocket = int;
#endif

// A listening socket on 127.0.0.1 with a port of the system's choosing.
Socket listen_loopback(int& port) {
    const NativeSocket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    Socket owned{static_cast<SocketHandle>(s)};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(s, 8) != 0)
        return Socket{};
#ifdef _WIN32
    int size = sizeof address;
#else
    socklen_t size = sizeof address;
#endif
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    return owned;
}

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

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> result;
    size_t at = 0;
    while (at < line.size()) {
        const size_t end = line.find(' ', at);
        if (end != at) result.push_back(line.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return result;
}

}  // namespace

std::string http_command(const std::string& request_line) {
    const size_t start = request_line.find("cmd=");
    if (start == std::string::npos) return {};
    std::string command = request_line.substr(start + 4, request_line.find('&', start) - start - 4);
    for (char& c : command)
        if (c == '+') c = ' ';
    return command;
}

CddbTestServer::CddbTestServer() {
    banner_ = {say("201 loopback CDDBP server v1.0 ready at Sat Dec 05 12:00:00 2026\r\n")};
    cddbp_.socket = listen_loopback(cddbp_.port);
    http_.socket = listen_loopback(http_.port);
    cddbp_.thread = std::thread([this] { listen(cddbp_, false); });
    http_.thread = std::thread([this] { listen(http_, true); });
}

CddbTestServer::~CddbTestServer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    cddbp_.thread.join();
    http_.thread.join();
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
void CddbTestServer::listen(Listener& listener, bool http) {
    while (!stopping() && listener.socket) {
        if (wait_readable(listener.socket.get(), kPollMs) <= 0) continue;
        const NativeSocket client = accept(static_cast<NativeSocket>(listener.socket.get()), nullptr, nullptr);
#ifdef _WIN32
        if (client == INVALID_SOCKET) continue;
#else
        if (client < 0) continue;
#endif
        Socket owned{static_cast<SocketHandle>(client)};
        ++listener.connections;
        serve(owned.get(), http);
    }
}

void CddbTestServer::serve(SocketHandle client, bool http) {
    if (!http) {
        Script banner;
        {
            std::lock_guard lock(mutex_);
            banner = banner_;
        }
        if (!play(client, banner)) return;
    }
    std::string pending, line;
    while (read_line(client, pending, line)) {
        {
            std::lock_guard lock(mutex_);
            received_.push_back(line);
        }
        std::string command = http ? http_command(line) : line;
        if (!command.empty() && command.back() == '\r') command.pop_back();
        if (!play(client, answer(command)) || http) return;
    }
}

// False when the peer closed (a partial line is still recorded) or the server stops.
bool CddbTestServer::read_line(SocketHandle client, std::string& pending, std::string& line) {
    for (;;) {
        const size_t end = pending.find('\n');
        if (end != std::string::npos) {
            line = pending.substr(0, end);
            pending.erase(0, end + 1);
            return true;
        }
        if (stopping()) return false;
        const int ready = wait_readable(client, kPollMs);
        if (ready == 0) continue;
        char buffer[512];
        const int got = ready > 0 ? receive_some(client, buffer, sizeof buffer) : -1;
        if (got <= 0) {
            if (!pending.empty()) {
                std::lock_guard lock(mutex_);
                received_.push_back(pending);
            }
            return false;
        }
        pending.append(buffer, static_cast<size_t>(got));
    }
}

// False when the script hung up, a send failed or the server stops.
bool CddbTestServer::play(SocketHandle client, const Script& script) {
    for (const Step& step : script) {
        switch (step.kind) {
            case Step::Send:
                if (!send_text(client, step.bytes)) return false;
                break;
            case Step::Pause: {
                std::unique_lock lock(mutex_);
                if (wake_.wait_for(lock, std::chrono::milliseconds(step.ms), [this] { return stopping(); }))
                    return false;
                break;
            }
            case Step::HangUp:
                return false;
        }
    }
    return true;
}

Script CddbTestServer::answer(const std::string& command) {
    std::lock_guard lock(mutex_);
    for (auto it = scripts_.rbegin(); it != scripts_.rend(); ++it)
        if (command.starts_with(it->first)) return it->second;

    const std::vector<std::string> w = words(command);
    if (command.starts_with("cddb hello")) return {say("200 Hello and welcome, running BrindleCD 1.0.\r\n")};
    if (command.starts_with("proto")) return {say("201 OK, CDDB protocol level now: 3\r\n")};
    if (command.starts_with("cddb query") && w.size() >= 3) {
        std::vector<const Disc*> found;
        for (const Disc& d : discs_)
            if (d.disc_id == w[2]) found.push_back(&d);
        if (found.empty()) return {say("202 No match for disc ID " + w[2] + ".\r\n")};
        if (found.size() == 1)
            return {say("200 " + found[0]->category + ' ' + found[0]->disc_id + ' ' + found[0]->title + "\r\n")};
        std::string list = "211 Found inexact matches, list follows (until terminating `.')\r\n";
        for (const Disc* d : found) list += d->category + ' ' + d->disc_id + ' ' + d->title + "\r\n";
        return {say(list + ".\r\n")};
    }
    if (command.starts_with("cddb read") && w.size() >= 4) {
        for (const Disc& d : discs_)
            if (d.category == w[2] && d.disc_id == w[3])
                return {say("210 " + d.category + ' ' + d.disc_id + " CD database entry follows (until terminating `.')\r\n" +
                            crlf_lines(d.entry) + ".\r\n")};
        return {say("401 " + w[2] + ' ' + w[3] + " No such CD entry in database.\r\n")};
    }
    if (command == "sites") {
        std::string list = "210 OK, site information follows (until terminating `.')\r\n";
        for (const std::string& site : sites_) list += site + "\r\n";
        return {say(list + ".\r\n")};
    }
    if (command == "quit") return {say("230 loopback Closing connection.  Goodbye.\r\n"), hang_up()};
    return {say("500 Unrecognized command.\r\n")};
}
