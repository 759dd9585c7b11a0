#include "cddb/server_list.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerValue, WrittenReadBackAndMadeFromThePagesRows) {
    // A location keeps its spaces and ends at its first full stop; missing fields stay empty or 0.
    const std::pair<const char*, const char*> values[] = {
        {"h 80 HTTP /~cddb/cddb.cgi 0 San Jose, CA USA.", "h 80 HTTP /~cddb/cddb.cgi 0 San Jose, CA USA."},
        {"h 888 CDDBP - 1 100 Main St. Springfield.", "h 888 CDDBP - 1 100 Main St."},
        {"  lonely.host   888", "lonely.host 888   0 ."}, {"h port CDDBP", "h 0 CDDBP  0 ."}, {"", " 0   0 ."}};
    for (const auto& [value, back] : values) EXPECT_EQ(server_value(parse_server_value(value)), back) << value;
    EXPECT_FALSE(parse_server_value("h 8880 CDDBP - 0 .").location);
    // The page's rows: HTTP names split into host and path.
    const std::tuple<ServerRow, const char*, const char*> rows[] = {
        {{"host/~cddb/cddb.cgi", "80", "HTTP", "yes", "Here"}, "host 80 HTTP /~cddb/cddb.cgi 1 Here.", "host/~cddb/cddb.cgi"},
        {{"host  /  cgi", "80", "HTTP", "", ""}, "host 80 HTTP /cgi 0 .", "host/cgi"},
        {{"host/not/a/path", "888", "CDDBP", "no", ""}, "host/not/a/path 888 CDDBP - 0 .", "host/not/a/path"},
        {{"bare.host", "80", "HTTP", "", ""}, "bare.host 80 HTTP / 0 .", "bare.host/"}};  // nothing typed is lost
    for (const auto& [row, value, name_back] : rows) {
        EXPECT_EQ(server_value(server_from_row(row)), value);
        EXPECT_EQ(row_from_server(server_from_row(row)).name, name_back);
    }
}

TEST(ChooseServer, TheFirstDefaultElseTheFirstReadableWhichBecomesTheDefault) {
    auto at = [](const char* host, int flag) { return ServerEntry{host, 888, flag, {}, "CDDBP", "-"}; };
    const std::tuple<std::vector<ServerEntry>, const char*, const char*> cases[] = {  // the flags afterwards
        {{at(kRegErrorHost, 0), at("a", 0), at("b", 0)}, "a", "010"}, {{at("a", 0), at("b", 1), at("c", 1)}, "b", "011"},
        {{at(kRegErrorHost, 1), at("a", 0)}, "a", "11"}, {{at(kRegErrorHost, 0)}, "-", "0"}, {{}, "-", ""}};
    for (auto [list, chosen, flags] : cases) {
        const auto server = ChooseServer(list);
        std::string after;
        for (const ServerEntry& s : list) after += std::to_string(s.default_flag);
        EXPECT_EQ((server ? server->host_name : "-") + ' ' + after, chosen + (' ' + std::string(flags)));
    }
}

std::string sites(const std::string& lines) {
    return "210 OK, site information follows (until terminating `.')\r\n" + lines + ".\r\n";
}

TEST(Sites, NewSiteLinesAreRowsAndTheFirstOfAnEmptyListIsTheDefault) {
    const std::string gnudb = sites("gnudb.gnudb.org cddbp 8880 - N000.00 W000.00 Random gnudb server\r\n"
                                    "gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Random gnudb server\r\n"
                                    "mail.gnudb.org smtp 25 - N000.00 W000.00 Submissions. By mail\r\n");
    const std::string http = "gnudb.gnudb.org/~cddb/cddb.cgi 80 HTTP  Random gnudb server|",
                      path = std::string("/").append(80, 'p');
    const std::tuple<std::vector<ServerRow>, std::string, std::string> cases[] = {
        {{}, gnudb, "gnudb.gnudb.org 8880 CDDBP yes Random gnudb server|" + http},
        {rows_from_sites({}, gnudb), gnudb, ""},
        // Listed means the same port and protocol and a name the host begins.
        {{{"GNUDB.gnudb.org.mirror", "8880", "CDDBP", "yes", ""}}, gnudb, http},
        {{{"gnudb.gnudb.org", "888", "CDDBP", "", ""}}, gnudb, "gnudb.gnudb.org 8880 CDDBP  Random gnudb server|" + http},
        {{}, sites("a.org cddbp 888 - N0 W0 One\r\na.org CDDBP 888 - N0 W0 Again\r\n"), "a.org 888 CDDBP yes One|"},
        // Whole site lines only.
        {{}, "500 Unrecognized command.\r\n", ""}, {{}, sites(""), ""}, {{}, "", ""},
        {{}, "210 OK\r\na.org cddbp 888 - N0 W0 One\r\nb.org cddbp 888", "a.org 888 CDDBP yes One|"},
        // Fields are cut; a port outside 1 to 65535 or a server whose registry value cannot fit 99 characters,
        // whatever its location, is not added.
        {{}, sites("h.org cddbpxyz 65535 - N0 W0 " + std::string(150, 'd') + "\r\n"),
         "h.org 65535 CDDBPX yes " + std::string(100, 'd') + "|"},
        {{}, sites("h.org cddbp 1234567 - N0 W0 D\r\nh.org cddbp 0 - N0 W0 D\r\nh.org cddbp -1 - N0 W0 D\r\n"), ""},
        {{}, sites(" cddbp 888 - N0 W0 No host\r\n"), ""},  // its value would read back as host "888"
        {{}, sites("h.org http 80 " + path + " N0 W0 Near\r\n"), "h.org" + path + " 80 HTTP yes Near|"},
        {{}, sites("h.org http 80 " + path + "p N0 W0 Far\r\n"), ""}};
    for (const auto& [listed, reply, added] : cases) {
        std::string all;
        for (const ServerRow& r : rows_from_sites(listed, reply))
            all += r.name + ' ' + r.port + ' ' + r.protocol + ' ' + r.default_mark + ' ' + r.location + '|';
        EXPECT_EQ(all, added) << reply;
    }
}

TEST(MainServer, HostAndPortFromTheEnvironmentThenTheRegistryThenTheBuiltInOne) {
    const std::tuple<Text, Text, const char*> settings[] = {
        {std::nullopt, std::nullopt, "gnudb.gnudb.org:8880"}, {"127.0.0.1:4321", "cddb.local:888", "127.0.0.1:4321"},
        {"bad:port", "cddb.local", "cddb.local:8880"},  // the built-in port
        {"127.0.0.1", std::nullopt, "127.0.0.1:8880"}, {"", "x y", "gnudb.gnudb.org:8880"},
        {":888", "host:", "gnudb.gnudb.org:8880"}, {"host:99999", "host:8x", "gnudb.gnudb.org:8880"},
        {"two words:888", std::nullopt, "gnudb.gnudb.org:8880"}};
    for (const auto& [environment, registry, chosen] : settings) {
        const HostPort hp = main_server(environment, registry);
        EXPECT_EQ(hp.host + ':' + std::to_string(hp.port), chosen) << environment.value_or("-") << registry.value_or("-");
    }
}

}  // namespace
