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
#include <string>

#include "cddb_test_server.h"

namespace {

std::string TitleOf(const std::string& entry) {
    const size_t at = entry.find("DTITLE=");
    if (at == std::string::npos) return "Unknown";
    const size_t end = entry.find_first_of("\r\n", at);
    return entry.substr(at + 7, end == std::string::npos ? std::string::npos : end - at - 7);
}

}  // namespace

int main(int argc, char** argv) {
    CddbTestServer server;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--disc") == 0 && i + 3 < argc) {
            std::ifstream file(argv[i + 3], std::ios::binary);
            if (!file) {
                std::fprintf(stderr, "cddb_server: cannot read %s\n", argv[i + 3]);
                return 2;
            }
            std::stringstream entry;
            entry << file.rdbuf();
            server.add_disc(argv[i + 1], argv[i + 2], TitleOf(entry.str()), entry.str());
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
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
