#include "app/main_window.h"

#include <windowsx.h>

#include "app/player.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "display/lcd_readout.h"
#include "display/title_display.h"
#include "resources/resource.h"

namespace {

BOOL Main_OnCreate(HWND, LPCREATESTRUCT) {
    ReadTimerAndPlayType();
    return TRUE;
}

// The LCD readout while stopped: the disc's length, dim; nothing loaded shows 0.
int StoppedSeconds() { return Player.Disc && Player.Disc->loaded ? Player.Disc->disc_seconds : 0; }

void Main_OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    DrawBackground(dc);
    DrawPlayModes(dc, Settings.PlayType);
    DrawLineLabels(dc);
    if (Player.TitleDisplay) Player.TitleDisplay->RequestRedraw();
    DrawStatusWord(dc, Player.StatusCode);
    DrawTimerMode(dc, Settings.TimerType);
    DrawTime(dc, StoppedSeconds(), false);
    EndPaint(hwnd, &ps);
}

// Every pixel is painted from the skin; erasing first would only flicker.
BOOL Main_OnEraseBkgnd(HWND, HDC) { return TRUE; }

void Main_OnDestroy(HWND) { ShutDown(); }

// A minimized player without a task bar button lives on as its tray icon.
void Main_OnSize(HWND hwnd, UINT state, int, int) {
    if (state == SIZE_MINIMIZED && !(Settings.IconType & kIconTaskBar)) ShowWindow(hwnd, SW_HIDE);
}

void Main_OnCommand(HWND hwnd, int id, HWND, UINT) {
    switch (id) {
        case IDM_EXIT:
        case IDM_TRAY_EXIT: DestroyWindow(hwnd); break;
        case IDM_RESTORE: ShowWindow(hwnd, SW_RESTORE); break;
    }
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        HANDLE_MSG(hwnd, WM_CREATE, Main_OnCreate);
        HANDLE_MSG(hwnd, WM_PAINT, Main_OnPaint);
        HANDLE_MSG(hwnd, WM_ERASEBKGND, Main_OnEraseBkgnd);
        HANDLE_MSG(hwnd, WM_DESTROY, Main_OnDestroy);
        HANDLE_MSG(hwnd, WM_COMMAND, Main_OnCommand);
        case WM_SIZE: HANDLE_WM_SIZE(hwnd, wParam, lParam, Main_OnSize); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
