#include "app/placement.h"

#include <windows.h>

#include "app/player.h"
#include "app/window_state.h"

namespace {

void PlaceTopmost() {
    SetWindowPos(Player.MainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void UseShadeGeometry() {
    SetWindowPos(Player.MainWindow, nullptr, 0, 0, 297, 19, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(Player.ControlsWindow, nullptr, 25, 3, 81, 12, SWP_NOZORDER);
    SetWindowPos(Player.TracksWindow, nullptr, 223, 3, 38, 12, SWP_NOZORDER);
}

}  // namespace

void ApplyStartState(int32_t value) {
    const StartState state = start_state_for(value);
    Player.DisplayMode = state.display_mode;
    if (state.display_mode == kDisplayNormal)
        ShowWindow(Player.MainWindow, state.minimized ? SW_SHOWMINIMIZED : SW_SHOW);
    if (Settings.AlwaysOnTop != 0) PlaceTopmost();
    if (state.display_mode == kDisplayShade) {
        UseShadeGeometry();
        ShowWindow(Player.MainWindow, state.minimized ? SW_SHOWMINIMIZED : SW_SHOW);
        ShowWindow(Player.SliderWindow, SW_HIDE);
    }
    Settings.StartWinState = start_win_state_after_start(value);
}
