#include "app/placement.h"
#include "app/playback.h"

#include <windows.h>

#include "app/placement_rules.h"
#include "app/player.h"
#include "app/tray.h"
#include "app/window_state.h"
#include "display/title_display.h"
#include "display/title_scroll.h"

namespace {

void PlaceTopmost() {
    SetWindowPos(Player.MainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Place(HWND hwnd, const Box& box) {
    SetWindowPos(hwnd, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER);
}

// Sizes the main window in place and moves the children for a display mode.
void UseGeometry(int32_t display_mode) {
    const WindowGeometry g = window_geometry(display_mode);
    SetWindowPos(Player.MainWindow, nullptr, 0, 0, g.main.width, g.main.height, SWP_NOMOVE | SWP_NOZORDER);
    Place(Player.ControlsWindow, g.controls);
    Place(Player.TracksWindow, g.tracks);
}

// A stored place off every monitor (one unplugged since, a damaged value)
// moves onto the nearest monitor's work area, as Windows programs do.
void BringOnScreen() {
    RECT r{};
    GetWindowRect(Player.MainWindow, &r);
    if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const ScreenPoint corner = inside_work_area({r.left, r.top, r.right - r.left, r.bottom - r.top},
                                                {work.left, work.top, work.right, work.bottom});
    SetWindowPos(Player.MainWindow, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void ApplyStartState(int32_t value) {
    BringOnScreen();
    const StartState state = start_state_for(value);
    Player.Skin.DisplayMode = state.display_mode;
    if (state.display_mode == kDisplayNormal)
        ShowWindow(Player.MainWindow, state.minimized ? SW_SHOWMINIMIZED : SW_SHOW);
    if (Settings.AlwaysOnTop != 0) PlaceTopmost();
    if (state.display_mode == kDisplayShade) {
        UseGeometry(kDisplayShade);
        ShowWindow(Player.MainWindow, state.minimized ? SW_SHOWMINIMIZED : SW_SHOW);
        ShowWindow(Player.SliderWindow, SW_HIDE);
    }
    Settings.StartWinState = start_win_state_after_start(value);
}

void ToggleShade() {
    const int32_t mode = Player.Skin.DisplayMode == kDisplayShade ? kDisplayNormal : kDisplayShade;
    Player.Skin.DisplayMode = mode;
    UseGeometry(mode);
    ShowWindow(Player.SliderWindow, window_geometry(mode).slider_shown ? SW_SHOW : SW_HIDE);
    InvalidateRect(Player.MainWindow, nullptr, FALSE);

    const bool playing = Player.Disc && Player.Disc->playing;
    Player.ShadeLine = playing ? kShadeTrackLine : kShadeDiscLine;
    if (Player.TitleDisplay && Player.Disc) {
        // Re-rendered in the new mode's font; the workers redraw at their
        // next tick because their view width changed.
        ShowDiscLine();
        if (playing) ShowTrackAt(Player.Disc->current_index);
    }
    if (Player.Disc && Player.Disc->loaded) InvalidateRect(Player.TracksWindow, nullptr, FALSE);
}

void DragTo(int x, int y) {
    POINT pointer{x, y};
    ClientToScreen(Player.MainWindow, &pointer);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const Box size = window_geometry(Player.Skin.DisplayMode).main;
    const ScreenPoint corner =
        drag_position({pointer.x, pointer.y}, Player.DragX, Player.DragY, size.width, size.height,
                      {work.left, work.top, work.right, work.bottom}, Settings.EdgeResistance);
    MoveWindow(Player.MainWindow, corner.x, corner.y, size.width, size.height, TRUE);
}

void ShowTaskBarButton(bool shown) {
    const HWND main = Player.MainWindow;
    const LONG_PTR style = GetWindowLongPtrA(main, GWL_EXSTYLE);
    // The shell looks at the style only when a window is shown.
    const bool visible = IsWindowVisible(main);
    if (visible) ShowWindow(main, SW_HIDE);
    SetWindowLongPtrA(main, GWL_EXSTYLE, shown ? style & ~WS_EX_TOOLWINDOW : style | WS_EX_TOOLWINDOW);
    if (visible) ShowWindow(main, SW_SHOWNA);
}

void KeepWithinReach() {
    const HWND main = Player.MainWindow;
    const bool hide = IsIconic(main) && !(Settings.IconType & kIconTaskBar) && TrayExists();
    if (hide && IsWindowVisible(main)) ShowWindow(main, SW_HIDE);
    else if (!hide && !IsWindowVisible(main)) ShowWindow(main, SW_SHOWNA);
}
