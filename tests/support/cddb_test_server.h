#pragma once
// The project's own CDDB server for tests and the query benchmark: loopback
// only, one CDDBP port and one HTTP port that behaves as a web server, both
// picked by the system. It answers from a disc table and a sites list; any
// reply (and the banner) can be replaced by a script of sends, pauses, a hang-up.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cddb/net_socket.h"

struct Step {
    enum Kind { Send, Pause, HangUp } kind;
    std::string bytes;
    int ms = 0;
};
inline Step say(std::string bytes) { return {Step::Send, std::move(bytes), 0}; }
inline Step pause_ms(int ms) { return {Step::Pause, {}, ms}; }
inline Step hang_up() { return {Step::HangUp, {}, 0}; }
using Script = std::vector<Step>;

class CddbTestServer {
public:
    CddbTestServer();
    ~CddbTestServer();
    CddbTestServer(const CddbTestServer&) = delete;
    CddbTestServer& operator=(const CddbTestServer&) = delete;

    int cddbp_port() const { return port_[0]; }
    int http_port() const { return port_[1]; }
    int cddbp_connections() const { return connections_[0]; }
    int http_connections() const { return connections_[1]; }

    // What a CDDBP connection hears first; an empty script says nothing.
    void banner(Script script);
    // The reply to every command that starts with the prefix (for HTTP the
    // request's cmd= value); the latest matching script wins.
    void reply(std::string command_prefix, Script script);
    // A disc that "cddb query" finds by its id and "cddb read" returns.
    void add_disc(std::string category, std::string disc_id, std::string title, std::string entry);
    // One line of the "sites" reply, without its line end.
    void add_site(std::string line);
    // Every line received, in order, without its line end (HTTP: request and header lines).
    std::vector<std::string> received() const;

private:
    struct Disc {
        std::string category, disc_id, title, entry;
    };
    void serve(int which);
    bool read_line(SocketHandle client, std::string& pending, std::string& line);
    bool play(SocketHandle client, const Script& script);
    Script answer(const std::string& command);
    Script http_answer(SocketHandle client, std::string& pending, const std::string& request_line);

    NetSession net_{2, 2};
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    Script banner_;
    std::vector<std::pair<std::string, Script>> scripts_;
    std::vector<Disc> discs_;
    std::vector<std::string> sites_, received_;
    Socket listener_[2];  // CDDBP, HTTP
    int port_[2] = {0, 0};
    std::atomic<int> connections_[2] = {0, 0};
    std::thread thread_[2];
};

// A port whose connects are never answered, as on a silent host: its
// listener's queue is full and nobody accepts.
class SilentPort {
public:
    SilentPort();
    int port() const { return port_; }

private:
    NetSession net_{2, 2};
    int port_ = 0;
    Socket listener_, waiting_;
};
