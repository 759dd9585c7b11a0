// The main window's commands: menus, accelerators, the system menu.
#include <cstdlib>

#include "app/main_handlers.h"
#include "app/placement.h"
#include "app/playback.h"
#include "app/player.h"
#include "app/preferences_sheet.h"
#include "app/supervision.h"
#include "cdaudio/cd_device.h"
#include "cddb/query_thread.h"
#include "display/button_layout.h"
#include "resources/resource.h"

namespace {

void SendButton(int32_t index) { SendMessageA(Player.ControlsWindow, WM_BRD_BUTTON, index, 0); }

void ToggleAlwaysOnTop(HWND hwnd) {
    const bool on = Settings.AlwaysOnTop == 0;
    SetWindowPos(hwnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Settings.AlwaysOnTop = on ? 8 : 0;
}

bool Loaded() { return Player.Disc && Player.Disc->loaded; }

void ForwardTrackChoice(int id) { SendMessageA(Player.TracksWindow, WM_COMMAND, id, 0); }

void OnDriveChoice(int32_t drive) {
    if (drive == Settings.UseDrive) return;
    StopPlayback();
    ChangeDrive(drive, BRD_LOAD_ONLY);
}

}  // namespace

void Main_OnCommand(HWND hwnd, int id, HWND, UINT) {
    switch (id) {
        case IDM_ABOUT: OpenAbout(); return;
        case IDM_PREFERENCES:
        case IDM_TRAY_PREFERENCES:
        case IDM_KEY_PREFERENCES: OpenPreferences(kStartupPage); return;
        case IDM_KEY_GUI: OpenPreferences(kGuiOptionsPage); return;
        case IDM_KEY_SERVERS: OpenPreferences(kServersPage); return;
        case IDM_KEY_LIBRARY: OpenPreferences(kLibraryPage); return;
        case IDM_KEY_EDITOR: OpenPreferences(kEditorPage); return;
        case IDM_QUERY_CD:
        case IDM_KEY_QUERY_CD:
            if (Loaded()) QueryLoadedDisc();
            return;
        case IDM_SUBMIT_CD:
            if (Loaded()) SubmitLoadedDisc();
            return;
        case IDM_ALWAYS_ON_TOP:
        case IDM_KEY_ON_TOP: ToggleAlwaysOnTop(hwnd); return;
        case IDM_SHADE_MODE: ToggleShade(); return;
        case IDM_RESTORE: ShowWindow(hwnd, SW_RESTORE); return;
        case IDM_EXIT:
        case IDM_TRAY_EXIT: DestroyWindow(hwnd); return;
        case IDM_EJECT:
        case IDM_KEY_EJECT: SendButton(kEject); return;
        case IDM_TRK_BWD:
        case IDM_KEY_TRK_BWD: SendButton(kTrackBack); return;
        case IDM_TRK_FWD:
        case IDM_KEY_TRK_FWD: SendButton(kTrackForward); return;
        case IDM_STOP:
        case IDM_KEY_STOP: SendButton(kStop); return;
        case IDM_PAUSE:
        case IDM_KEY_PAUSE:
            SendButton(kPause);
            if (Player.Disc && Player.Disc->paused) SetTrayIcon(IDI_PAUSED);
            else if (Player.Disc && Player.Disc->playing) SetTrayIcon(IDI_PLAYING);
            return;
        case IDM_PLAY:
        case IDM_KEY_PLAY:
            SendButton(kPlay);
            if (Player.Disc && Player.Disc->playing) SetTrayIcon(IDI_PLAYING);
            return;
    }
    if (Player.Disc && id >= IDM_TRACK_FIRST && id < IDM_TRACK_FIRST + Player.Disc->track_count) {
        ForwardTrackChoice(id);
    } else if (id >= IDM_DRIVE_FIRST && id < IDM_DRIVE_FIRST + 26) {
        OnDriveChoice(id - IDM_DRIVE_FIRST);
    }
}

bool Main_OnSysCommand(HWND, UINT command) {
    if (command == IDM_SYS_PREFERENCES) {
        ActivatePreferences(kStartupPage);
        return true;
    }
    if (Player.Disc && command >= IDM_TRACK_FIRST &&
        command < static_cast<UINT>(IDM_TRACK_FIRST + Player.Disc->track_count)) {
        ForwardTrackChoice(static_cast<int>(command));
        return true;
    }
    return false;
}
