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
} box;

// Clicks a button of the page; a message box it opens with that title is
// answered with Yes (or OK). True when such a box came.
bool Click(HWND page, int id, const char* title = "") {
    box = {title, false};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        if (HWND shown = FindWindowA(nullptr, box.title); shown && *box.title) {
            box.seen = true;
            PostMessageA(shown, WM_COMMAND, IDYES, 0);
        }
    });
    SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
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

bool ClassIs(HWND window, const char* name) {
    char class_name[64] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    return !lstrcmpiA(class_name, name);
}

// The letter after the "&" of a window's text, in capitals, or 0.
char Mnemonic(HWND window) {
    const std::string text = TextOf(window);
    const size_t amp = text.find('&');
    return amp == std::string::npos ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(text[amp + 1])));
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
    // An Apply that keeps the icon places leaves the icon (which would move to the end of the tray) and the
    // window alone: an icon lost meanwhile does not come back, the window is not hidden and shown again.
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = Player.MainWindow;
    icon.uID = BRD_TRAY_ICON_ID;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    static int hidden = 0;
    SetWindowSubclass(Player.MainWindow, [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
        hidden += m == WM_SHOWWINDOW && !wp;
        return DefSubclassProc(w, m, wp, lp);
    }, 1, 0);
    Apply();
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &icon));
    EXPECT_EQ(hidden, 0);
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
    ListView_SetItemState(GetDlgItem(page, IDC_SERVER_LIST), 0, LVIS_SELECTED, LVIS_SELECTED);  // as keys select
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SERVER_DEFAULT)));  // "Set Default" follows the selection
    EXPECT_TRUE(Click(page, IDC_SERVER_DELETE, "Confirm Delete"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SERVER_DEFAULT)));
    EXPECT_EQ(Rows(page), "c.example/cgi 80 HTTP yes @|");  // the default mark passed down
    ListView_SetItemState(GetDlgItem(page, IDC_SERVER_LIST), 0, LVIS_SELECTED, LVIS_SELECTED);
    Click(page, IDC_SERVER_DELETE, "Confirm Delete");

    SetDlgItemTextA(page, IDC_SERVER_HOST, "h.example");
    SetFocus(GetDlgItem(page, IDC_SERVER_HOST));
    MSG enter{GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};  // in the Host field Enter adds, the sheet stays
    PropSheet_IsDialogMessage(sheet, &enter);
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|");  // into an empty list: the default
    EXPECT_TRUE(PropSheet_GetCurrentPageHwnd(sheet));
    SendDlgItemMessageA(page, IDC_SERVER_PROTOCOL, CB_SETCURSEL, 1, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SERVER_PROTOCOL, CBN_SELCHANGE), 0);
    EXPECT_EQ(Field(page, IDC_SERVER_PORT), "80");
    EXPECT_TRUE(Click(page, IDC_SERVER_ADD, "BRD Add Host"));  // HTTP without a path
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|");
    SendDlgItemMessageA(page, IDC_SERVER_PROTOCOL, CB_SETCURSEL, 0, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SERVER_PROTOCOL, CBN_SELCHANGE), 0);
    EXPECT_EQ(Field(page, IDC_SERVER_PORT), "888");
    // What the registry value would not give back whole: blanks, a leading "/", a port that is no port.
    const std::pair<const char*, const char*> refused[] = {
        {"two words", "888"}, {"/cgi", "888"}, {"h.example", "0"}, {"h.example", "65536"}, {"h.example", "8x"}};
    for (const auto& [host, port] : refused) {
        SetDlgItemTextA(page, IDC_SERVER_HOST, host);
        SetDlgItemTextA(page, IDC_SERVER_PORT, port);  // as pasted: the field takes only digits from the keys
        EXPECT_TRUE(Click(page, IDC_SERVER_ADD, "BRD Add Host")) << host << ' ' << port;
    }
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|");

    EXPECT_FALSE(Click(page, IDC_GET_SERVERS, "Brindle CD"));  // no failure message
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP yes|s.example 888 CDDBP  @|");
    SetEnvironmentVariableA("BRD_CDDB_MAIN_SERVER", nullptr);

    // Connect asks the selected row's server, not the default.
    const std::string port = std::to_string(main.cddbp_port());
    SetDlgItemTextA(page, IDC_SERVER_HOST, "127.0.0.1");
    SetDlgItemTextA(page, IDC_SERVER_PORT, port.c_str());
    Click(page, IDC_SERVER_ADD);
    // A double click on any cell of a row makes it the default.
    const HWND list = GetDlgItem(page, IDC_SERVER_LIST);
    RECT cell{};
    ListView_GetSubItemRect(list, 2, 1, LVIR_BOUNDS, &cell);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageA(list, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(cell.left + 5, cell.top + 5));
    EXPECT_EQ(Rows(page), "h.example 888 CDDBP |s.example 888 CDDBP  @|127.0.0.1 " + port + " CDDBP yes|");
    Player.TitleDisplay = std::make_unique<TitleDisplay>(Player.MainWindow, Player.Skin, Player.ShadeLine);
    const size_t heard = main.received().size();
    Click(page, IDC_SERVER_CONNECT);
    EXPECT_EQ(Field(page, IDC_SERVER_STATUS), "Connecting to 127.0.0.1:" + port + " (CDDBP)");
    for (int i = 0; i < 500 && main.received().size() < heard + 2; ++i) Sleep(10);
    EXPECT_TRUE(main.received().back().starts_with("cddb query "));
    SemaphoreSlot ended(Player.QueryLock.get(), 5000);  // the query has let go of the lock
    Player.TitleDisplay.reset();
}

