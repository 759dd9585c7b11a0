#include "cddb/server_list.h"

#include <gtest/gtest.h>

namespace {

ServerRow row(std::string name, std::string port, std::string protocol, std::string mark = "",
              std::string location = "") {
    return {std::move(name), std::move(port), std::move(protocol), std::move(mark), std::move(location)};
}

TEST(ServerValue, WrittenAndReadBack) {
    ServerEntry s{"cddb.example.org", 888, 1, std::string("Somewhere"), "CDDBP", "-"};
    EXPECT_EQ(server_value(s), "cddb.example.org 888 CDDBP - 1 Somewhere.");
    const ServerEntry back = parse_server_value(server_value(s));
    EXPECT_EQ(back.host_name, "cddb.example.org");
    EXPECT_EQ(back.port, 888);
    EXPECT_EQ(back.protocol, "CDDBP");
    EXPECT_EQ(back.path, "-");
    EXPECT_EQ(back.default_flag, 1);
    EXPECT_EQ(back.location, "Somewhere");

    // A location with spaces survives, one with a full stop ends there.
    EXPECT_EQ(parse_server_value("h 80 HTTP /~cddb/cddb.cgi 0 San Jose, CA USA.").location, "San Jose, CA USA");
    EXPECT_EQ(parse_server_value("h 888 CDDBP - 0 100 Main St. Springfield.").location, "100 Main St");
}

TEST(ServerValue, MissingFieldsStayEmpty) {
    ServerEntry no_location{"h", 8880, 0, std::nullopt, "CDDBP", "-"};
    EXPECT_EQ(server_value(no_location), "h 8880 CDDBP - 0 .");
    EXPECT_FALSE(parse_server_value(server_value(no_location)).location);

    const ServerEntry short_value = parse_server_value("  lonely.host   888");
    EXPECT_EQ(short_value.host_name, "lonely.host");
    EXPECT_EQ(short_value.port, 888);
    EXPECT_EQ(short_value.protocol, "");
    EXPECT_EQ(short_value.path, "");
    EXPECT_EQ(short_value.default_flag, 0);
    EXPECT_FALSE(short_value.location);

    EXPECT_EQ(parse_server_value("").host_name, "");
    EXPECT_EQ(parse_server_value("h port CDDBP").port, 0);
}

TEST(ServerRows, HttpNamesSplitIntoHostAndPath) {
    const ServerEntry http = server_from_row(row("host/~cddb/cddb.cgi", "80", "HTTP", "yes", "Here"));
    EXPECT_EQ(http.host_name, "host");
    EXPECT_EQ(http.path, "/~cddb/cddb.cgi");
    EXPECT_EQ(http.port, 80);
    EXPECT_EQ(http.default_flag, 1);
    EXPECT_EQ(http.location, "Here");
    EXPECT_EQ(row_from_server(http).name, "host/~cddb/cddb.cgi");

    const ServerEntry spaced = server_from_row(row("host  /  cgi", "80", "HTTP"));
    EXPECT_EQ(spaced.host_name, "host");
    EXPECT_EQ(spaced.path, "/cgi");

    const ServerEntry cddbp = server_from_row(row("host/not/a/path", "888", "CDDBP", "no"));
    EXPECT_EQ(cddbp.host_name, "host/not/a/path");
    EXPECT_EQ(cddbp.path, "-");
    EXPECT_EQ(cddbp.default_flag, 0);
    EXPECT_EQ(row_from_server(cddbp).name, "host/not/a/path");

    // Without a "/" the whole name stays the host, which then asks for "/".
    const ServerEntry bare = server_from_row(row("bare.host", "80", "HTTP"));
    EXPECT_EQ(bare.host_name, "bare.host");
    EXPECT_EQ(bare.path, "/");
}

const char kSites[] =
    "210 OK, site information follows (until terminating `.')\r\n"
    "gnudb.gnudb.org cddbp 8880 - N000.00 W000.00 Random gnudb server\r\n"
    "gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Random gnudb server\r\n"
    "mail.gnudb.org smtp 25 - N000.00 W000.00 Submissions. By mail\r\n"
    ".\r\n";

TEST(Sites, EachProtocolOfAHostIsOneRowAndRefetchingAddsNone) {
    const auto added = rows_from_sites({}, kSites);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].name, "gnudb.gnudb.org");
    EXPECT_EQ(added[0].port, "8880");
    EXPECT_EQ(added[0].protocol, "CDDBP");
    EXPECT_EQ(added[0].default_mark, "yes");
    EXPECT_EQ(added[0].location, "Random gnudb server");
    EXPECT_EQ(added[1].name, "gnudb.gnudb.org/~cddb/cddb.cgi");
    EXPECT_EQ(added[1].port, "80");
    EXPECT_EQ(added[1].protocol, "HTTP");
    EXPECT_EQ(added[1].default_mark, "");

    EXPECT_TRUE(rows_from_sites(added, kSites).empty());
}

