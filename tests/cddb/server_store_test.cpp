#include "cddb/server_store.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/player.h"
#include "base/registry.h"
#include "cddb/cddb_test_server.h"
#include "cddb/deployment.h"
#include "cddb/win_fixture.h"

namespace {

// Stands in for the CDDB Servers page: a window holding the list control.
class ServersPage {
    HWND page_;

public:
    ServersPage() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        page_ = CreateWindowExA(0, "STATIC", "page", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr);
        const HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 600, 300, page_,
                                          reinterpret_cast<HMENU>(IDC_SERVER_LIST), nullptr, nullptr);
        const char* names[] = {"Server Name", "Port", "Protocol", "Default", "Location"};
        for (int i = 0; i < 5; ++i) {
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.pszText = const_cast<char*>(names[i]);
            column.cx = 100;
            column.iSubItem = i;
            SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        }
    }
    ~ServersPage() { DestroyWindow(page_); }
    HWND get() const { return page_; }
    HWND list() const { return GetDlgItem(page_, IDC_SERVER_LIST); }
    void add(ServerRow row) { AppendServerRow(list(), row); }
    std::vector<ServerRow> rows() const { return ReadServerRows(list()); }
};

RegKey ServersKey() { return std::move(CreateSoftwareSubkey(kServersKey).key); }

class ServerStore : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteServersKey();
        Player.ServerList.clear();
        SetEnvironmentVariableA(kMainServerVariable, nullptr);
    }
    void TearDown() override {
        DeleteServersKey();
        SetEnvironmentVariableA(kMainServerVariable, nullptr);
    }
};

TEST_F(ServerStore, SavingFewerRowsDropsTheValuesBeyondThem) {
    {
        RegKey key = ServersKey();
        key.write_dword("NumServers", 5);
        for (int i = 0; i < 5; ++i)
            key.write_string(("Server" + std::to_string(i)).c_str(),
                             "old" + std::to_string(i) + ".example 888 CDDBP - 0 Old.");
    }
    LoadServerList();
    ASSERT_EQ(Player.ServerList.size(), 5u);
    EXPECT_EQ(Player.ServerList[4].host_name, "old4.example");

    ServersPage page;
    page.add({"cddb.example.org", "888", "CDDBP", "", "Somewhere"});
    page.add({"host/~cddb/cddb.cgi", "80", "HTTP", "yes", ""});
    SaveServerList(page.get());

    RegKey key = ServersKey();
    EXPECT_EQ(key.read_dword("NumServers"), 2);
    EXPECT_EQ(key.read_string("Server0", 100), "cddb.example.org 888 CDDBP - 0 Somewhere.");
    EXPECT_EQ(key.read_string("Server1", 100), "host 80 HTTP /~cddb/cddb.cgi 1 .");
    for (const char* gone : {"Server2", "Server3", "Server4"}) EXPECT_FALSE(key.read_string(gone, 100)) << gone;
    ASSERT_EQ(Player.ServerList.size(), 2u);
    EXPECT_EQ(Player.ServerList[1].host_name, "host");
    EXPECT_EQ(Player.ServerList[1].path, "/~cddb/cddb.cgi");
    EXPECT_EQ(Player.ServerList[1].default_flag, 1);

    // And back at the next start.
    Player.ServerList.clear();
    LoadServerList();
    ASSERT_EQ(Player.ServerList.size(), 2u);
    EXPECT_EQ(Player.ServerList[0].location, "Somewhere");
    EXPECT_EQ(Player.ServerList[1].path, "/~cddb/cddb.cgi");
    EXPECT_EQ(Player.ServerList[1].port, 80);

    // An empty page leaves no servers at all.
    ServersPage empty;
    SaveServerList(empty.get());
    EXPECT_EQ(ServersKey().read_dword("NumServers"), 0);
    EXPECT_FALSE(ServersKey().read_string("Server0", 100));
    EXPECT_TRUE(Player.ServerList.empty());
}

TEST_F(ServerStore, LoadingReadsWhatIsThereAndMarksWhatIsNot) {
    LoadServerList();  // no "NumServers"
    EXPECT_TRUE(Player.ServerList.empty());
    {
        RegKey key = ServersKey();
        key.write_dword("NumServers", 3);
        key.write_string("Server0", "a.example 888 CDDBP - 1 100 Main St. Springfield.");
        key.write_string("Server2", "c.example 80 HTTP /cgi 0 Far away.");
    }
    LoadServerList();
    ASSERT_EQ(Player.ServerList.size(), 3u);
    EXPECT_EQ(Player.ServerList[0].location, "100 Main St");
    EXPECT_EQ(Player.ServerList[0].default_flag, 1);
    EXPECT_EQ(Player.ServerList[1].host_name, kRegErrorHost);
    EXPECT_EQ(Player.ServerList[1].port, 0);
    EXPECT_EQ(Player.ServerList[2].path, "/cgi");
    EXPECT_EQ(Player.ServerList[2].location, "Far away");

    // A value that does not fit its 100-byte buffer cannot be read.
    ServersKey().write_string("Server0", "long.example 888 CDDBP - 0 " + std::string(200, 'x') + ".");
    LoadServerList();
    EXPECT_EQ(Player.ServerList[0].host_name, kRegErrorHost);
    EXPECT_EQ(Player.ServerList[2].host_name, "c.example");
}

