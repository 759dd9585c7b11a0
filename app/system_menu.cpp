// The main window's system menu: its banner, "Quick Track" (the disc's tracks
// once one is loaded) and "Preferences" above the platform's own items.
#include "app/menus.h"
#include "app/player.h"
#include "resources/resource.h"

namespace {

constexpr UINT kQuickTrackAt = 1;

void GrayedQuickTrack(HMENU menu) {
    InsertMenuA(menu, kQuickTrackAt, MF_BYPOSITION | MF_STRING | MF_GRAYED | MF_MENUBARBREAK, 0, "Quick Track");
}

}  // namespace

void ExtendSystemMenu(HWND hwnd) {
    const HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu) return;
    Player.SystemMenu = menu;
    InsertBanner(menu, kMenuBanner);
    GrayedQuickTrack(menu);
    InsertMenuA(menu, 2, MF_BYPOSITION | MF_STRING, IDM_SYS_PREFERENCES, "Preferences");
    InsertMenuA(menu, 3, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
}

void RefreshSystemMenu() {
    const HMENU menu = Player.SystemMenu;
    if (!menu) return;
    DeleteMenu(menu, kQuickTrackAt, MF_BYPOSITION);  // a popup goes with its item
    if (Player.Disc && Player.Disc->loaded) {
        const HMENU tracks = CreatePopupMenu();
        QuickTrackMenu(tracks);
        InsertMenuA(menu, kQuickTrackAt, MF_BYPOSITION | MF_POPUP | MF_MENUBARBREAK, reinterpret_cast<UINT_PTR>(tracks),
                    "Quick Track");
    } else {
        GrayedQuickTrack(menu);
    }
}
