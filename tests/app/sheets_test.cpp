// The Preferences sheet's pages under Wine: the real property sheet, driven
// by messages, storing into the Settings record and the real registry.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include "app/player.h"
#include "app/preferences_sheet.h"
#include "base/registry.h"
#include "cddb/server_store.h"
#include "display/title_display.h"
#include "resources/resource.h"
#include "support/cddb_test_server.h"

namespace {

struct {
    const char* title;
    bool seen;
    DWORD since;
} box;

// Clicks a button of the page; a message box it opens with that title is
// answered with Yes (or OK), also one that comes while the page works on
// until `done` holds. True when such a box came.
bool Click(HWND page, int id, const char* title = "", bool (*done)(HWND page) = nullptr) {
    box = {title, false, GetTickCount()};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        if (HWND shown = FindWindowA(nullptr, box.title); shown && *box.title) {
            box.seen = true;
            PostMessageA(shown, WM_COMMAND, IDYES, 0);
        }
    });
    SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
    for (MSG msg; done && !done(page) && GetTickCount() - box.since < 20000; Sleep(10))
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    KillTimer(nullptr, timer);
    return box.seen;
}

bool On(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

std::string Field(HWND page, int id) {
    char text[100] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

// Server Name, Port, Protocol and Default of every row, as one text.
std::string Rows(HWND page) {
    std::string all;
    for (const ServerRow& row : ReadServerRows(GetDlgItem(page, IDC_SERVER_LIST)))
        all += row.name + ' ' + row.port + ' ' + row.protocol + ' ' + row.default_mark + (row.location.empty() ? "|" : " @|");
    return all;
}

class Sheet : public ::testing::Test {
protected:
    HWND sheet = nullptr;

    void SetUp() override {
        InitCommonControls();
        Player.Instance = GetModuleHandleA(nullptr);
        Player.MainWindow = CreateWindowExA(0, "STATIC", "BRD", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                            nullptr, nullptr);
        Settings = first_run_settings();
    }
    void TearDown() override {
        DestroyWindow(sheet);
        DestroyWindow(Player.MainWindow);
    }
    HWND Open(int page) {
        sheet = OpenPrefsSheet(Player.MainWindow, page);
        return PropSheet_GetCurrentPageHwnd(sheet);
    }
    void Apply() { PropSheet_Apply(sheet); }
};

TEST_F(Sheet, StartupPageOneDriveAndTheRecordedWindowState) {
    Player.DriveList = {3};
    Settings.DoNextCD = 1;
    Settings.StartWinState = 6;
    const HWND page = Open(kStartupPage);
    SIZE ideal{};  // only common controls 6, which the manifest in brd.rc asks for, know their ideal size
    EXPECT_TRUE(Button_GetIdealSize(GetDlgItem(page, IDC_EJECT_QUIT), &ideal));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_NEXT_CD)));
    EXPECT_TRUE(On(page, IDC_WIN_SHUTDOWN));
    EXPECT_TRUE(On(page, IDC_EXIT_STOP));  // "OnExit" 1 on a first run
    Apply();
    EXPECT_EQ(Settings.DoNextCD, 0);
    EXPECT_EQ(Settings.StartWinState, 0);
    EXPECT_EQ(Settings.OnExit, 1);
}

