#include "cddb/server_list.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "cddb/ascii_case.h"
#include "cddb/deployment.h"
#include "cddb/net_socket.h"
#include "cddb/tokens.h"
#include "discinfo/entry_text.h"

std::string server_value(const ServerEntry& server) {
    std::string value = server.host_name + ' ' + std::to_string(server.port) + ' ' + server.protocol + ' ' +
                        server.path + ' ' + std::to_string(server.default_flag) + ' ';
    // The location gives way so that the value fits the buffer it is read
    // back into; a server that does not fit even so is never added.
    const size_t room = kServerValueBuffer - 2;  // the full stop and the terminating zero
    value += server.location.value_or("").substr(0, room > value.size() ? room - value.size() : 0);
    return value + '.';
}

bool server_value_fits(const ServerEntry& server) { return server_value(server).size() < kServerValueBuffer; }

ServerEntry parse_server_value(std::string_view value) {
    ServerEntry server;
    Tokens tokens{value};
    auto text = [](std::optional<std::string_view> token) { return std::string(token.value_or("")); };
    server.host_name = text(tokens.next(" "));
    server.port = leading_int(text(tokens.next(" ")));
    server.protocol = text(tokens.next(" "));
    server.path = text(tokens.next(" "));
    server.default_flag = leading_int(text(tokens.next(" ")));
    if (auto location = tokens.next(".")) server.location = std::string(*location);
    return server;
}

namespace {
bool Readable(const ServerEntry& s) { return s.host_name != kRegErrorHost; }
}  // namespace

std::optional<ServerEntry> ChooseServer(std::vector<ServerEntry>& list) {
    auto chosen = std::find_if(list.begin(), list.end(),
                               [](const ServerEntry& s) { return Readable(s) && s.default_flag != 0; });
    if (chosen == list.end()) {
        chosen = std::find_if(list.begin(), list.end(), Readable);
        if (chosen == list.end()) return std::nullopt;
        chosen->default_flag = 1;
    }
    ServerEntry server;
    server.host_name = chosen->host_name;
    server.port = chosen->port;
    server.path = chosen->path;
    server.protocol = chosen->protocol;
    return server;
}

ServerEntry server_from_row(const ServerRow& row) {
    ServerEntry server;
    server.port = leading_int(row.port);
    server.protocol = row.protocol;
    if (row.protocol != "HTTP") {
        server.host_name = row.name;
        server.path = std::string(1, '-');  // not = "-": GCC 12 -O3 warns falsely (-Wrestrict)
    } else {
        // An HTTP name without a "/" keeps its whole text as the host and
        // asks for the server's root, so nothing the user typed is lost.
        const size_t slash = row.name.find('/');
        std::string host = row.name.substr(0, slash);
        host.erase(host.find_last_not_of(' ') + 1);
        std::string after = slash == std::string::npos ? std::string() : row.name.substr(slash + 1);
        after.erase(0, after.find_first_not_of(' '));
        server.host_name = host;
        server.path = "/" + after;
    }
    server.default_flag = row.default_mark == "yes" ? 1 : 0;
    server.location = row.location;
    return server;
}

ServerRow row_from_server(const ServerEntry& server) {
    ServerRow row;
    row.name = server.protocol == "HTTP" ? server.host_name + server.path : server.host_name;
    row.port = std::to_string(server.port).substr(0, 5);
    row.protocol = server.protocol;
    row.default_mark = server.default_flag ? "yes" : "";
    row.location = server.location.value_or("");
    return row;
}

std::optional<int> port_from_text(std::string_view text) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), digit)) return std::nullopt;
    const int port = leading_int(text);
    return valid_port(port) ? std::optional<int>(port) : std::nullopt;
}

bool valid_server_name(std::string_view name) {
    return !name.empty() && name.front() != '/' &&
           std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::vector<ServerRow> rows_from_sites(const std::vector<ServerRow>& listed, std::string_view reply) {
    // A row is listed under its protocol, port and lower-case name; the names
    // that begin with a host follow it at once in this order.
    std::set<std::tuple<std::string, std::string, std::string>> known;
    const auto add_known = [&](const ServerRow& row) { known.emplace(row.protocol, row.port, lower(row.name)); };
    const auto is_listed = [&](const ServerRow& site, std::string_view host) {
        const auto next = known.lower_bound({site.protocol, site.port, lower(host)});
        return next != known.end() && std::get<0>(*next) == site.protocol && std::get<1>(*next) == site.port &&
               std::get<2>(*next).starts_with(lower(host));
    };
    std::for_each(listed.begin(), listed.end(), add_known);
    std::vector<ServerRow> added;
    Tokens tokens{reply};
    tokens.next("\r");  // the status line
    for (;;) {
        // The host token starts with the line feed that ended the line before;
        // the terminating "." line ends the list, and so does a reply that
        // runs out of tokens before a whole site line.
        const auto host_token = tokens.next(" ");
        if (!host_token || host_token->find("\n.") != std::string_view::npos) break;
        const auto protocol = tokens.next(" ");
        const auto port = tokens.next(" ");
        const auto address = tokens.next(" ");
        tokens.next(" ");  // latitude
        tokens.next(" ");  // longitude
        const auto description = tokens.next("\r");
        if (!description) break;  // tokens run out in order: the ones before are there too

        std::string_view host = *host_token;
        if (!host.empty() && host.front() == '\n') host.remove_prefix(1);
        ServerRow row;
        row.protocol = upper(protocol->substr(0, 6));
        row.port = std::string(port->substr(0, 6));
        row.location = std::string(description->substr(0, 100));
        // A line without a host (or with a blank in it) would be stored as a
        // value that reads back with its fields shifted.
        if (row.protocol == "SMTP" || !valid_port(leading_int(row.port)) || !valid_server_name(host) ||
            is_listed(row, host))
            continue;
        row.name = std::string(host);
        if (row.protocol == "HTTP") row.name += *address;
        // A server whose name would not fit its registry value is not added:
        // a cut name would not work, and an uncut one would be lost at restart.
        if (!server_value_fits(server_from_row(row))) continue;
        if (listed.empty() && added.empty()) row.default_mark = "yes";
        add_known(row);
        added.push_back(std::move(row));
    }
    return added;
}

std::optional<HostPort> parse_host_port(std::string_view text, int default_port) {
    const size_t colon = text.rfind(':');
    HostPort result;
    result.host = std::string(text.substr(0, colon));
    result.port = default_port;
    if (colon != std::string_view::npos) {
        const std::optional<int> port = port_from_text(text.substr(colon + 1));
        if (!port) return std::nullopt;
        result.port = *port;
    }
    if (result.host.empty() || result.host.find(' ') != std::string::npos || !valid_port(result.port))
        return std::nullopt;
    return result;
}

HostPort main_server(const Text& environment, const Text& registry) {
    const HostPort built_in = *parse_host_port(kMainServer, 0);
    for (const Text& setting : {environment, registry})
        if (setting)
            if (auto chosen = parse_host_port(*setting, built_in.port)) return *chosen;
    return built_in;
}
