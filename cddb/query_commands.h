#pragma once
// The lines a CDDB query sends, over CDDBP and over HTTP, and the names the
// client introduces itself with. Commands grow as they need to, so long
// paths and names never overrun anything.
#include <cstdint>
#include <string>
#include <string_view>

#include "cdaudio/disc_record.h"

enum QueryProtocol : int {
    ProtocolCddbp = 1,
    ProtocolHttp = 2,
};

// HTTP when the protocol text starts with "HTTP" (case-sensitive).
int protocol_of(std::string_view protocol_text);

// How the client names its user and host: every space becomes "_", and a
// name shorter than min_length (or none at all) becomes "unknown".
std::string client_name(const Text& name, size_t min_length);

struct ClientNames {
    std::string user;
    std::string host;
};

// The request buffer's starting size: 7 bytes per track plus 256.
size_t request_reserve(int track_count);

// "cddb query %08x %d <offsets> %d\n" for CDDBP; for HTTP the request line up
// to the disc length: "GET <path>?cmd=cddb+query+%08x+%d+<offsets+>%d".
std::string query_command(uint32_t disc_id, const DiscRecord& disc, int protocol, std::string_view path);
// "cddb hello <user> <host> BrindleCD 1.0\n"
std::string hello_command(const ClientNames& names);
// What an HTTP request line ends with: "&hello=<user>+<host>+BrindleCD+1.0&proto=1\n"
std::string http_hello_part(const ClientNames& names);
// "cddb read <category> <id>\n", or the HTTP request line with the hello part.
std::string read_command(int protocol, std::string_view path, std::string_view category, std::string_view disc_id,
                         const ClientNames& names);