// The mail texts are kept as the next start reads them back: cut to fit its buffer, saved on a first run
// (no Submit key yet), cleared when the field is.
TEST_F(Sheet, ServersPageMailTextsComeBackAtTheNextStart) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brindle");
    LoadSettings();
    const HWND page = Open(kServersPage);
    const std::string typed(150, 'u');
    SendDlgItemMessageA(page, IDC_USER_EMAIL, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(typed.c_str()));
    for (const char* smtp_server : {"mail.example", ""}) {
        SetDlgItemTextA(page, IDC_SMTP_SERVER, smtp_server);
        Apply();
        SaveSettings();
        LoadSettings();
        EXPECT_EQ(Player.UserEmail, std::string(99, 'u'));
        EXPECT_EQ(Player.SmtpServer, *smtp_server ? Text(smtp_server) : std::nullopt);
    }
}

// Every labelled control has an Alt+letter of its own on its page, where the sheet's buttons have theirs too: a
// button in its text, any other control in the static or group box just before it, which hands the focus on.
TEST_F(Sheet, EveryLabelledControlHasAnAltLetterOfItsOwn) {
    auto is_label = [](HWND w) {
        return ClassIs(w, "Static") || (ClassIs(w, "Button") && (GetWindowLongA(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX);
    };
    Open(kStartupPage);
    const HWND about = OpenAboutSheet(Player.MainWindow, 0);
    for (HWND opened : {sheet, about})
        for (int index = 0; index < TabCtrl_GetItemCount(PropSheet_GetTabControl(opened)); ++index) {
            PropSheet_SetCurSel(opened, nullptr, index);
            std::string letters;
            for (int id : {IDOK, IDCANCEL, 0x3021}) letters += Mnemonic(GetDlgItem(opened, id));  // 0x3021: Apply
            HWND label = nullptr;
            for (HWND c = GetWindow(PropSheet_GetCurrentPageHwnd(opened), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                const HWND named = is_label(c) ? nullptr : ClassIs(c, "Button") ? c : label;
                label = is_label(c) ? c : nullptr;
                if (!named || TextOf(named).empty()) continue;
                EXPECT_TRUE(Mnemonic(named) && letters.find(Mnemonic(named)) == std::string::npos) << TextOf(named);
                letters += Mnemonic(named);
            }
        }
    DestroyWindow(about);
}

}  // namespace
