// The loopback CDDB server held step by step, for the end-to-end tests:
//   cddb_stage_server [CATEGORY DISCID TITLE ENTRY-FILE]...
// serves those discs on 127.0.0.1 and prints its CDDBP port, then
// "connected" for every connection, "> LINE" for every line it receives and
// "closed" for every connection served to its end. The banner and each reply wait for a line "go" on its input; it ends
// with its input.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "support/cddb_test_server.h"

int main(int argc, char** argv) {
    CddbTestServer server;
    server.hold_replies(true);
    for (int i = 1; i + 3 < argc; i += 4) {
        std::ifstream in(argv[i + 3], std::ios::binary);
        std::ostringstream entry;
        entry << in.rdbuf();
        server.add_disc(argv[i], argv[i + 1], argv[i + 2], entry.str());
    }
    std::printf("%d\n", server.cddbp_port());
    std::fflush(stdout);
    std::atomic<bool> open{true};
    std::thread input([&] {
        for (std::string line; std::getline(std::cin, line);)
            if (line == "go") server.release();
        open = false;
    });
    for (int connected = 0, closed = 0, shown = 0; open; std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        for (; connected < server.cddbp_connections(); ++connected) std::printf("connected\n");
        const std::vector<std::string> lines = server.received();
        for (; shown < static_cast<int>(lines.size()); ++shown) std::printf("> %s\n", lines[shown].c_str());
        for (; closed < server.cddbp_closed(); ++closed) std::printf("closed\n");
        std::fflush(stdout);
    }
    input.join();
}
