// The lists a CDDB server or the registry hands over, from the same bytes: a
// "211" reply's match lines, a "sites" reply's site lines and a "Server%d"
// value. Every row stays within its reply; every site added is stored as a
// value that reads back the same, and is not added twice.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cddb/match_list.h"
#include "cddb/net_socket.h"
#include "cddb/server_list.h"
#include "discinfo/entry_text.h"

namespace {

void match_list(std::string_view reply) {
    const auto within = [&](std::string_view part) {
        return part.data() >= reply.data() && part.data() + part.size() <= reply.data() + reply.size() &&
               part.find('\n') == std::string_view::npos;
    };
    for (const MatchRow& row : match_rows(reply))
        if (!within(row.title) || !within(row.category) || !within(row.disc_id) || row.title.size() > kMaxTitle)
            std::abort();
}

// The value written for an entry reads back as the entry, its location cut
// at a full stop at most, and reads back so again.
bool reads_back(const ServerEntry& server) {
    const ServerEntry read = parse_server_value(server_value(server));
    return read.host_name == server.host_name && read.port == server.port && read.protocol == server.protocol &&
           read.path == server.path && read.default_flag == server.default_flag &&
           (!read.location || server.location.value_or("").find(*read.location) != std::string::npos) &&
           parse_server_value(server_value(read)).location == read.location;
}

void sites(std::string_view reply) {
    const std::vector<ServerRow> added = rows_from_sites({}, reply);
    for (size_t i = 0; i < added.size(); ++i) {
        const ServerEntry server = server_from_row(added[i]);
        if (!valid_port(server.port) || server.protocol == "SMTP" || !server_value_fits(server) || !reads_back(server) ||
            (added[i].default_mark == "yes") != (i == 0))
            std::abort();
    }
    if (!rows_from_sites(added, reply).empty()) std::abort();
}

// A value as another version or a registry editor may leave it: what it reads
// as is written back and read again the same, where it fits its buffer.
void server_value_text(std::string_view value) {
    const ServerEntry server = parse_server_value(value);
    const bool whole = !server.host_name.empty() && !server.protocol.empty() && !server.path.empty();
    if (whole && server_value_fits(server) && !reads_back(server)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    match_list(text);
    sites(text);
    server_value_text(text);
    return 0;
}
