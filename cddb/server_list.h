#pragma once
// The CDDB servers the user can query: the Server entry, its registry form,
// the rows of the CDDB Servers page and the merge of a "sites" reply.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cdaudio/disc_record.h"

struct ServerEntry {
    std::string host_name;
    int32_t port = 0;
    int32_t default_flag = 0;
    Text location;
    std::string protocol;  // "CDDBP" or "HTTP"
    std::string path;      // HTTP: the CDDB program's path from "/"; CDDBP: "-"
};

// The host name of an entry whose registry value could not be read; the
// page hides such entries and its next apply drops them.
inline constexpr char kRegErrorHost[] = "RegError";
// A "Server%d" value is read into a buffer of this size.
inline constexpr size_t kServerValueBuffer = 100;

// "%s %d %s %s %d %s." of host, port, protocol, path, default flag, location,
// the location cut so that the value fits kServerValueBuffer.
std::string server_value(const ServerEntry& server);
// Whether the value fits even so: host, port, protocol and path are never cut.
bool server_value_fits(const ServerEntry& server);
// Reads a "Server%d" value back; missing fields stay empty or 0 and the
// location ends at its first full stop.
ServerEntry parse_server_value(std::string_view value);

// The server a query started from the player talks to: the first default
// entry of the list, else the first entry, which then becomes the default in
// memory. Entries whose registry value could not be read are hidden from the
// user, so they are never chosen either.
std::optional<ServerEntry> ChooseServer(std::vector<ServerEntry>& list);

// One row of the page's list: Server Name, Port, Protocol, Default, Location.
struct ServerRow {
    std::string name;
    std::string port;
    std::string protocol;
    std::string default_mark;  // "yes" or empty
    std::string location;
};
inline constexpr int kServerColumns = 5;

ServerEntry server_from_row(const ServerRow& row);
ServerRow row_from_server(const ServerEntry& server);

// A port typed as text: one to five digits and nothing else, 1 to 65535.
std::optional<int> port_from_text(std::string_view text);
// A Server Name the space-separated "Server%d" value gives back whole: no
// blank or control character, and a host before any "/".
bool valid_server_name(std::string_view name);

// The rows that a "sites" reply adds to the rows already listed: site lines
// in reply order, without SMTP sites, ports outside 1 to 65535, host names
// a Server Name could not hold (valid_server_name), servers whose
// registry value would not fit and duplicates of listed (or just added) rows;
// the first row added to an empty list is the default.
std::vector<ServerRow> rows_from_sites(const std::vector<ServerRow>& listed, std::string_view reply);

// A host and its port, as the main CDDB server of "sites" is configured.
struct HostPort {
    std::string host;
    int port = 0;
};
// "host:port" or "host" (which takes default_port); absent for an empty or
// malformed text.
std::optional<HostPort> parse_host_port(std::string_view text, int default_port);
// The main CDDB server of "sites": the environment's setting if it is well
// formed, else the registry's, else the built-in one (cddb/deployment.h). A
// setting without a port takes the built-in port.
HostPort main_server(const Text& environment, const Text& registry);
