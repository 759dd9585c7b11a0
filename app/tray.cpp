#include "app/tray.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "app/player.h"
#include "resources/resource.h"

namespace {

bool tray_added = false;
// Kept for adding the icon again after the shell lost it.
std::string tip;

// The first, 88-byte form of the record: every shell understands it.
NOTIFYICONDATAA Record(UINT flags) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = Player.MainWindow;
    data.uID = BRD_TRAY_ICON_ID;
    data.uFlags = flags;
    std::memcpy(data.szTip, tip.c_str(), tip.size() + 1);
    return data;
}

HICON IconFor(int icon_id) {
    switch (icon_id) {
        case IDI_PLAYING: return Player.IconPlaying;
        case IDI_PAUSED: return Player.IconPaused;
        default: return Player.IconStopped;
    }
}

}  // namespace

bool TrayAdd(int icon_id) {
    NOTIFYICONDATAA data = Record(NIF_MESSAGE | NIF_ICON | (tip.empty() ? 0 : NIF_TIP));
    data.uCallbackMessage = WM_BRD_TRAY;
    data.hIcon = IconFor(icon_id);
    tray_added = Shell_NotifyIconA(NIM_ADD, &data) || Shell_NotifyIconA(NIM_MODIFY, &data);
    return tray_added;
}

void TrayIcon(int icon_id) {
    if (!tray_added) return;
    NOTIFYICONDATAA data = Record(NIF_ICON);
    data.hIcon = IconFor(icon_id);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayTip(std::string_view text) {
    tip = text.substr(0, 63);
    if (!tray_added) return;
    NOTIFYICONDATAA data = Record(NIF_TIP);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayRemove() {
    if (!tray_added) return;
    NOTIFYICONDATAA data = Record(0);
    Shell_NotifyIconA(NIM_DELETE, &data);
    tray_added = false;
}

bool TrayExists() {
    NOTIFYICONDATAA data = Record(0);  // changes nothing: fails only for an icon the shell does not have
    return tray_added && Shell_NotifyIconA(NIM_MODIFY, &data);
}
