// The Preferences sheet's pages under Wine: the real property sheet, driven
// by messages, storing into the Settings record and the real registry.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cctype>

#include "app/player.h"
#include "app/preferences_sheet.h"
#include "app/settings_store.h"
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

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}
std::string Field(HWND page, int id) { return TextOf(GetDlgItem(page, id)); }

// The letter after the "&" of a window's text, in capitals, or 0.
char Mnemonic(HWND window) {
    const std::string text = TextOf(window);
    return text.find('&') + 1 < text.size() ? static_cast<char>(std::toupper(text[text.find('&') + 1])) : 0;
}

// Types a server into the Host and Port fields and clicks Add: true when the "BRD Add Host" box refused it.
bool Add(HWND page, const char* host, const char* port) {
    SetDlgItemTextA(page, IDC_SERVER_HOST, host);
    SetDlgItemTextA(page, IDC_SERVER_PORT, port);  // as pasted: keys bring digits only
    return Click(page, IDC_SERVER_ADD, "BRD Add Host");
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
        Player.IconStopped = LoadIconA(Player.Instance, MAKEINTRESOURCEA(IDI_BRD));
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
    Apply();
    EXPECT_EQ(Settings.DoNextCD, 0);
    EXPECT_EQ(Settings.StartWinState, 0);
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
    // An Apply that keeps the icon places leaves the icon alone (it would jump): one lost meanwhile stays lost.
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE, icon.hWnd = Player.MainWindow, icon.uID = BRD_TRAY_ICON_ID;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    Apply();
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &icon));
    ShowWindow(Player.MainWindow, SW_MINIMIZE), ShowWindow(Player.MainWindow, SW_HIDE);  // gone into the tray
    Click(page, IDC_ICON_TRAY);
    EXPECT_TRUE(On(page, IDC_ICON_TASK_BAR));
    Apply();  // nothing would lead to the window now
    EXPECT_TRUE(IsWindowVisible(Player.MainWindow) && IsIconic(Player.MainWindow));
}

