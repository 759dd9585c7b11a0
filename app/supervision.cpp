#include "app/supervision.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <utility>

#include "app/idle_animation.h"
#include "app/playback.h"
#include "app/player.h"
#include "app/slider_state.h"
#include "app/tray.h"
#include "app/window_title.h"
#include "cdaudio/cd_device.h"
#include "cdaudio/msf.h"
#include "cddb/query_thread.h"
#include "cddb/server_store.h"
#include "cddb/submit_thread.h"
#include "discinfo/entry_text.h"
#include "discinfo/play_order_store.h"
#include "display/lcd_readout.h"
#include "display/title_display.h"
#include "display/title_scroll.h"
#include "display/track_grid.h"
#include "resources/resource.h"

namespace {

void DrawOnMain(void (*draw)(HDC, const Skin&, int32_t), int32_t value) {
    WindowDC dc(Player.MainWindow);
    draw(dc.get(), Player.Skin, value);
}

void DestroyTrackGrid() {
    ShowWindow(Player.TracksWindow, SW_HIDE);
    Player.TrackGrid.reset();
}

void RedrawGrid() {
    if (!Player.TrackGrid) return;
    WindowDC dc(Player.TracksWindow);
    Player.TrackGrid->RedrawGrid(dc.get(), CurrentPosition());
}

// The disc in the drive becomes the loaded disc: its grid and Play order,
// its titles from the database (or a CDDB query), a stored Play order.
void SetUpLoadedDisc() {
    DiscRecord& disc = *Player.Disc;
    Player.TrackGrid = std::make_unique<TrackGrid>(Player.TracksWindow, Player.Skin, disc.track_count);
    ShowWindow(Player.TracksWindow, SW_SHOW);
    Player.AnimationRunning = 0;
    {
        BothLinesHeld held(Player.TitleDisplay->Locks());
        disc.loaded = 1;
        set_default_titles(disc);
    }
    if (!lookup_disc(disc, Player.TitleDisplay->Locks()) && Settings.ConnectCDDB) QueryLoadedDisc();
    if (Settings.PlayOrder & 1) {
        // The query just started may be replacing the key texts it reads.
        BothLinesHeld held(Player.TitleDisplay->Locks());
        restore_play_order(disc, CurrentOrder());
    }
    RedrawGrid();
}

void FollowStateIndicators() {
    if (Player.Disc->playing) {
        Player.ShadeLine = kShadeTrackLine;
        SetTrayIcon(IDI_PLAYING);
    } else {
        Player.ShadeLine = kShadeDiscLine;
    }
}

void ShowNoDisc(const char* name) {
    DiscRecord& disc = *Player.Disc;
    {
        BothLinesHeld held(Player.TitleDisplay->Locks());
        free_texts(disc);
        disc.disc_title = name;
    }
    ShowDiscLine();
    Player.TitleDisplay->SetTrackLine(std::nullopt);
}

void LoadDisc(LPARAM how) {
    DiscRecord& disc = *Player.Disc;
    const int32_t r = open_disc(*Player.Disc, Settings.UseDrive);
    if (r == kDeviceOk) {
        SetUpLoadedDisc();
        ShowDiscLine();
        ShowTime(disc.disc_seconds, false);
        ShowDiscTitleInCaption();
        SetTimer(Player.TracksWindow, TIMER_GRID_FOLLOW, 500, nullptr);
        if (Settings.OnStart == 2 || how == BRD_LOAD_AND_PLAY) StartAtFirstPosition();
    } else if (r == kDevicePlaying) {
        disc.playing = 1;
        SetUpLoadedDisc();
        const int32_t at = PositionOfDeviceTrack();
        if (at >= 0) disc.current_index = at;
        ShowDiscLine();
        ShowTrackAt(disc.current_index);
        if (Settings.OnStart == 1) {
            StopPlayback();
        } else {
            SetTimer(Player.TracksWindow, TIMER_GRID_BLINK, 750, nullptr);
            SetTimer(Player.MainWindow, TIMER_PLAYING, 999, nullptr);
            SetTimer(Player.TracksWindow, TIMER_GRID_FOLLOW, 500, nullptr);
            play_from(disc, kContinueRange, CurrentOrder(), Settings.PlayType);
        }
    } else if (r == kDeviceDoorOpen) {
        ShowNoDisc("drive empty");
        ShowTime(0, false);
        DestroyTrackGrid();
        StartIdleAnimation();
    } else if (r == kDeviceOpenFailed) {
        ShowNoDisc("can't open device");
        DestroyTrackGrid();
    }
    if (r == kDeviceOk || r == kDevicePlaying) FollowStateIndicators();
}

void DiscArrived() {
    const int32_t r = open_disc(*Player.Disc, Settings.UseDrive);
    if (r != kDeviceOk && r != kDevicePlaying) return;
    SetUpLoadedDisc();
    ShowDiscLine();
    ShowDiscTitleInCaption();
    SetTimer(Player.TracksWindow, TIMER_GRID_FOLLOW, 500, nullptr);
    if (Settings.LoadPlay) StartAtFirstPosition();
    FollowStateIndicators();
}

// The disc leaves the player. Its record is never refilled with another
// disc: whoever still holds it (a query, the CD Editor) keeps it as it was,
// marked as gone under the line locks, and the drive gets a fresh record,
// with the open device unless `close_device`. The status line went with it.
void RetireDisc(bool close_device) {
    auto fresh = std::make_shared<DiscRecord>(Player.MainWindow);
    if (Player.Disc) {
        DiscRecord& old = *Player.Disc;
        {
            BothLinesHeld held(Player.TitleDisplay->Locks());
            old.loaded = 0;
        }
        if (close_device) close_disc(old);
        else fresh->device_id = std::exchange(old.device_id, 0);
    }
    Player.Disc = std::move(fresh);
    Player.StatusCode = 0;
    DrawOnMain(DrawStatusWord, 0);
}

void DiscLeft() {
    RetireDisc(false);
    KillTimer(Player.MainWindow, TIMER_PLAYING);
    KillTimer(Player.TracksWindow, TIMER_GRID_BLINK);
    Player.TitleDisplay->SetDiscLine(std::nullopt);
    Player.TitleDisplay->SetTrackLine(std::nullopt);
    ShowTime(0, false);
    SetWindowTextA(Player.MainWindow, "BRD");
    DrawSliderNow(0, true);
    Player.ShadeLine = kShadeDiscLine;
    SetTrayIcon(IDI_BRD);
    DestroyTrackGrid();
    if (Settings.EjectQuit) {
        DestroyWindow(Player.MainWindow);
        return;
    }
    Settings.PlayType = 0;
    DrawOnMain(DrawPlayModes, 0);
    StartIdleAnimation();
}

}  // namespace

