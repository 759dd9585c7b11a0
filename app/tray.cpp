#include "app/tray.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "app/player.h"
#include "resources/resource.h"

namespace {

bool tray_exists = false;

// The first, 88-byte form of the record: every shell understands it.
NOTIFYICONDATAA Record(UINT flags) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = Player.MainWindow;
    data.uID = BRD_TRAY_ICON_ID;
    data.uFlags = flags;
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

void TrayAdd(int icon_id) {
    NOTIFYICONDATAA data = Record(NIF_MESSAGE | NIF_ICON);
    data.uCallbackMessage = WM_BRD_TRAY;
    data.hIcon = IconFor(icon_id);
    tray_exists = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

void TrayIcon(int icon_id) {
    if (!tray_exists) return;
    NOTIFYICONDATAA data = Record(NIF_ICON);
    data.hIcon = IconFor(icon_id);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayTip(std::string_view text) {
    if (!tray_exists) return;
    NOTIFYICONDATAA data = Record(NIF_TIP);
    const size_t n = std::min(text.size(), size_t{63});
    std::memcpy(data.szTip, text.data(), n);
    data.szTip[n] = '\0';
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayRemove() {
    if (!tray_exists) return;
    NOTIFYICONDATAA data = Record(0);
    Shell_NotifyIconA(NIM_DELETE, &data);
    tray_exists = false;
}

bool TrayExists() { return tray_exists; }
