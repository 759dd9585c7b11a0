// An exact-match CDDBP query and read against the loopback test server, end
// to end through the query job, against the bare TCP round trips the same
// exchange needs (connect, banner, hello, query, read), in the same run.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "base/owned_handles.h"
#include "cddb/notification_codes.h"
#include "cddb/query_thread.h"
#include "cddb/reply_reader.h"
#include "resources/resource.h"
#include "support/cddb_test_server.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kEntry[] =
    "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t18352\n#\t36214\n#\n# Disc length: 742 seconds\n#\n"
    "# Revision: 1\n#\nDISCID=1a02e403\nDTITLE=Loopback Band / Three Songs\nDYEAR=1999\nDGENRE=Rock\n"
    "TTITLE0=First\nTTITLE1=Second\nTTITLE2=Third\nEXTD=\nEXTT0=\nEXTT1=\nEXTT2=\nPLAYORDER=\n";

int Yes(HWND, const char*, const char*, UINT) { return IDYES; }
int First(HWND, std::string&) { return 0; }

// Receives until the text read so far ends with the terminator.
bool ReceiveUntil(SocketHandle s, const char* terminator) {
    std::string got;
    char buffer[1024];
    while (!got.ends_with(terminator)) {
        const int n = receive_some(s, buffer, sizeof buffer);
        if (n <= 0) return false;
        got.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

bool BareExchange(Ipv4 loopback, int port) {
    Socket s = connect_tcp(loopback, port);
    return s && ReceiveUntil(s.get(), "\n") && send_text(s.get(), "cddb hello user host BrindleCD 1.0\n") &&
           ReceiveUntil(s.get(), "\n") && send_text(s.get(), "cddb query 1a02e403 3 150 18352 36214 742\n") &&
           ReceiveUntil(s.get(), "\n") && send_text(s.get(), "cddb read rock 1a02e403\n") &&
           ReceiveUntil(s.get(), ".\r\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    char temp[MAX_PATH] = {}, dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    GetTempFileNameA(temp, "brb", 0, dir);
    DeleteFileA(dir);
    CreateDirectoryA(dir, nullptr);
    SetCurrentDirectoryA(dir);

    CddbTestServer server;
    server.add_disc("rock", "1a02e403", "Loopback Band / Three Songs", kEntry);
    const NetSession net{2, 2};
    const Ipv4 loopback = *resolve_host("127.0.0.1");

    const OwnedHandle query_lock = CreateLock();
    const auto line_locks = std::make_shared<LineLocks>();
    QueryUi = {Yes, First};
    const HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const auto record = std::make_shared<DiscRecord>(window);
    DiscRecord& disc = *record;
    disc.track_count = 3;
    const int starts[] = {150, 18352, 36214};
    for (int i = 0; i < 3; ++i) {
        disc.toc[i] = {starts[i] / 75 / 60, starts[i] / 75 % 60, starts[i] % 75, starts[i]};
    }
    disc.toc[3] = {742 / 60, 742 % 60, 0, 742 * 75};
    disc.disc_seconds = 742;

    Clock::duration query_time{}, bare_time{};
    int found = 0, bare_ok = 0;
    for (int i = 0; i < rounds; ++i) {
        // Alternate the two, so that both see the same machine load.
        DeleteFileA("brd.bdb");
        const QueryJob job{record, line_locks, DuplicateOf(query_lock.get()),
                           ServerEntry{"127.0.0.1", server.cddbp_port(), 1, std::nullopt, "CDDBP", "-"}};
        disc.loaded = 1;
        auto start = Clock::now();
        RunQueryJob(job);
        query_time += Clock::now() - start;
        MSG msg;
        while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE))
            if (msg.wParam == BRD_QUERY_NOTIFY && notification_code(msg.lParam) == 999) ++found;

        start = Clock::now();
        bare_ok += BareExchange(loopback, server.cddbp_port()) ? 1 : 0;
        bare_time += Clock::now() - start;
    }
    DeleteFileA("brd.bdb");
    SetCurrentDirectoryA(temp);
    RemoveDirectoryA(dir);

    const double query_ms = std::chrono::duration<double, std::milli>(query_time).count() / rounds;
    const double bare_ms = std::chrono::duration<double, std::milli>(bare_time).count() / rounds;
    std::printf("cddb query (CDDBP, exact match, read and store) through the query job: %.3f ms per query\n", query_ms);
    std::printf("bare TCP exchange (connect, banner, hello, query, read):           %.3f ms\n", bare_ms);
    std::printf("ratio: %.2f  (%d of %d queries found the disc, %d of %d bare exchanges whole)\n", query_ms / bare_ms,
                found, rounds, bare_ok, rounds);
    DestroyWindow(window);
    return found == rounds && bare_ok == rounds ? 0 : 1;
}