void OnLoadRequest(LPARAM how) {
    if (Player.Disc) LoadDisc(how);
    SetTimer(Player.MainWindow, TIMER_DISC_POLL, 2000, nullptr);
}

void OnDiscPoll() {
    if (!Player.Disc) return;
    const int32_t mode = query_mode(*Player.Disc);
    if (mode == kDeviceOk && !Player.Disc->loaded) DiscArrived();
    else if (mode == kDeviceDoorOpen && Player.Disc->loaded) DiscLeft();
}

void SetTitleText(int32_t seconds) {
    const DiscRecord& disc = *Player.Disc;
    const std::string title = compose_title(Settings.TBTextType, Settings.TBTextOrder, DiscTitle(),
                                            TrackTitleAt(disc.current_index), seconds);
    if (Settings.IconType & kIconTaskBar) SetWindowTextA(Player.MainWindow, title.c_str());
    if (Settings.IconType & kIconTray) TrayTip(title);
}

void OnSecondTimer() {
    DiscRecord* disc = Player.Disc.get();
    if (!disc || !disc->playing) {
        KillTimer(Player.MainWindow, TIMER_PLAYING);
        ShowDiscTitleInCaption();
        return;
    }
    const int32_t t = time_readout(*disc, Settings.TimerType);
    SetTitleText(t);
    if (!(Player.SliderState && Player.SliderState->thumb.dragging)) {
        ShowTime(t, true);
        SendMessageA(Player.SliderWindow, WM_BRD_SLIDER_REFRESH, 0, 0);
    }
    follow_device(*disc, CurrentOrder(), Settings.PlayType, unpack_tmsf(position_tmsf(*disc)).track,
                  WindowPlaybackHooks());
}