TEST_F(Sheet, GuiOptionsRanksStayAPermutationAndAnIconPlaceStaysChecked) {
    const HWND page = Open(kGuiOptionsPage);
    Click(page, IDC_RANK_TIME_FIRST);  // 123: the CD title takes the time's Third
    Click(page, IDC_RANK_TRACK_FIRST + 1);  // already Second
    Click(page, IDC_ICON_TASK_BAR);  // the only place unchecked: the tray takes over
    EXPECT_TRUE(On(page, IDC_ICON_TRAY));
    Apply();
    EXPECT_EQ(Settings.TBTextOrder, 321);
    EXPECT_EQ(Settings.IconType, 1);
    EXPECT_TRUE(GetWindowLongPtrA(Player.MainWindow, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);  // no task-bar button
    Click(page, IDC_ICON_TRAY);
    EXPECT_TRUE(On(page, IDC_ICON_TASK_BAR));
}

TEST_F(Sheet, ServersPageEditsAWorkingCopyOfTheList) {
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Brindle\\Servers");
    {
        const RegKey key = std::move(CreateSoftwareSubkey(kServersKey).key);
        key.write_dword("NumServers", 3);  // Server1 is missing: unreadable
        key.write_string("Server0", "a.example 888 CDDBP - 1 Here.");
        key.write_string("Server2", "c.example 80 HTTP /cgi 0 There.");
    }
    Player.ServerList = LoadServerList();
    Player.Disc = std::make_shared<DiscRecord>(Player.MainWindow);
    Player.Disc->loaded = 1;
    Player.QueryLock = CreateLock();
    CddbTestServer main;
    main.add_site("s.example cddbp 888 - N000.00 W000.00 Somewhere");
    SetEnvironmentVariableA("BRD_CDDB_MAIN_SERVER", ("127.0.0.1:" + std::to_string(main.cddbp_port())).c_str());

    const HWND page = Open(kServersPage);
    EXPECT_EQ(Rows(page), "a.example 888 CDDBP yes @|c.example/cgi 80 HTTP  @|");
    Apply();  // the unreadable entry goes from the registry
    const RegKey stored = std::move(CreateSoftwareSubkey(kServersKey).key);
    EXPECT_EQ(stored.read_dword("NumServers"), 2);
    EXPECT_EQ(stored.read_string("Server1", 100), "c.example 80 HTTP /cgi 0 There.");
    EXPECT_FALSE(stored.read_string("Server2", 100));

    Click(page, IDC_SERVER_CONNECT);  // no row selected: nothing, not even a status
    EXPECT_EQ(Field(page, IDC_SERVER_STATUS), "2 servers listed");
    ListView_SetItemState(GetDlgItem(page, IDC_SERVER_LIST), 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(Click(page, IDC_SERVER_DELETE, "Confirm Delete"));
    EXPECT_EQ(Rows(page), "c.example/cgi 80 HTTP yes @|");  // the default mark passed down
    ListView_SetItemState(GetDlgItem(page, IDC_SERVER_LIST), 0, LVIS_SELECTED, LVIS_SELECTED);
    Click(page, IDC_SERVER_DELETE, "Confirm Delete");

    SetDlgItemTextA(page, IDC_SERVER_HOST, "h.example");
    Click(page, IDC_SERVER_ADD);
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|");  // into an empty list: the default
    SendDlgItemMessageA(page, IDC_SERVER_PROTOCOL, CB_SETCURSEL, 1, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SERVER_PROTOCOL, CBN_SELCHANGE), 0);
    EXPECT_EQ(Field(page, IDC_SERVER_PORT), "80");
    EXPECT_TRUE(Click(page, IDC_SERVER_ADD, "BRD Add Host"));  // HTTP without a path
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|");
    SendDlgItemMessageA(page, IDC_SERVER_PROTOCOL, CB_SETCURSEL, 0, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SERVER_PROTOCOL, CBN_SELCHANGE), 0);
    EXPECT_EQ(Field(page, IDC_SERVER_PORT), "888");

    // The exchange runs on a worker; the page lists the sites once it is done, and no failure is told.
    const auto listed = [](HWND p) { return Field(p, IDC_GET_SERVERS) == "Get Servers"; };
    EXPECT_FALSE(Click(page, IDC_GET_SERVERS, "Brindle CD", listed));
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|s.example 888 CDDBP  @|");
    SetEnvironmentVariableA("BRD_CDDB_MAIN_SERVER", nullptr);

    // Connect asks the selected row's server, not the default.
    const std::string port = std::to_string(main.cddbp_port());
    SetDlgItemTextA(page, IDC_SERVER_HOST, "127.0.0.1");
    SetDlgItemTextA(page, IDC_SERVER_PORT, port.c_str());
    Click(page, IDC_SERVER_ADD);
    ListView_SetItemState(GetDlgItem(page, IDC_SERVER_LIST), 2, LVIS_SELECTED, LVIS_SELECTED);
    Player.TitleDisplay = std::make_unique<TitleDisplay>(Player.MainWindow, Player.Skin, Player.ShadeLine);
    const size_t heard = main.received().size();
    Click(page, IDC_SERVER_CONNECT);
    EXPECT_EQ(Field(page, IDC_SERVER_STATUS), "Connecting to 127.0.0.1:" + port + " (CDDBP)");
    for (int i = 0; i < 500 && main.received().size() < heard + 2; ++i) Sleep(10);
    EXPECT_TRUE(main.received().back().starts_with("cddb query "));
    SemaphoreSlot ended(Player.QueryLock.get(), 5000);  // the query has let go of the lock
    Player.TitleDisplay.reset();
}

}  // namespace
