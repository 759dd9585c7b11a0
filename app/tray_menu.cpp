// The tray icon's clicks: the left button plays or pauses, a right-button
// double click brings the window back, the right button opens the TrayMenu.
#include "app/menus.h"
#include "app/playback.h"
#include "app/player.h"
#include "display/button_layout.h"
#include "resources/resource.h"

namespace {

constexpr UINT kQuickTrackAt = 1, kPauseAt = 8, kRestoreAt = 11;

void ShowTrayMenu(HWND hwnd) {
    const HMENU menu = LoadMenuA(Player.Instance, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (!menu) return;
    const HMENU popup = GetSubMenu(menu, 0);
    InsertBanner(popup, kMenuBanner);
    if (Player.Disc && Player.Disc->loaded) {
        const HMENU tracks = CreatePopupMenu();
        QuickTrackMenu(tracks);
        InsertMenuA(popup, kQuickTrackAt, MF_BYPOSITION | MF_POPUP | MF_MENUBARBREAK,
                    reinterpret_cast<UINT_PTR>(tracks), "Quick Track");
    } else {
        InsertMenuA(popup, kQuickTrackAt, MF_BYPOSITION | MF_STRING | MF_GRAYED | MF_MENUBARBREAK, 0, "Quick Track");
    }
    if (Player.Disc && Player.Disc->paused) CheckMenuItem(popup, kPauseAt, MF_BYPOSITION | MF_CHECKED);
    if (!IsIconic(hwnd)) EnableMenuItem(popup, kRestoreAt, MF_BYPOSITION | MF_GRAYED);
    POINT at;
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd);
    TrackPopupMenuEx(popup, TPM_RIGHTALIGN, at.x, at.y, hwnd, nullptr);
    PostMessageA(hwnd, WM_NULL, 0, 0);
    DestroyMenu(menu);  // with the Quick Track popup inside it
}

}  // namespace

void OnTrayMessage(HWND hwnd, UINT mouse_message) {
    switch (mouse_message) {
        case WM_LBUTTONUP:
            if (Player.Disc && Player.Disc->playing) SendMessageA(Player.ControlsWindow, WM_BRD_BUTTON, kPause, 0);
            else if (Player.Disc && Player.Disc->loaded) SendMessageA(Player.ControlsWindow, WM_BRD_BUTTON, kPlay, 0);
            ShowStateIcon();
            break;
        case WM_RBUTTONUP: ShowTrayMenu(hwnd); break;
        case WM_RBUTTONDBLCLK:
            ShowWindow(hwnd, SW_RESTORE);
            SetForegroundWindow(hwnd);
            break;
    }
}
