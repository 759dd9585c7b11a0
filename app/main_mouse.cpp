// The main window's mouse: the timer and play-mode words, the title-bar
// buttons, the caption strip (drag, shade, menus) and the title lines.
#include <cstdlib>

#include "app/main_handlers.h"
#include "app/menus.h"
#include "app/placement.h"
#include "app/playback.h"
#include "app/player.h"
#include "app/preferences_sheet.h"
#include "app/window_state.h"
#include "cdaudio/cd_device.h"
#include "cdaudio/msf.h"
#include "cdaudio/play_order.h"
#include "cdaudio/shuffle.h"
#include "display/lcd_layout.h"
#include "display/lcd_readout.h"
#include "display/track_grid.h"

namespace {

bool Shade() { return Player.Skin.DisplayMode == kDisplayShade; }
bool Loaded() { return Player.Disc && Player.Disc->loaded; }

POINT ToScreen(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

void RedrawTime(HDC dc) {
    const DiscRecord* disc = Player.Disc.get();
    if (disc && disc->playing) DrawTime(dc, Player.Skin, time_readout(*disc, Settings.TimerType), true);
    else DrawTime(dc, Player.Skin, disc && disc->loaded ? disc->disc_seconds : 0, false);
}

void Shuffle() {
    DiscRecord& disc = *Player.Disc;
    const std::span<PlayOrderEntry> order = CurrentOrder();
    Settings.PlayType ^= kPlayShuffle;
    const bool on = Settings.PlayType & kPlayShuffle;
    const int32_t index = disc.current_index;
    const int32_t playing_track =
        disc.playing && index >= 0 && index < static_cast<int32_t>(order.size()) ? order[index].track : 0;
    shuffle_order(order, on, playing_track, [] { return std::rand(); });
    const int32_t at = PositionOfDeviceTrack();
    if (at >= 0) disc.current_index = at;
    if (Player.TrackGrid) {
        WindowDC dc(Player.TracksWindow);
        Player.TrackGrid->RedrawGrid(dc.get(), CurrentPosition());
    }
    ReplanRange();
}

// A click on a play-mode word; only with a disc.
void OnPlayMode(int mode) {
    switch (mode) {
        case kPlayRepeatCd:
            Settings.PlayType = (Settings.PlayType ^ kPlayRepeatCd) & ~kPlayRepeatTrack;
            break;
        case kPlayRepeatTrack:
            Settings.PlayType = (Settings.PlayType ^ kPlayRepeatTrack) & ~kPlayRepeatCd;
            ReplanRange();
            break;
        case kPlayShuffle: Shuffle(); break;
    }
}

void DrawTitleButtons(HWND hwnd, int pressed) {
    WindowDC dc(hwnd);
    DrawCloseButton(dc.get(), Player.Skin, pressed == kHitClose);
    DrawMinimizeButton(dc.get(), Player.Skin, pressed == kHitMinimize);
}

}  // namespace

void Main_OnLButtonDown(HWND hwnd, BOOL, int x, int y, UINT) {
    SetCapture(hwnd);
    if (const int timer = HitTimerMode(x, y)) {
        switch (timer) {
            case kHitTrack: Settings.TimerType &= ~kTimerDisc; break;
            case kHitDisc: Settings.TimerType |= kTimerDisc; break;
            case kHitElapsed: Settings.TimerType &= ~kTimerRemaining; break;
            case kHitRemaining: Settings.TimerType |= kTimerRemaining; break;
        }
        WindowDC dc(hwnd);
        RedrawTime(dc.get());
        DrawTimerMode(dc.get(), Player.Skin, Settings.TimerType);
        return;
    }
    if (Loaded()) {
        if (const int mode = HitPlayMode(x, y)) {
            OnPlayMode(mode);
            WindowDC dc(hwnd);
            DrawPlayModes(dc.get(), Player.Skin, Settings.PlayType);
            return;
        }
    }
    if (const int button = HitTitleButton(x, y)) {
        DrawTitleButtons(hwnd, button);
        return;
    }
    if (x < 17 && y < 15) {
        ShowQuickMenu(ToScreen(hwnd, 5, 15));
        return;
    }
    if (HitCaption(x, y)) {
        Player.Dragging = 1;
        Player.DragX = x;
        Player.DragY = y;
    }
}

void Main_OnMouseMove(HWND, int x, int y, UINT) {
    if (Player.Dragging) DragTo(x, y);
}

void Main_OnLButtonUp(HWND hwnd, int x, int y, UINT) {
    ReleaseCapture();
    Player.Dragging = 0;
    switch (HitTitleButton(x, y)) {
        case kHitClose: DestroyWindow(hwnd); break;
        case kHitMinimize: ShowWindow(hwnd, SW_MINIMIZE); break;
        default: DrawTitleButtons(hwnd, 0); break;
    }
}

void Main_OnLButtonDblClk(HWND, BOOL, int x, int y, UINT) {
    if (HitCaption(x, y)) ToggleShade();
    else if (x > 8 && x < 215 && y > 55 && y < 108) ActivatePreferences(kEditorPage);
}

void Main_OnRButtonDown(HWND hwnd, BOOL, int x, int y, UINT) {
    const bool on_titles = !Shade() && x > 5 && x < 210 && y > 52 && y < 109;
    if (on_titles || (Shade() && HitCaption(x, y))) {
        if (Loaded()) ShowQuickTrackMenu(ToScreen(hwnd, x, y), Shade());
    } else if (!Shade() && HitCaption(x, y)) {
        ShowQuickMenu(ToScreen(hwnd, x, y));
    }
}