TEST_F(ServerStore, SitesAreFetchedFromTheMainServerAndMergedOnce) {
    CddbTestServer main;
    main.add_site("gnudb.gnudb.org cddbp 8880 - N000.00 W000.00 Random gnudb server");
    main.add_site("gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Random gnudb server");
    main.add_site("gnudb.gnudb.org smtp 25 - N000.00 W000.00 Mail it");
    SetEnvironmentVariableA(kMainServerVariable, ("127.0.0.1:" + std::to_string(main.cddbp_port())).c_str());

    const Text sites = RetrieveSites();
    ASSERT_TRUE(sites);
    EXPECT_TRUE(sites->starts_with("210 "));
    // "quit" goes out as the client leaves; give the server a moment to read it.
    for (int i = 0; i < 100 && main.received().size() < 3; ++i) Sleep(20);
    EXPECT_EQ(main.received(), (std::vector<std::string>{"proto 3", "sites", "quit"}));

    ServersPage page;
    AddSitesToList(page.get(), *sites);
    auto rows = page.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "gnudb.gnudb.org");
    EXPECT_EQ(rows[0].port, "8880");
    EXPECT_EQ(rows[0].protocol, "CDDBP");
    EXPECT_EQ(rows[0].default_mark, "yes");
    EXPECT_EQ(rows[0].location, "Random gnudb server");
    EXPECT_EQ(rows[1].name, "gnudb.gnudb.org/~cddb/cddb.cgi");
    EXPECT_EQ(rows[1].protocol, "HTTP");
    EXPECT_EQ(rows[1].default_mark, "");

    AddSitesToList(page.get(), *RetrieveSites());
    EXPECT_EQ(page.rows().size(), 2u);

    // The rows fetched are what the page then saves.
    SaveServerList(page.get());
    EXPECT_EQ(ServersKey().read_string("Server1", 100),
              "gnudb.gnudb.org 80 HTTP /~cddb/cddb.cgi 0 Random gnudb server.");
}

TEST_F(ServerStore, ARefusedOrSilentMainServerGivesNoSites) {
    int closed_port = 0;
    {
        CddbTestServer gone;
        closed_port = gone.cddbp_port();
    }
    SetEnvironmentVariableA(kMainServerVariable, ("127.0.0.1:" + std::to_string(closed_port)).c_str());
    EXPECT_FALSE(RetrieveSites());

    CddbTestServer hangs_up;
    hangs_up.reply("proto", {hang_up()});
    SetEnvironmentVariableA(kMainServerVariable, ("127.0.0.1:" + std::to_string(hangs_up.cddbp_port())).c_str());
    EXPECT_FALSE(RetrieveSites());
    EXPECT_EQ(hangs_up.received(), (std::vector<std::string>{"proto 3"}));

    // A refused "sites" is still a reply, and adds no rows.
    CddbTestServer refuses;
    refuses.reply("sites", {say("500 Unrecognized command.\r\n")});
    SetEnvironmentVariableA(kMainServerVariable, ("127.0.0.1:" + std::to_string(refuses.cddbp_port())).c_str());
    ServersPage page;
    const Text reply = RetrieveSites();
    ASSERT_TRUE(reply);
    AddSitesToList(page.get(), *reply);
    EXPECT_TRUE(page.rows().empty());
}

TEST_F(ServerStore, TheMainServerComesFromTheEnvironmentTheRegistryOrTheDefault) {
    HostPort main = MainCddbServer();
    EXPECT_EQ(main.host, "gnudb.gnudb.org");
    EXPECT_EQ(main.port, 8880);

    ServersKey().write_string(kMainServerValue, "cddb.local:888");
    main = MainCddbServer();
    EXPECT_EQ(main.host, "cddb.local");
    EXPECT_EQ(main.port, 888);

    SetEnvironmentVariableA(kMainServerVariable, "127.0.0.1:4321");
    main = MainCddbServer();
    EXPECT_EQ(main.host, "127.0.0.1");
    EXPECT_EQ(main.port, 4321);

    SetEnvironmentVariableA(kMainServerVariable, "bad:port");
    EXPECT_EQ(MainCddbServer().host, "cddb.local");  // a malformed setting is passed over
}

}  // namespace
