// The controls window: the six transport buttons, and the one handler that
// every transport command runs through, wherever it came from.
#include <windowsx.h>

#include "app/button_bank.h"
#include "app/child_windows.h"
#include "app/playback.h"
#include "app/player.h"
#include "app/slider_state.h"
#include "app/window_state.h"
#include "cdaudio/cd_device.h"
#include "display/lcd_readout.h"
#include "display/title_scroll.h"
#include "resources/resource.h"

namespace {

ButtonBank& Bank() { return *Player.ButtonBank; }

int32_t Hit(int x, int y) { return hit_button(x, y, Player.Skin.DisplayMode == kDisplayShade); }

void Eject(HWND) {
    DiscRecord& disc = *Player.Disc;
    disc.playing = 0;
    disc.paused = 0;
    {
        WindowDC dc(Player.MainWindow);
        DrawTime(dc.get(), Player.Skin, 0, false);
    }
    DrawSliderNow(0, true);
    if (disc.loaded && (Settings.PlayOrder & 2)) SavePlayOrder();
    toggle_door(disc);
}

// TRK BWD and TRK FWD: the target position, or -1 to stop.
void Skip(bool forward) {
    DiscRecord& disc = *Player.Disc;
    if (!disc.playing) return;
    const std::span<PlayOrderEntry> order = CurrentOrder();
    int32_t target;
    if (!forward && time_readout(disc, 0) >= 5) target = disc.current_index;
    else target = next_index(order, disc.current_index, forward);
    if (target < 0) {
        StopPlayback();
        return;
    }
    disc.current_index = target;
    if (disc.paused) seek_to(disc, 0, static_cast<int16_t>(order[target].track), 0);
    else play_from(disc, static_cast<int16_t>(target), order, Settings.PlayType);
    ShowTrackAt(target);
}

void Pause(HWND hwnd) {
    DiscRecord& disc = *Player.Disc;
    if (disc.playing && toggle_pause(disc, CurrentOrder(), Settings.PlayType) == kDeviceOk) disc.paused = !disc.paused;
    if (disc.paused) {
        SetTimer(hwnd, TIMER_PAUSE_BLINK, 750, nullptr);
        SetTrayIcon(IDI_PAUSED);
    } else if (disc.playing) {
        SetTrayIcon(IDI_PLAYING);
    }
}

void Play() {
    DiscRecord& disc = *Player.Disc;
    if (!disc.playing && disc.loaded) {
        const int32_t first = next_index(CurrentOrder(), -1, true);
        if (first < 0 || play_from(disc, static_cast<int16_t>(first), CurrentOrder(), Settings.PlayType) != kDeviceOk) return;
        SetTimer(Player.TracksWindow, TIMER_GRID_BLINK, 750, nullptr);
        SetTimer(Player.MainWindow, TIMER_PLAYING, 999, nullptr);
        disc.playing = 1;
        disc.paused = 0;
        disc.current_index = first;
        Player.ShadeLine = kShadeTrackLine;
        ShowTrackAt(first);
    } else if (disc.playing && disc.paused) {
        if (toggle_pause(disc, CurrentOrder(), Settings.PlayType) == kDeviceOk) disc.paused = 0;
    } else if (!disc.playing) {
        return;
    }
    SetTrayIcon(IDI_PLAYING);
}

LRESULT OnButtonCommand(HWND hwnd, int32_t index) {
    if (index < 0 || index >= kButtonCount || !Player.Disc) return 0;
    {
        WindowDC dc(hwnd);
        Bank().SetPressed(-1, dc.get());
    }
    switch (index) {
        case kEject: Eject(hwnd); break;
        case kTrackBack: Skip(false); break;
        case kTrackForward: Skip(true); break;
        case kStop:
            Player.ShadeLine = kShadeDiscLine;
            StopPlayback();
            break;
        case kPause: Pause(hwnd); break;
        case kPlay: Play(); break;
    }
    return 0;
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (Player.ButtonBank) Bank().DrawAllButtons(dc);
    EndPaint(hwnd, &ps);
}

void OnMouseMove(HWND hwnd, int x, int y, UINT keys) {
    int32_t hit = Hit(x, y);
    // While a press is held only its own button lights up.
    if ((keys & MK_LBUTTON) && hit != Bank().pressed()) hit = -1;
    WindowDC dc(hwnd);
    Bank().SetHover(hit, dc.get());
    SetTimer(hwnd, TIMER_HOVER, 100, nullptr);
}

void OnLButtonDown(HWND hwnd, BOOL, int x, int y, UINT) {
    SetForegroundWindow(Player.MainWindow);
    SetCapture(hwnd);
    WindowDC dc(hwnd);
    Bank().SetPressed(Hit(x, y), dc.get());
}

void OnLButtonUp(HWND hwnd, int x, int y, UINT) {
    const int32_t hit = Hit(x, y);
    if (hit != Bank().pressed()) {
        WindowDC dc(hwnd);
        Bank().SetPressed(-1, dc.get());
    } else if (hit >= 0) {
        SendMessageA(hwnd, WM_BRD_BUTTON, hit, 0);
    }
    ReleaseCapture();
}

void OnRButtonDown(HWND hwnd, BOOL, int x, int y, UINT) {
    OwnedMenu menu(LoadMenuA(Player.Instance, MAKEINTRESOURCEA(IDR_CONTROL_MENU)));
    HMENU popup = GetSubMenu(menu.get(), 0);
    if (!popup) return;
    if (Player.Disc && Player.Disc->paused)
        ModifyMenuA(popup, 4, MF_BYPOSITION | MF_CHECKED | MF_STRING, IDM_PAUSE, "PAUSE\tT");
    POINT at{x, y};
    ClientToScreen(hwnd, &at);
    TrackPopupMenuEx(popup, TPM_CENTERALIGN | TPM_RIGHTBUTTON, at.x, at.y, Player.MainWindow, nullptr);
}

void OnTimer(HWND hwnd, UINT id) {
    if (id == TIMER_HOVER) {
        RECT r;
        POINT cursor;
        GetWindowRect(hwnd, &r);
        GetCursorPos(&cursor);
        if (!PtInRect(&r, cursor)) {
            WindowDC dc(hwnd);
            Bank().SetHover(-1, dc.get());
            KillTimer(hwnd, TIMER_HOVER);
        }
    } else if (id == TIMER_PAUSE_BLINK) {
        WindowDC dc(hwnd);
        if (Player.Disc && Player.Disc->paused) {
            Bank().ToggleBlink(kPause, dc.get());
        } else {
            Bank().ToggleBlink(-1, dc.get());
            KillTimer(hwnd, TIMER_PAUSE_BLINK);
        }
    }
}

}  // namespace

LRESULT CALLBACK ControlsWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        HANDLE_MSG(hwnd, WM_PAINT, OnPaint);
        HANDLE_MSG(hwnd, WM_MOUSEMOVE, OnMouseMove);
        HANDLE_MSG(hwnd, WM_LBUTTONDOWN, OnLButtonDown);
        HANDLE_MSG(hwnd, WM_LBUTTONUP, OnLButtonUp);
        HANDLE_MSG(hwnd, WM_RBUTTONDOWN, OnRButtonDown);
        HANDLE_MSG(hwnd, WM_TIMER, OnTimer);
        case WM_BRD_BUTTON: return OnButtonCommand(hwnd, static_cast<int32_t>(wParam));
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