TEST(Sites, DuplicatesNeedTheSamePortAndProtocolAndMatchNamesByPrefix) {
    const std::vector<ServerRow> listed{row("GNUDB.gnudb.org.mirror", "8880", "CDDBP", "yes")};
    const auto added = rows_from_sites(listed, kSites);
    ASSERT_EQ(added.size(), 1u);  // the CDDBP site counts as listed
    EXPECT_EQ(added[0].protocol, "HTTP");
    EXPECT_EQ(added[0].default_mark, "");  // the list had rows already

    const std::vector<ServerRow> other_port{row("gnudb.gnudb.org", "888", "CDDBP")};
    EXPECT_EQ(rows_from_sites(other_port, kSites).size(), 2u);

    // A reply that lists one site twice adds it once.
    const std::string twice = std::string("210 ok\r\n") + "a.org cddbp 888 - N0 W0 One\r\n" +
                              "a.org CDDBP 888 - N0 W0 Again\r\n.\r\n";
    EXPECT_EQ(rows_from_sites({}, twice).size(), 1u);
}

TEST(Sites, RepliesWithoutSiteLinesAddNothing) {
    EXPECT_TRUE(rows_from_sites({}, "500 Unrecognized command.\r\n").empty());
    EXPECT_TRUE(rows_from_sites({}, "210 OK\r\n.\r\n").empty());
    EXPECT_TRUE(rows_from_sites({}, "").empty());
    // A reply cut inside a site line adds the whole lines before it only.
    const auto cut = rows_from_sites({}, "210 OK\r\na.org cddbp 888 - N0 W0 One\r\nb.org cddbp 888");
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].name, "a.org");
}

TEST(Sites, FieldsAreCutToTheirSizes) {
    const std::string reply = "210 OK\r\nh.org cddbpxyz 1234567 - N0 W0 " + std::string(150, 'd') + "\r\n.\r\n";
    const auto added = rows_from_sites({}, reply);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].protocol, "CDDBPX");
    EXPECT_EQ(added[0].port, "123456");
    EXPECT_EQ(added[0].location, std::string(100, 'd'));

    // An HTTP name that cannot fit its buffer is not added at all.
    const std::string long_path = "210 OK\r\nh.org http 80 /" + std::string(200, 'p') + " N0 W0 Far\r\n.\r\n";
    EXPECT_TRUE(rows_from_sites({}, long_path).empty());
    const std::string fits = "210 OK\r\nh.org http 80 /" + std::string(124, 'p') + " N0 W0 Near\r\n.\r\n";
    ASSERT_EQ(rows_from_sites({}, fits).size(), 1u);
    EXPECT_EQ(rows_from_sites({}, fits)[0].name.size(), 130u);
}

TEST(MainServer, HostAndPortTravelTogether) {
    auto parsed = parse_host_port("gnudb.gnudb.org:8880", 888);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->host, "gnudb.gnudb.org");
    EXPECT_EQ(parsed->port, 8880);
    EXPECT_EQ(parse_host_port("127.0.0.1", 888)->port, 888);
    EXPECT_FALSE(parse_host_port("", 888));
    EXPECT_FALSE(parse_host_port(":888", 888));
    EXPECT_FALSE(parse_host_port("host:", 888));
    EXPECT_FALSE(parse_host_port("host:99999", 888));
    EXPECT_FALSE(parse_host_port("host:8x", 888));
    EXPECT_FALSE(parse_host_port("two words:888", 888));
}

TEST(MainServer, TheEnvironmentThenTheRegistryThenTheBuiltInOne) {
    HostPort chosen = main_server(std::nullopt, std::nullopt);
    EXPECT_EQ(chosen.host, "gnudb.gnudb.org");
    EXPECT_EQ(chosen.port, 8880);
    chosen = main_server(std::string("127.0.0.1:4321"), std::string("cddb.local:888"));
    EXPECT_EQ(chosen.host, "127.0.0.1");
    EXPECT_EQ(chosen.port, 4321);
    chosen = main_server(std::string("bad:port"), std::string("cddb.local"));
    EXPECT_EQ(chosen.host, "cddb.local");
    EXPECT_EQ(chosen.port, 8880);  // the built-in port
    EXPECT_EQ(main_server(std::string(""), std::string("x y")).host, "gnudb.gnudb.org");
}

}  // namespace
