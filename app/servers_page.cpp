// The "CDDB Servers" page: a working copy of the Server list in a list view,
// written back on Apply; "Get Servers" fetches the public list, "Connect"
// queries the disc on the selected server; and the two submission settings.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/player.h"
#include "app/settings_store.h"
#include "app/sheet_pages.h"
#include "base/job_thread.h"
#include "cddb/deployment.h"
#include "cddb/query_thread.h"
#include "cddb/server_store.h"
#include "display/title_display.h"
#include "resources/resource.h"

namespace {

constexpr char kAppTitle[] = "Brindle CD";
constexpr char kYes[] = "yes";
constexpr int kStatusMs = 5000, kRefusedMs = 3000;
constexpr int kHostLimit = 89, kPortLimit = 5;

HWND List(HWND page) { return GetDlgItem(page, IDC_SERVER_LIST); }
int RowCount(HWND page) { return ListView_GetItemCount(List(page)); }
int FirstSelected(HWND page) { return ListView_GetNextItem(List(page), -1, LVNI_SELECTED); }

std::string ItemText(HWND page, int id, int limit) {
    std::string text(limit + 1, '\0');
    text.resize(GetDlgItemTextA(page, id, text.data(), limit + 1));
    return text;
}

void SetCell(HWND page, int row, int column, const char* text) {
    ListView_SetItemText(List(page), row, column, const_cast<char*>(text));
}

std::string Cell(HWND page, int row, int column) {
    char text[256] = {};
    ListView_GetItemText(List(page), row, column, text, sizeof text);
    return text;
}

void ShowRowCount(HWND page) {
    char text[40];
    std::snprintf(text, sizeof text, "%d servers listed", RowCount(page));
    SetDlgItemTextA(page, IDC_SERVER_STATUS, text);
}

// "Set Default" works on exactly one selected row, however it was selected.
void FollowSelection(HWND page) {
    EnableWindow(GetDlgItem(page, IDC_SERVER_DEFAULT), ListView_GetSelectedCount(List(page)) == 1);
}

void Add(HWND page);

// Enter in the Host or Port field adds the server typed there; the sheet
// would take it for its OK button and close.
LRESULT CALLBACK AddOnEnter(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const bool enter = wParam == VK_RETURN;
    if (message == WM_GETDLGCODE && enter) return DefSubclassProc(field, message, wParam, lParam) | DLGC_WANTALLKEYS;
    if (message == WM_KEYDOWN && enter) {
        Add(GetParent(field));
        return 0;
    }
    if (message == WM_CHAR && enter) return 0;
    return DefSubclassProc(field, message, wParam, lParam);
}

void Fill(HWND page) {
    const HWND list = List(page);
    ListView_DeleteAllItems(list);
    // A click anywhere in a row selects it, not only on its name.
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    static const struct {
        const char* title;
        int width;
    } kColumns[] = {{"Server Name", 150}, {"Port", 50}, {"Protocol", 70}, {"Default", 60}, {"Location", 200}};
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(kColumns[i].title);
        column.cx = kColumns[i].width;
        ListView_InsertColumn(list, i, &column);
    }
    // An entry that could not be read stays hidden; the next Apply drops it.
    for (const ServerEntry& server : Player.ServerList)
        if (server.host_name != kRegErrorHost) AppendServerRow(list, row_from_server(server));
    SendDlgItemMessageA(page, IDC_SERVER_PROTOCOL, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("CDDBP"));
    SendDlgItemMessageA(page, IDC_SERVER_PROTOCOL, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("HTTP"));
    SendDlgItemMessageA(page, IDC_SERVER_PROTOCOL, CB_SETCURSEL, 0, 0);
    SetDlgItemTextA(page, IDC_SERVER_PORT, "888");
    // No more than is read: the Host and Port texts Add takes, the mail texts
    // the next start reads back.
    SendDlgItemMessageA(page, IDC_SERVER_HOST, EM_LIMITTEXT, kHostLimit, 0);
    SendDlgItemMessageA(page, IDC_SERVER_PORT, EM_LIMITTEXT, kPortLimit, 0);
    SendDlgItemMessageA(page, IDC_SMTP_SERVER, EM_LIMITTEXT, kSubmitTextBuffer - 1, 0);
    SendDlgItemMessageA(page, IDC_USER_EMAIL, EM_LIMITTEXT, kSubmitTextBuffer - 1, 0);
    for (int field : {IDC_SERVER_HOST, IDC_SERVER_PORT}) SetWindowSubclass(GetDlgItem(page, field), AddOnEnter, 0, 0);
    ShowRowCount(page);
    FollowSelection(page);
    if (Player.SmtpServer.text) SetDlgItemTextA(page, IDC_SMTP_SERVER, Player.SmtpServer.text->c_str());
    if (Player.UserEmail.text) SetDlgItemTextA(page, IDC_USER_EMAIL, Player.UserEmail.text->c_str());
}

