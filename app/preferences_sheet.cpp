#include "app/preferences_sheet.h"

#include <commctrl.h>

#include <iterator>

#include "app/editor_page.h"
#include "app/library_page.h"
#include "app/player.h"
#include "app/sheet_pages.h"
#include "resources/resource.h"

namespace {

struct PageSpec {
    int dialog;
    DLGPROC procedure;
};

constexpr PageSpec kPreferencesPages[] = {
    {IDD_STARTUP_PAGE, StartupPageProc},      {IDD_GUI_PAGE, GuiOptionsPageProc},
    {IDD_SERVERS_PAGE, ServersPageProc},      {IDD_LIBRARY_PAGE, LibraryPageProc},
    {IDD_EDITOR_PAGE, EditorPageProc},
};
constexpr PageSpec kAboutPages[] = {{IDD_CREDITS_PAGE, CreatorsPageProc}, {IDD_TIPS_PAGE, TipsPageProc}};

template <size_t N>
HWND OpenSheet(HWND parent, const PageSpec (&specs)[N], const char* caption, DWORD flags, int page) {
    PROPSHEETPAGEA pages[N] = {};
    for (size_t i = 0; i < N; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].hInstance = Player.Instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(specs[i].dialog);
        pages[i].pfnDlgProc = specs[i].procedure;
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE | PSH_USEICONID | flags;
    header.hwndParent = parent;
    header.hInstance = Player.Instance;
    header.pszIcon = MAKEINTRESOURCEA(IDI_BRD);
    header.pszCaption = caption;
    header.nPages = N;
    header.nStartPage = static_cast<UINT>(page);
    header.ppsp = pages;
    const INT_PTR sheet = PropertySheetA(&header);
    return sheet == -1 ? nullptr : reinterpret_cast<HWND>(sheet);
}

void BringForward(HWND sheet) {
    if (IsIconic(sheet)) ShowWindow(sheet, SW_RESTORE);
    SetForegroundWindow(sheet);
    SetActiveWindow(sheet);
}

}  // namespace

HWND OpenPrefsSheet(HWND parent, int page) {
    return OpenSheet(parent, kPreferencesPages, "Brindle CD", PSH_PROPTITLE, page);
}

HWND OpenAboutSheet(HWND parent, int page) {
    return OpenSheet(parent, kAboutPages, "About Brindle CD", PSH_NOAPPLYNOW, page);
}

void OpenPreferences(int page) {
    if (!Player.PrefsSheet) {
        Player.PrefsSheet = OpenPrefsSheet(Player.MainWindow, page);
        return;
    }
    BringForward(Player.PrefsSheet);
    PropSheet_SetCurSel(Player.PrefsSheet, nullptr, page);
}

void ActivatePreferences(int page_if_closed) {
    if (Player.PrefsSheet) BringForward(Player.PrefsSheet);
    else Player.PrefsSheet = OpenPrefsSheet(Player.MainWindow, page_if_closed);
}

void OpenAbout() {
    if (!Player.AboutSheet) {
        Player.AboutSheet = OpenAboutSheet(Player.MainWindow, 0);
        return;
    }
    BringForward(Player.AboutSheet);
    PropSheet_SetCurSel(Player.AboutSheet, nullptr, 0);
}
