#pragma once
// The lines a CDDB query sends, over CDDBP and over HTTP, and the names the
// client introduces itself with. Commands grow as they need to, so long
// paths and names never overrun anything.
#include <cstdint>
#include <string>
#include <string_view>

#include "cdaudio/disc_record.h"
#include "cddb/server_list.h"

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
// What an HTTP request's target ends with: "&hello=<user>+<host>+BrindleCD+1.0&proto=1"
std::string http_hello_part(const ClientNames& names);
// "cddb read <category> <id>\n", or for HTTP "GET <path>?cmd=cddb+read+..."
// with the hello part.
std::string read_command(int protocol, std::string_view path, std::string_view category, std::string_view disc_id,
                         const ClientNames& names);
// The head of an HTTP/1.0 request for a "<method> <target>" line: the
// version, the server's "Host" header (with its port unless it is 80), so that
// a virtual-hosted web server answers at once, and "User-Agent: BRD/<version>",
// so that the service knows its client. Header lines may follow.
std::string http_head(std::string_view request_line, std::string_view host, int port);
// The whole request for a "GET <target>" line: its head and the blank line.
std::string http_request(std::string_view get_line, const ServerEntry& server);

// The query command for the disc and the server: the disc id computed from
// the record's table of contents, then query_command.
std::string BuildQueryCommand(const DiscRecord& disc, int protocol, const ServerEntry& server);

// Category and disc id of a match: line 1 of a "200" reply, line k + 2 of a
// "211" reply for the chooser's row k.
struct MatchKey {
    std::string category;
    std::string disc_id;
};
// Absent when that line is not a match line (a "211" list without matches
// offers a row 0 that does not exist; a line may lack its spaces, a category
// may not be a word), so the query never reads past the reply or sends a
// made-up id.
std::optional<MatchKey> picked_match(std::string_view reply, int line);

// A match the query can read: a category word and 8 hexadecimal digits.
bool is_match_key(std::string_view category, std::string_view disc_id);

// Whether a "cddb read" reply that ended with its terminator line is an entry
// to store: "210" with a category word, and an entry text without a fault
// (entry_fault: a zero byte, no title, a title too long).
bool storable_entry(std::string_view reply);
