#include "app/playback.h"

#include <windows.h>

#include "app/player.h"
#include "app/slider_state.h"
#include "app/supervision.h"
#include "app/tray.h"
#include "cdaudio/cd_device.h"
#include "cdaudio/msf.h"
#include "discinfo/play_order_store.h"
#include "display/lcd_readout.h"
#include "display/title_display.h"
#include "display/title_scroll.h"
#include "display/track_grid.h"
#include "resources/resource.h"

std::span<PlayOrderEntry> CurrentOrder() {
    return Player.TrackGrid ? Player.TrackGrid->Entries() : std::span<PlayOrderEntry>{};
}

int32_t CurrentPosition() { return Player.Disc ? Player.Disc->current_index : 0; }

Text TrackTitleAt(int32_t index) {
    const std::span<PlayOrderEntry> order = CurrentOrder();
    if (!Player.Disc || index < 0 || index >= static_cast<int32_t>(order.size())) return std::nullopt;
    const int32_t track = order[index].track;
    if (track < 1 || track > kMaxTracks) return std::nullopt;
    // The query thread may be replacing the titles right now.
    std::binary_semaphore& lock = Player.TitleDisplay->Locks().track_line;
    lock.acquire();
    Text title = Player.Disc->track_titles[track - 1];
    lock.release();
    return title;
}

Text DiscTitle() {
    if (!Player.Disc) return std::nullopt;
    std::binary_semaphore& lock = Player.TitleDisplay->Locks().disc_line;
    lock.acquire();
    Text title = Player.Disc->disc_title;
    lock.release();
    return title;
}

void ShowTrackAt(int32_t index) {
    if (Player.TitleDisplay) Player.TitleDisplay->SetTrackLine(TrackTitleAt(index));
}

void ShowDiscLine() {
    if (Player.TitleDisplay) Player.TitleDisplay->SetDiscLine(DiscTitle());
}

void ShowTime(int32_t seconds, bool lit) {
    WindowDC dc(Player.MainWindow);
    DrawTime(dc.get(), Player.Skin, seconds, lit);
}

void RedrawCell(int32_t index) {
    if (!Player.TrackGrid) return;
    WindowDC dc(Player.TracksWindow);
    Player.TrackGrid->DrawCell(index, dc.get());
}

int32_t PlayPosition(int32_t index) {
    DiscRecord& disc = *Player.Disc;
    SetTimer(Player.TracksWindow, TIMER_GRID_BLINK, 750, nullptr);
    SetTimer(Player.MainWindow, TIMER_PLAYING, 999, nullptr);
    disc.playing = 1;
    disc.paused = 0;
    disc.current_index = index;
    const int32_t result = play_from(disc, static_cast<int16_t>(index), CurrentOrder(), Settings.PlayType);
    Player.ShadeLine = kShadeTrackLine;
    ShowTrackAt(index);
    SetTrayIcon(IDI_PLAYING);
    return result;
}

bool StartAtFirstPosition() {
    const int32_t first = next_index(CurrentOrder(), -1, true);
    if (first < 0) return false;
    PlayPosition(first);
    return true;
}

PlaybackHooks WindowPlaybackHooks() {
    PlaybackHooks hooks = device_playback_hooks(*Player.Disc, CurrentOrder(), Settings.PlayType);
    hooks.show_stopped = [](int32_t index) {
        RedrawCell(index);
        ShowTime(Player.Disc->disc_seconds, false);
        if (Player.TitleDisplay) {
            Player.TitleDisplay->SetTrackLine(std::nullopt);
            Player.TitleDisplay->RequestRedraw();
        }
        DrawSliderNow(0, true);
        Player.ShadeLine = kShadeDiscLine;
        SetTrayIcon(IDI_BRD);
    };
    hooks.show_track_title = [](int32_t track) {
        const std::span<PlayOrderEntry> order = CurrentOrder();
        for (int32_t i = 0; i < static_cast<int32_t>(order.size()); ++i)
            if (order[i].track == track) return ShowTrackAt(i);
    };
    hooks.order_done = OnPlayOrderDone;
    return hooks;
}

void SavePlayOrder() {
    if (!Player.Disc) return;
    BothLinesHeld held(Player.TitleDisplay->Locks());
    save_play_order(*Player.Disc, CurrentOrder());
}

void StopPlayback() {
    if (Player.Disc) stop_playback(*Player.Disc, WindowPlaybackHooks());
}

void ReplanRange() {
    if (Player.Disc && Player.Disc->playing)
        play_from(*Player.Disc, kContinueRange, CurrentOrder(), Settings.PlayType);
}

void SetTrayIcon(int icon_id) {
    if (Settings.IconType & kIconTray) TrayIcon(icon_id);
}

int StateIconId() {
    const DiscRecord* disc = Player.Disc.get();
    return disc && disc->paused ? IDI_PAUSED : disc && disc->playing ? IDI_PLAYING : IDI_BRD;
}

void ShowStateIcon() { SetTrayIcon(StateIconId()); }

int32_t PositionOfDeviceTrack() {
    if (!Player.Disc) return -1;
    const int32_t track = unpack_tmsf(position_tmsf(*Player.Disc)).track;
    const std::span<PlayOrderEntry> order = CurrentOrder();
    for (int32_t i = 0; i < static_cast<int32_t>(order.size()); ++i)
        if (order[i].track == track) return i;
    return -1;
}

void ShowDiscTitleInCaption() {
    const Text title = DiscTitle();
    std::string caption = title ? "BRD: " + *title : "BRD";
    if (caption.size() > 99) caption.resize(99);
    SetWindowTextA(Player.MainWindow, caption.c_str());
}
