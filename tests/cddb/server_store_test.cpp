#include "cddb/server_store.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "base/registry.h"
#include "cddb/deployment.h"
#include "resources/resource.h"
#include "support/cddb_test_server.h"

namespace {

// Stands in for the CDDB Servers page: a window holding the list control.
struct ServersPage {
    HWND page = CreateWindowExA(0, "STATIC", "page", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr), list;
    ServersPage() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 600, 300, page,
                               reinterpret_cast<HMENU>(IDC_SERVER_LIST), nullptr, nullptr);
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = 100;
        for (column.iSubItem = 0; column.iSubItem < kServerColumns; ++column.iSubItem)
            ListView_InsertColumn(list, column.iSubItem, &column);
    }
    ~ServersPage() { DestroyWindow(page); }
};

RegKey ServersKey() { return std::move(CreateSoftwareSubkey(kServersKey).key); }

// The list in memory and in the registry (its count, then Server0 to Server4), as value texts.
std::string Listed(const std::vector<ServerEntry>& list) {
    std::string all;
    for (const ServerEntry& server : list) all += server_value(server) + '|';
    return all;
}
std::string Stored() {
    const RegKey key = ServersKey();
    std::string all = std::to_string(key.read_dword("NumServers").value_or(-1)) + '|';
    for (int i = 0; i < 5; ++i) all += key.read_string(("Server" + std::to_string(i)).c_str(), 100).value_or("-") + '|';
    return all;
}

class ServerStore : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brindle\\Servers");
        SetEnvironmentVariableA(kMainServerVariable, nullptr);
    }
};

TEST_F(ServerStore, TheListIsSavedFromThePageAndLoadedBackWhateverTheRegistryHolds) {
    std::vector<ServerEntry> list = LoadServerList();  // no "NumServers": the first run
    EXPECT_EQ(Listed(list), "gnudb.gnudb.org 8880 CDDBP - 1 .|");
    {
        RegKey key = ServersKey();
        key.write_dword("NumServers", 4);
        key.write_string("Server0", "a.example 888 CDDBP - 1 100 Main St. Springfield.");
        key.write_string("Server2", "c.example 80 HTTP /cgi 0 Far away.");
        // A value that does not fit its 100-byte buffer cannot be read.
        key.write_string("Server3", "long.example 888 CDDBP - 0 " + std::string(200, 'x') + ".");
    }
    list = LoadServerList();
    EXPECT_EQ(Listed(list), "a.example 888 CDDBP - 1 100 Main St.|RegError 0   0 .|c.example 80 HTTP /cgi 0 Far away.|"
                        "RegError 0   0 .|");
    ServersPage page;
    AppendServerRow(page.list, {"cddb.example.org", "888", "CDDBP", "", "Somewhere"});
    AppendServerRow(page.list, {"host/~cddb/cddb.cgi", "80", "HTTP", "yes", ""});
    SaveServerList(page.page, list);
    const std::string saved = "cddb.example.org 888 CDDBP - 0 Somewhere.|host 80 HTTP /~cddb/cddb.cgi 1 .|";
    EXPECT_EQ(Stored(), "2|" + saved + "-|-|-|");
    EXPECT_EQ(Listed(list), saved);
    EXPECT_EQ(Listed(LoadServerList()), saved);  // at the next start
    SaveServerList(ServersPage().page, list);
    EXPECT_EQ(Stored(), "0|-|-|-|-|-|");
    EXPECT_EQ(Listed(list), "");
    EXPECT_EQ(Listed(LoadServerList()), "");  // emptied by the user, it stays empty
    ServersKey().write_string("NumServers", "2");
    EXPECT_EQ(Listed(LoadServerList()), "");  // a count that is no number counts 0
}

TEST_F(ServerStore, SitesComeFromTheMainServerOfTheEnvironmentOrTheRegistry) {
    CddbTestServer main, hangs_up, refuses;
    // The longest description a site line brings: the location gives way so the server survives a restart.
    main.add_site("gnudb.gnudb.org cddbp 8880 - N000.00 W000.00 Random gnudb server " + std::string(150, 'x'));
    main.add_site("gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Random gnudb server");
    hangs_up.reply("proto", {hang_up()});
    refuses.reply("sites", {say("500 Unrecognized command.\r\n")});
    auto at = [](const CddbTestServer& s) { return "127.0.0.1:" + std::to_string(s.cddbp_port()); };
    ServersKey().write_string(kMainServerValue, at(main));
    const auto fetch = [] { return RetrieveSites(MainCddbServer(), Exchange{60000}); };
    const Text sites = fetch();
    ASSERT_TRUE(sites);
    for (int i = 0; i < 1000 && main.received().size() < 3; ++i) Sleep(10);  // "quit" goes out as the client leaves
    EXPECT_EQ(main.received(), (std::vector<std::string>{"proto 3", "sites", "quit"}));
    ServersPage page;
    for (int fetched = 0; fetched < 2; ++fetched)  // fetched twice, listed once
        for (const ServerRow& row : SiteRows(page.page, fetched ? *fetch() : *sites)) AppendServerRow(page.list, row);
    std::vector<ServerEntry> list;
    SaveServerList(page.page, list);
    EXPECT_EQ(Stored(), "2|gnudb.gnudb.org 8880 CDDBP - 1 Random gnudb server " + std::string(47, 'x') + ".|"
                        "gnudb.gnudb.org 80 HTTP /~cddb/cddb.cgi 0 Random gnudb server.|-|-|-|");
    // The environment's main server comes before the registry's; a refused "sites" is still a reply.
    const std::pair<std::string, bool> mains[] = {
        {"127.0.0.1:" + std::to_string(CddbTestServer().cddbp_port()), false}, {at(hangs_up), false}, {at(refuses), true}};
    for (const auto& [setting, replies] : mains) {
        SetEnvironmentVariableA(kMainServerVariable, setting.c_str());
        EXPECT_EQ(fetch().has_value(), replies) << setting;
    }
    EXPECT_EQ(hangs_up.received(), std::vector<std::string>{"proto 3"});
}

}  // namespace
