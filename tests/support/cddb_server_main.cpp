// The loopback CDDB test server as a program, for tests that drive BRD.exe
// from outside: it serves the given xmcd files and sites on 127.0.0.1,
// prints its two ports and runs until its standard input ends.
//
//   cddb_server [--disc CATEGORY DISCID FILE]... [--site "LINE"]...
//   prints:  cddbp PORT
//            http PORT
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cddb_test_server.h"

int main(int argc, char** argv) {
    CddbTestServer server;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--disc") == 0 && i + 3 < argc) {
            std::ifstream file(argv[i + 3], std::ios::binary);
            std::stringstream entry;
            entry << file.rdbuf();
            if (!file || entry.str().empty()) {
                std::fprintf(stderr, "cddb_server: cannot read %s\n", argv[i + 3]);
                return 2;
            }
            const std::string text = entry.str();
            const size_t at = text.find("DTITLE=");  // the title a query match line shows
            const std::string title =
                at == std::string::npos ? "Unknown" : text.substr(at + 7, text.find_first_of("\r\n", at) - at - 7);
            server.add_disc(argv[i + 1], argv[i + 2], title, text);
            i += 3;
        } else if (std::strcmp(argv[i], "--site") == 0 && i + 1 < argc) {
            server.add_site(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: cddb_server [--disc CATEGORY DISCID FILE]... [--site LINE]...\n");
            return 2;
        }
    }
    std::printf("cddbp %d\nhttp %d\n", server.cddbp_port(), server.http_port());
    std::fflush(stdout);
    for (std::string line; std::getline(std::cin, line);) {
    }
}
