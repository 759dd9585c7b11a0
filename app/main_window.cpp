#include "app/main_window.h"

#include <windowsx.h>

#include "app/player.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "resources/resource.h"

namespace {

BOOL Main_OnCreate(HWND, LPCREATESTRUCT) {
    ReadTimerAndPlayType();
    return TRUE;
}

void Main_OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
}

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
        HANDLE_MSG(hwnd, WM_DESTROY, Main_OnDestroy);
        HANDLE_MSG(hwnd, WM_COMMAND, Main_OnCommand);
        case WM_SIZE: HANDLE_WM_SIZE(hwnd, wParam, lParam, Main_OnSize); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
