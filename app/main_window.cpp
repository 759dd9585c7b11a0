// The main window: the skinned face of the player and its switchboard.
// Commands and the mouse are in main_commands.cpp and main_mouse.cpp; disc
// and playback supervision in supervision.cpp.
#include "app/main_window.h"

#include <windowsx.h>
#include <mmsystem.h>

#include "app/main_handlers.h"
#include "app/menus.h"
#include "app/placement.h"
#include "app/playback.h"
#include "app/player.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "app/supervision.h"
#include "app/write_failures.h"
#include "app/tray.h"
#include "cdaudio/cd_device.h"
#include "display/lcd_readout.h"
#include "display/skin_draw.h"
#include "display/title_display.h"
#include "resources/resource.h"

namespace {

BOOL Main_OnCreate(HWND hwnd, LPCREATESTRUCT) {
    ReadTimerAndPlayType();
    ExtendSystemMenu(hwnd);
    return TRUE;
}

void Main_OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    DrawBackground(dc, Player.Skin);
    DrawPlayModes(dc, Player.Skin, Settings.PlayType);
    DrawLineLabels(dc, Player.Skin);
    const DiscRecord* disc = Player.Disc.get();
    if (Player.TitleDisplay) {
        Player.TitleDisplay->RequestRedraw();
        if (disc && disc->playing) ShowTrackAt(disc->current_index);
    }
    DrawStatusWord(dc, Player.Skin, Player.StatusCode);
    DrawTimerMode(dc, Player.Skin, Settings.TimerType);
    if (disc && disc->playing) DrawTime(dc, Player.Skin, time_readout(*disc, Settings.TimerType), true);
    else DrawTime(dc, Player.Skin, disc && disc->loaded ? disc->disc_seconds : 0, false);
    EndPaint(hwnd, &ps);
}

// Every pixel is painted from the skin; erasing first would only flicker.
BOOL Main_OnEraseBkgnd(HWND, HDC) { return TRUE; }

void Main_OnDestroy(HWND) { ShutDown(); }

// A minimized player without a task bar button lives on as its tray icon;
// without a tray icon either it stays minimized, so it can be found again.
void Main_OnSize(HWND, UINT state, int, int) {
    if (state == SIZE_MINIMIZED) KeepWithinReach();
}

// The shell (re)started and has no icon of ours: one that failed at start-up
// or was lost with the old shell is added now.
void OnTaskbarCreated() {
    if (Settings.IconType & kIconTray) TrayAdd(StateIconId());
    KeepWithinReach();
}

void Main_OnInitMenuPopup(HWND, HMENU, UINT, BOOL system_menu) {
    if (system_menu) RefreshSystemMenu();
}

void Main_OnTimer(HWND, UINT id) {
    switch (id) {
        case TIMER_DISC_POLL: OnDiscPoll(); break;
        case TIMER_PLAYING: OnSecondTimer(); break;
        case TIMER_TITLE_RESTORE: OnTitleRestoreTimer(); break;
    }
}

LRESULT OnPrivateRequest(WPARAM what, LPARAM value) {
    if (what == BRD_LOAD_REQUEST) OnLoadRequest(value);
    else if (what == BRD_QUERY_NOTIFY) OnQueryNotification(value);
    else if (what == BRD_WRITE_FAILED) ShowDatabaseWriteFailures();
    return 0;
}

void Main_OnMeasureItem(HWND, MEASUREITEMSTRUCT* item) {
    if (item->CtlType != ODT_MENU) return;
    item->itemWidth = 9;
    item->itemHeight = item->itemID == 1 ? 143 : 110;
}

void Main_OnDrawItem(HWND, const DRAWITEMSTRUCT* item) {
    if (item->CtlType == ODT_MENU) DrawMenuBanner(Player.Skin, item, item->itemID);
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    static const UINT taskbar_created = RegisterWindowMessageA("TaskbarCreated");
    if (msg == taskbar_created) {
        OnTaskbarCreated();
        return 0;
    }
    switch (msg) {
        HANDLE_MSG(hwnd, WM_CREATE, Main_OnCreate);
        HANDLE_MSG(hwnd, WM_PAINT, Main_OnPaint);
        HANDLE_MSG(hwnd, WM_ERASEBKGND, Main_OnEraseBkgnd);
        HANDLE_MSG(hwnd, WM_DESTROY, Main_OnDestroy);
        HANDLE_MSG(hwnd, WM_COMMAND, Main_OnCommand);
        HANDLE_MSG(hwnd, WM_TIMER, Main_OnTimer);
        HANDLE_MSG(hwnd, WM_MOUSEMOVE, Main_OnMouseMove);
        HANDLE_MSG(hwnd, WM_LBUTTONDOWN, Main_OnLButtonDown);
        HANDLE_MSG(hwnd, WM_LBUTTONUP, Main_OnLButtonUp);
        HANDLE_MSG(hwnd, WM_LBUTTONDBLCLK, Main_OnLButtonDblClk);
        HANDLE_MSG(hwnd, WM_RBUTTONDOWN, Main_OnRButtonDown);
        HANDLE_MSG(hwnd, WM_INITMENUPOPUP, Main_OnInitMenuPopup);
        case WM_SIZE: HANDLE_WM_SIZE(hwnd, wParam, lParam, Main_OnSize); return 0;
        case WM_MEASUREITEM: Main_OnMeasureItem(hwnd, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)); return TRUE;
        case WM_DRAWITEM: Main_OnDrawItem(hwnd, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_SYSCOMMAND:
            if (Main_OnSysCommand(hwnd, static_cast<UINT>(wParam))) return 0;
            break;
        case MM_MCINOTIFY: OnRangeEnd(wParam); return 0;
        case WM_BRD_REQUEST: return OnPrivateRequest(wParam, lParam);
        case WM_BRD_TRAY: OnTrayMessage(hwnd, static_cast<UINT>(lParam)); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
