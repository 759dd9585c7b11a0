#include "cddb/server_list.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerValue, WrittenAndReadBack) {
    EXPECT_EQ(server_value({"cddb.example.org", 888, 1, std::string("Somewhere"), "CDDBP", "-"}),
              "cddb.example.org 888 CDDBP - 1 Somewhere.");
    // A location keeps its spaces and ends at its first full stop; missing fields stay empty or 0.
    const std::pair<const char*, const char*> values[] = {
        {"h 80 HTTP /~cddb/cddb.cgi 0 San Jose, CA USA.", "h 80 HTTP /~cddb/cddb.cgi 0 San Jose, CA USA."},
        {"h 888 CDDBP - 1 100 Main St. Springfield.", "h 888 CDDBP - 1 100 Main St."},
        {"  lonely.host   888", "lonely.host 888   0 ."},
        {"h port CDDBP", "h 0 CDDBP  0 ."},
        {"", " 0   0 ."},
    };
    for (const auto& [value, back] : values) EXPECT_EQ(server_value(parse_server_value(value)), back) << value;
    EXPECT_FALSE(parse_server_value("h 8880 CDDBP - 0 .").location);
}

TEST(ServerRows, HttpNamesSplitIntoHostAndPath) {
    const std::tuple<ServerRow, const char*, const char*, const char*> rows[] = {
        {{"host/~cddb/cddb.cgi", "80", "HTTP", "yes", "Here"}, "host", "/~cddb/cddb.cgi", "host/~cddb/cddb.cgi"},
        {{"host  /  cgi", "80", "HTTP", "", ""}, "host", "/cgi", "host/cgi"},
        {{"host/not/a/path", "888", "CDDBP", "no", ""}, "host/not/a/path", "-", "host/not/a/path"},
        {{"bare.host", "80", "HTTP", "", ""}, "bare.host", "/", "bare.host/"},  // nothing typed is lost
    };
    for (const auto& [row, host, path, name_back] : rows) {
        const ServerEntry server = server_from_row(row);
        EXPECT_EQ(server.host_name, host);
        EXPECT_EQ(server.path, path);
        EXPECT_EQ(server.port, std::stoi(row.port));
        EXPECT_EQ(server.default_flag, row.default_mark == "yes" ? 1 : 0);
        EXPECT_EQ(server.location, row.location);
        EXPECT_EQ(row_from_server(server).name, name_back);
    }
}

std::string sites(const std::string& lines) {
    return "210 OK, site information follows (until terminating `.')\r\n" + lines + ".\r\n";
}
const std::string kGnudb = sites(
    "gnudb.gnudb.org cddbp 8880 - N000.00 W000.00 Random gnudb server\r\n"
    "gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Random gnudb server\r\n"
    "mail.gnudb.org smtp 25 - N000.00 W000.00 Submissions. By mail\r\n");

std::string rows_text(const std::vector<ServerRow>& rows) {
    std::string all;
    for (const ServerRow& r : rows) all += r.name + ' ' + r.port + ' ' + r.protocol + ' ' + r.default_mark + ' ' + r.location + '|';
    return all;
}

TEST(Sites, NewSiteLinesAreRowsAndTheFirstOfAnEmptyListIsTheDefault) {
    const std::string both = "gnudb.gnudb.org 8880 CDDBP yes Random gnudb server|"
                             "gnudb.gnudb.org/~cddb/cddb.cgi 80 HTTP  Random gnudb server|";
    const std::string http = "gnudb.gnudb.org/~cddb/cddb.cgi 80 HTTP  Random gnudb server|";
    const std::string path = "/" + std::string(124, 'p');
    const std::tuple<std::vector<ServerRow>, std::string, std::string> cases[] = {
        {{}, kGnudb, both},
        {rows_from_sites({}, kGnudb), kGnudb, ""},
        // Listed means the same port and protocol and a name the host begins.
        {{{"GNUDB.gnudb.org.mirror", "8880", "CDDBP", "yes", ""}}, kGnudb, http},
        {{{"gnudb.gnudb.org", "888", "CDDBP", "", ""}}, kGnudb, "gnudb.gnudb.org 8880 CDDBP  Random gnudb server|" + http},
        {{}, sites("a.org cddbp 888 - N0 W0 One\r\na.org CDDBP 888 - N0 W0 Again\r\n"), "a.org 888 CDDBP yes One|"},
        // Whole site lines only.
        {{}, "500 Unrecognized command.\r\n", ""},
        {{}, sites(""), ""},
        {{}, "", ""},
        {{}, "210 OK\r\na.org cddbp 888 - N0 W0 One\r\nb.org cddbp 888", "a.org 888 CDDBP yes One|"},
        // Fields are cut; an HTTP name built behind the line feed in 132 bytes fits or is not added.
        {{}, sites("h.org cddbpxyz 1234567 - N0 W0 " + std::string(150, 'd') + "\r\n"),
         "h.org 123456 CDDBPX yes " + std::string(100, 'd') + "|"},
        {{}, sites("h.org http 80 " + path + " N0 W0 Near\r\n"), "h.org" + path + " 80 HTTP yes Near|"},
        {{}, sites("h.org http 80 " + path + "p N0 W0 Far\r\n"), ""},
    };
    for (const auto& [listed, reply, added] : cases) EXPECT_EQ(rows_text(rows_from_sites(listed, reply)), added) << reply;
}

TEST(MainServer, HostAndPortFromTheEnvironmentThenTheRegistryThenTheBuiltInOne) {
    const std::pair<const char*, const char*> texts[] = {
        {"gnudb.gnudb.org:8880", "gnudb.gnudb.org:8880"}, {"127.0.0.1", "127.0.0.1:888"}, {"", "-"},
        {":888", "-"}, {"host:", "-"}, {"host:99999", "-"}, {"host:8x", "-"}, {"two words:888", "-"}};
    for (const auto& [text, parsed] : texts) {
        const auto hp = parse_host_port(text, 888);
        EXPECT_EQ(hp ? hp->host + ':' + std::to_string(hp->port) : "-", parsed) << text;
    }
    const std::tuple<Text, Text, const char*> settings[] = {
        {std::nullopt, std::nullopt, "gnudb.gnudb.org:8880"},
        {"127.0.0.1:4321", "cddb.local:888", "127.0.0.1:4321"},
        {"bad:port", "cddb.local", "cddb.local:8880"},  // the built-in port
        {"", "x y", "gnudb.gnudb.org:8880"},
    };
    for (const auto& [environment, registry, chosen] : settings) {
        const HostPort hp = main_server(environment, registry);
        EXPECT_EQ(hp.host + ':' + std::to_string(hp.port), chosen);
    }
}

}  // namespace