void Refuse(HWND page, const char* why) { MessageBoxA(page, why, "BRD Add Host", MB_ICONEXCLAMATION | MB_OK); }

void Add(HWND page) {
    ServerRow row{ItemText(page, IDC_SERVER_HOST, kHostLimit), ItemText(page, IDC_SERVER_PORT, kPortLimit),
                  ItemText(page, IDC_SERVER_PROTOCOL, 5), "", ""};
    if (row.name.empty() || row.port.empty()) return ShowRowCount(page);
    if (row.protocol == "HTTP" && row.name.find('/') == std::string::npos) {
        const std::string text =
            std::string("You must specify the cddb cgi path for http servers with the hostname.\neg: ") +
            kHttpServerExample;
        return Refuse(page, text.c_str());
    }
    // What could not be read back whole at the next start is refused now
    // rather than lost then.
    if (!valid_server_name(row.name))
        return Refuse(page, "A host name cannot contain spaces or begin with \"/\".");
    if (!port_from_text(row.port)) return Refuse(page, "The port must be a number from 1 to 65535.");
    if (!server_value_fits(server_from_row(row))) return Refuse(page, "This server name is too long to be stored.");
    if (RowCount(page) == 0) row.default_mark = kYes;
    AppendServerRow(List(page), row);
    ListView_EnsureVisible(List(page), RowCount(page) - 1, FALSE);
    ReportChange(page);
    ShowRowCount(page);
}

void Delete(HWND page) {
    if (MessageBoxA(page, "Are you sure you want to delete the selected servers?", "Confirm Delete",
                    MB_ICONEXCLAMATION | MB_YESNO) != IDYES)
        return;
    for (int n = ListView_GetSelectedCount(List(page)); n > 0; --n) {
        const int row = FirstSelected(page);
        if (row < 0) break;
        // The default mark passes to the row below.
        if (Cell(page, row, 3) == kYes && row + 1 < RowCount(page)) SetCell(page, row + 1, 3, kYes);
        ListView_DeleteItem(List(page), row);
    }
    ShowRowCount(page);
    FollowSelection(page);
    ReportChange(page);
}

// The first selected row, if any, becomes the one default.
void SetDefault(HWND page) {
    const int chosen = FirstSelected(page);
    for (int row = 0; row < RowCount(page); ++row)
        if (row == chosen) SetCell(page, row, 3, kYes);
        else if (Cell(page, row, 3) == kYes) SetCell(page, row, 3, "");
    ReportChange(page);
}

// One "sites" retrieval. The worker owns a share of it and ends soon after
// it is called off; the page it reports to is cleared, under the lock, as
// soon as the page stops waiting, so the result reaches only a page that
// still waits for it.
struct SitesFetch {
    Exchange exchange{ReplyWaits{}.exchange_ms};
    std::mutex lock;
    HWND page = nullptr;
    bool done = false;
    Text reply;
};
struct SitesJob {
    std::shared_ptr<SitesFetch> fetch;
    HostPort main;
};

void RunSitesJob(const SitesJob& job) {
    Text sites;
    try {
        sites = RetrieveSites(job.main, job.fetch->exchange);
    } catch (...) {
        // Out of memory: no sites, as after a failed exchange.
    }
    SitesFetch& fetch = *job.fetch;
    const std::lock_guard held{fetch.lock};
    if (!fetch.page) return;
    fetch.reply = std::move(sites);
    fetch.done = true;
    PostMessageA(fetch.page, WM_BRD_SITES_DONE, 0, 0);
}

// The retrieval this page waits for (one sheet, so one page, at a time),
// and then the sites it brought, listed a slice at a time so that the
// player answers in between.
std::shared_ptr<SitesFetch> Fetching;
std::vector<ServerRow> Pending;
size_t Listed = 0;
constexpr DWORD kSliceMs = 30;

bool Busy() { return Fetching || Listed < Pending.size(); }

void ShowBusy(HWND page) {
    SetDlgItemTextA(page, IDC_GET_SERVERS, Busy() ? "S&top" : "&Get Servers");
    if (Busy()) SetDlgItemTextA(page, IDC_SERVER_STATUS, "Getting server list");
    else ShowRowCount(page);
}

// The page stops waiting: the worker is called off and reports to no one,
// and sites not yet listed are dropped.
void StopFetching(HWND page) {
    KillTimer(page, TIMER_SITES_FILL);
    Pending.clear();
    Listed = 0;
    if (!Fetching) return;
    Fetching->exchange.call_off();
    const std::lock_guard held{Fetching->lock};
    Fetching->page = nullptr;
    Fetching.reset();
}

void ListSlice(HWND page) {
    const DWORD start = GetTickCount();
    const HWND list = List(page);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    while (Listed < Pending.size() && GetTickCount() - start < kSliceMs) AppendServerRow(list, Pending[Listed++]);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, FALSE);
    if (Busy()) return;
    StopFetching(page);
    ShowBusy(page);
}

