#include "cddb/query_commands.h"

#include <algorithm>
#include <cstdio>

#include "brd_version.h"
#include "cddb/reply_reader.h"
#include "discinfo/disc_id.h"
#include "discinfo/entry_text.h"
#include "discinfo/xmcd_writer.h"

int protocol_of(std::string_view protocol_text) {
    return protocol_text.starts_with("HTTP") ? ProtocolHttp : ProtocolCddbp;
}

std::string client_name(const Text& name, size_t min_length) {
    if (!name || name->size() < min_length) return "unknown";
    std::string result = *name;
    for (char& c : result)
        if (c == ' ') c = '_';
    return result;
}

size_t request_reserve(int track_count) { return 7 * static_cast<size_t>(track_count > 0 ? track_count : 0) + 256; }

std::string query_command(uint32_t disc_id, const DiscRecord& disc, int protocol, std::string_view path) {
    const bool http = protocol == ProtocolHttp;
    const char separator = http ? '+' : ' ';
    std::string command;
    command.reserve(request_reserve(disc.track_count) + path.size());
    if (http) {
        command += "GET ";
        command += path;
        command += "?cmd=cddb+query+";
    } else {
        command += "cddb query ";
    }
    char id[9];
    std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(disc_id));
    command += id;
    command += separator;
    command += std::to_string(disc.track_count);
    command += separator;
    const int tracks = disc.track_count < 0 ? 0 : disc.track_count > kMaxTracks ? kMaxTracks : disc.track_count;
    for (int i = 0; i < tracks; ++i) {
        command += std::to_string(disc.toc[i].frame_offset);
        command += separator;
    }
    command += std::to_string(disc.disc_seconds);
    if (!http) command += '\n';
    return command;
}

std::string hello_command(const ClientNames& names) {
    return "cddb hello " + names.user + ' ' + names.host + " BrindleCD 1.0\n";
}

std::string http_hello_part(const ClientNames& names) {
    return "&hello=" + names.user + '+' + names.host + "+BrindleCD+1.0&proto=1";
}

std::string read_command(int protocol, std::string_view path, std::string_view category, std::string_view disc_id,
                         const ClientNames& names) {
    if (protocol != ProtocolHttp) return "cddb read " + std::string(category) + ' ' + std::string(disc_id) + '\n';
    return "GET " + std::string(path) + "?cmd=cddb+read+" + std::string(category) + '+' + std::string(disc_id) +
           http_hello_part(names);
}

std::string http_head(std::string_view request_line, std::string_view host, int port) {
    std::string head(request_line);
    head += " HTTP/1.0\r\nHost: ";
    head += host;
    if (port != 80) head += ':' + std::to_string(port);
    return head + "\r\nUser-Agent: BRD/" BRD_VERSION "\r\n";
}

std::string http_request(std::string_view get_line, const ServerEntry& server) {
    return http_head(get_line, server.host_name, server.port) + "\r\n";
}

std::string BuildQueryCommand(const DiscRecord& disc, int protocol, const ServerEntry& server) {
    return query_command(disc_id(disc), disc, protocol, server.path);
}

std::optional<MatchKey> picked_match(std::string_view reply, int line) {
    const Text category = category_word(reply, line);
    const Text id = disc_id_word(reply, line);
    if (!category || !id || !is_match_key(*category, *id)) return std::nullopt;
    return MatchKey{*category, *id};
}

bool is_match_key(std::string_view category, std::string_view disc_id) {
    return is_category(category) && disc_id.size() == 8 && std::all_of(disc_id.begin(), disc_id.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

bool storable_entry(std::string_view reply) {
    return reply_status(reply) == 210 && entry_fault(reply) == EntryFault::None &&
           is_category(category_word(reply, 1).value_or(""));
}