void OnTitleRestoreTimer() {
    if (!Player.Disc || !Player.Disc->playing) return;
    ShowTrackAt(Player.Disc->current_index);
    if (Player.TrackGrid) {
        WindowDC dc(Player.TracksWindow);
        Player.TrackGrid->ClearLit(dc.get());
    }
    KillTimer(Player.MainWindow, TIMER_TITLE_RESTORE);
}

void OnRangeEnd(WPARAM code) {
    // A notice whose play has been followed by another one (a click on a
    // track while it was on its way) would move the new play on.
    if (code != MCI_NOTIFY_SUCCESSFUL || !Player.Disc || range_running(*Player.Disc)) return;
    range_finished(*Player.Disc, CurrentOrder(), Settings.PlayType, WindowPlaybackHooks());
}

void OnPlayOrderDone() {
    if (Settings.DoneEject && Player.Disc) toggle_door(*Player.Disc);
    if (!Settings.DoNextCD || Player.DriveList.size() < 2) return;
    const auto at = std::find(Player.DriveList.begin(), Player.DriveList.end(), Settings.UseDrive);
    if (at == Player.DriveList.end()) return;
    const auto next = at + 1 == Player.DriveList.end() ? Player.DriveList.begin() : at + 1;
    ChangeDrive(*next, BRD_LOAD_AND_PLAY);
}

void ChangeDrive(int32_t drive, LPARAM how) {
    Settings.UseDrive = drive;
    RetireDisc(true);
    DestroyTrackGrid();
    SendMessageA(Player.MainWindow, WM_BRD_REQUEST, BRD_LOAD_REQUEST, how);
}

void QueryLoadedDisc() {
    if (!Player.Disc) return;
    StartQuery({Player.Disc, Player.TitleDisplay->SharedLocks(), DuplicateOf(Player.QueryLock.get()),
                ChooseServer(Player.ServerList)});
}

void SubmitLoadedDisc() {
    if (!Player.Disc) return;
    SubmitThreadJob job{{Player.SmtpServer.text, Player.UserEmail.text, {}, {}}, Player.MainWindow, Player.Disc->serial,
                        DuplicateOf(Player.QueryLock.get())};
    // Without a mail server the entry goes to the main server's submit program.
    job.submit.web_host = MainCddbServer().host;
    {
        // A query may be filling these in right now.
        BothLinesHeld held(Player.TitleDisplay->Locks());
        job.submit.category = Player.Disc->category;
        job.submit.disc_id_text = Player.Disc->disc_id_text;
    }
    StartSubmit(std::move(job));
}

void OnQueryNotification(LPARAM notice) {
    // A notice about a disc that has left since it was posted is no news.
    if (!Player.Disc || notification_disc(notice) != Player.Disc->serial) return;
    const int32_t code = notification_code(notice);
    Player.StatusCode = code;
    DrawOnMain(DrawStatusWord, code);
    if (code == 999) ShowNewTitles();
}

void ShowNewTitles() {
    if (!Player.Disc) return;
    DiscRecord& disc = *Player.Disc;
    ShowDiscLine();
    if (disc.playing) {
        ShowTrackAt(disc.current_index);
        SetTitleText(time_readout(disc, Settings.TimerType));
    } else {
        ShowDiscTitleInCaption();
        char caption[100] = {};
        GetWindowTextA(Player.MainWindow, caption, sizeof caption);
        if (Settings.IconType & kIconTray) TrayTip(caption);
    }
    const std::span<PlayOrderEntry> order = CurrentOrder();
    for (int32_t i = 0; i < static_cast<int32_t>(order.size()); ++i)
        if (order[i].lit) ShowTrackAt(i);
}

void StartIdleAnimation() {
    if (Player.AnimationRunning) return;
    Player.AnimationRunning = 1;
    StartIdleAnimationThread();
}