TEST_F(Sheet, ServersPageEditsAWorkingCopyOfTheList) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brindle");  // no Submit key yet, as on a first run
    CreateSoftwareSubkey(kSettingsKey);
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
    ListView_SetItemState(GetDlgItem(page, IDC_SERVER_LIST), 0, LVIS_SELECTED, LVIS_SELECTED);  // as keys select
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SERVER_DEFAULT)));  // "Set Default" follows the selection
    EXPECT_TRUE(Click(page, IDC_SERVER_DELETE, "Confirm Delete"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SERVER_DEFAULT)));
    EXPECT_EQ(Rows(page), "c.example/cgi 80 HTTP yes @|");  // the default mark passed down
    ListView_SetItemState(GetDlgItem(page, IDC_SERVER_LIST), 0, LVIS_SELECTED, LVIS_SELECTED);
    Click(page, IDC_SERVER_DELETE, "Confirm Delete");

    SetDlgItemTextA(page, IDC_SERVER_HOST, "h.example");
    MSG enter{GetDlgItem(page, IDC_SERVER_HOST), WM_KEYDOWN, VK_RETURN, 0, 0, {}};  // in the Host field Enter adds
    PropSheet_IsDialogMessage(sheet, &enter);
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|");  // into an empty list: the default
    SendDlgItemMessageA(page, IDC_SERVER_PROTOCOL, CB_SETCURSEL, 1, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SERVER_PROTOCOL, CBN_SELCHANGE), 0);
    EXPECT_EQ(Field(page, IDC_SERVER_PORT), "80");
    EXPECT_TRUE(Click(page, IDC_SERVER_ADD, "BRD Add Host"));  // HTTP without a path
    SendDlgItemMessageA(page, IDC_SERVER_PROTOCOL, CB_SETCURSEL, 0, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SERVER_PROTOCOL, CBN_SELCHANGE), 0);
    EXPECT_EQ(Field(page, IDC_SERVER_PORT), "888");
    // What the registry value would not give back whole: blanks, a leading "/", a port that is no port.
    for (const char* host : {"two words", "/cgi"}) EXPECT_TRUE(Add(page, host, "888")) << host;
    for (const char* port : {"0", "65536", "8x"}) EXPECT_TRUE(Add(page, "h.example", port)) << port;
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|");

    // The exchange runs on a worker; the page lists the sites once it is done, and no failure is told.
    const auto listed = [](HWND p) { return Field(p, IDC_GET_SERVERS) == "&Get Servers"; };
    EXPECT_FALSE(Click(page, IDC_GET_SERVERS, "Brindle CD", listed));
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|s.example 888 CDDBP  @|");
    SetEnvironmentVariableA("BRD_CDDB_MAIN_SERVER", nullptr);

    // Connect asks the selected row's server, not the default.
    const std::string port = std::to_string(main.cddbp_port());
    Add(page, "127.0.0.1", port.c_str());
    RECT cell{};  // a double click on any cell of a row makes it the default
    ListView_GetSubItemRect(GetDlgItem(page, IDC_SERVER_LIST), 2, 1, LVIR_BOUNDS, &cell);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendDlgItemMessageA(page, IDC_SERVER_LIST, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                            MAKELPARAM(cell.left + 5, cell.top + 5));
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP |s.example 888 CDDBP  @|127.0.0.1 " + port + " CDDBP yes|");
    Player.TitleDisplay = std::make_unique<TitleDisplay>(Player.MainWindow, Player.Skin, Player.ShadeLine);
    const size_t heard = main.received().size();
    Click(page, IDC_SERVER_CONNECT);
    EXPECT_EQ(Field(page, IDC_SERVER_STATUS), "Connecting to 127.0.0.1:" + port + " (CDDBP)");
    for (int i = 0; i < 500 && main.received().size() < heard + 2; ++i) Sleep(10);
    EXPECT_TRUE(main.received().back().starts_with("cddb query "));
    SemaphoreSlot ended(Player.QueryLock.get(), 5000);  // the query has let go of the lock
    Player.TitleDisplay.reset();

    // The mail texts come back at the next start as shown: cut to fit, saved with no Submit key yet, cleared.
    SendDlgItemMessageA(page, IDC_USER_EMAIL, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(std::string(150, 'u').c_str()));
    for (const char* smtp_server : {"mail.example", ""}) {
        SetDlgItemTextA(page, IDC_SMTP_SERVER, smtp_server);
        Apply(), SaveSettings(), LoadSettings();
        EXPECT_EQ(Player.UserEmail.text, std::string(99, 'u'));
        EXPECT_EQ(Player.SmtpServer.text, *smtp_server ? Text(smtp_server) : std::nullopt);
    }
    // A stored text too long to be read back is left alone while the user does not change it.
    CreateSoftwareSubkey(kSubmitKey).key.write_string("SmtpServer", std::string(150, 'v'));
    LoadSettings(), Apply(), SaveSettings();
    EXPECT_EQ(CreateSoftwareSubkey(kSubmitKey).key.read_string("SmtpServer", 200), std::string(150, 'v'));
}

// Every labelled control (none on the About sheet) has an Alt+letter of its own on its page and the sheet: a button
// in its text, any other control in the static or group box just before it, which hands the focus on.
TEST_F(Sheet, EveryLabelledControlHasAnAltLetterOfItsOwn) {
    auto kind = [](HWND w) {  // as the dialog manager tells them: 'L' a label, 'B' a button, 'C' another control
        const LRESULT code = w ? SendMessageA(w, WM_GETDLGCODE, 0, 0) : 0;
        const LRESULT button = DLGC_BUTTON | DLGC_RADIOBUTTON | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON;
        return code & DLGC_STATIC ? 'L' : code & button ? 'B' : 'C';
    };
    Open(kStartupPage);
    for (int index = kStartupPage; index <= kEditorPage; ++index) {
        PropSheet_SetCurSel(sheet, nullptr, index);
        std::string letters(1, Mnemonic(GetDlgItem(sheet, 0x3021)));  // the sheet's Apply
        HWND before = nullptr, c = GetWindow(PropSheet_GetCurrentPageHwnd(sheet), GW_CHILD);
        for (; c; c = GetWindow(before = c, GW_HWNDNEXT)) {
            const HWND named = kind(c) == 'B' ? c : kind(c) == 'C' && kind(before) == 'L' ? before : nullptr;
            if (!named || TextOf(named).empty()) continue;
            EXPECT_TRUE(Mnemonic(named) && letters.find(Mnemonic(named)) == std::string::npos) << TextOf(named);
            letters += Mnemonic(named);
        }
    }
}

}  // namespace