// The exchange runs on a worker, so the player answers all along; the
// button, now "Stop", calls it off meanwhile.
void GetServers(HWND page) {
    if (Busy()) {
        StopFetching(page);
        return ShowBusy(page);
    }
    auto fetch = std::make_shared<SitesFetch>();
    fetch->page = page;
    if (!StartJobThread<SitesJob, RunSitesJob>({fetch, MainCddbServer()})) return;
    Fetching = std::move(fetch);
    ShowBusy(page);
}

void OnSitesDone(HWND page) {
    if (!Fetching) return;  // cancelled after the worker had posted
    Text sites;
    {
        const std::lock_guard held{Fetching->lock};
        if (!Fetching->done) return;  // posted by a retrieval cancelled before this one
        sites = std::move(Fetching->reply);
    }
    Fetching.reset();
    if (!sites) {
        ShowBusy(page);
        MessageBoxA(page,
                    "There was a problem retrieving the sites.\n\nMake sure your network is working properly\n"
                    "and try again.",
                    kAppTitle, MB_ICONERROR | MB_OK);
        return;
    }
    Pending = SiteRows(page, *sites);
    if (!Pending.empty()) ReportChange(page);
    SetTimer(page, TIMER_SITES_FILL, USER_TIMER_MINIMUM, nullptr);
    ListSlice(page);
}

void ShowStatusFor(HWND page, const char* text, UINT ms) {
    SetDlgItemTextA(page, IDC_SERVER_STATUS, text);
    SetTimer(page, TIMER_SERVER_STATUS, ms, nullptr);
}

void Connect(HWND page) {
    if (!Player.Disc || !Player.Disc->loaded) {
        MessageBoxA(page, "There is no CD in the drive", kAppTitle, MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    if (!SemaphoreSlot(Player.QueryLock.get(), 0).held())
        return ShowStatusFor(page, kQueryInProgressText, kRefusedMs);
    const int row = FirstSelected(page);
    if (row < 0) return;
    const ServerEntry server =
        server_from_row({Cell(page, row, 0), Cell(page, row, 1), Cell(page, row, 2), "", ""});
    char status[100];
    std::snprintf(status, sizeof status, "Connecting to %s:%d (%s)", server.host_name.c_str(), server.port,
                  server.protocol.c_str());
    StartQuery({Player.Disc, Player.TitleDisplay->SharedLocks(), DuplicateOf(Player.QueryLock.get()), server});
    ShowStatusFor(page, status, kStatusMs);
}

void OnProtocolChange(HWND page) {
    const std::string protocol = ItemText(page, IDC_SERVER_PROTOCOL, 5);
    if (protocol == "HTTP") SetDlgItemTextA(page, IDC_SERVER_PORT, "80");
    else if (protocol == "CDDBP") SetDlgItemTextA(page, IDC_SERVER_PORT, "888");
}

// An empty field makes the text absent.
void TakeField(HWND page, int id, SubmitSetting& setting) {
    std::string typed = ItemText(page, id, kSubmitTextBuffer - 1);
    const Text text = typed.empty() ? Text{} : Text{std::move(typed)};
    if (text == setting.text) return;
    setting = {text, true};
}

void Apply(HWND page) {
    TakeField(page, IDC_SMTP_SERVER, Player.SmtpServer);
    TakeField(page, IDC_USER_EMAIL, Player.UserEmail);
    SaveServerList(page, Player.ServerList);
}

void OnCommand(HWND page, int id, int code) {
    if (code == CBN_SELCHANGE && id == IDC_SERVER_PROTOCOL) return OnProtocolChange(page);
    if (code != BN_CLICKED) return;
    switch (id) {
        case IDC_SERVER_ADD: return Add(page);
        case IDC_SERVER_DELETE: return Delete(page);
        case IDC_SERVER_DEFAULT: return SetDefault(page);
        case IDC_GET_SERVERS: return GetServers(page);
        case IDC_SERVER_CONNECT: return Connect(page);
    }
}

void OnNotify(HWND page, const NMHDR& header) {
    if (header.code == PSN_APPLY) return Apply(page);
    if (header.idFrom != IDC_SERVER_LIST) return;
    if (header.code == NM_DBLCLK) SetDefault(page);
    else if (header.code == LVN_ITEMCHANGED) FollowSelection(page);
}

BOOL OnTimer(HWND page, WPARAM timer) {
    if (timer == TIMER_SITES_FILL) {
        ListSlice(page);
    } else if (timer == TIMER_SERVER_STATUS) {
        ShowBusy(page);
        KillTimer(page, TIMER_SERVER_STATUS);
    } else {
        return FALSE;
    }
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK ServersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: Fill(page); return TRUE;
        case WM_COMMAND: OnCommand(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
        case WM_NOTIFY: OnNotify(page, *reinterpret_cast<const NMHDR*>(lParam)); return TRUE;
        case WM_TIMER: return OnTimer(page, wParam);
        case WM_BRD_SITES_DONE: OnSitesDone(page); return TRUE;
        case WM_DESTROY: StopFetching(page); return FALSE;
    }
    return FALSE;
}
