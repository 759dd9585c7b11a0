// The CD audio device operations against the virtual drive, through real MCI.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "app/player.h"
#include "cdaudio/cd_device.h"
#include "cdaudio/msf.h"
#include "vdrive/mci_window.h"
#include "vdrive/test_drive.h"

namespace {

constexpr char kLetter = 'D';

int32_t frames(int m, int s, int f) { return (m * 60 + s) * 75 + f; }

// A fresh Disc record for drive D: whose notifications come to `window`.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        drive.enable_log();
        Settings.UseDrive = kLetter - 'A';
        Settings.PlayType = 0;
        Player.Disc = std::make_unique<DiscRecord>(window.hwnd());
    }
    void TearDown() override {
        if (HasFailure()) std::printf("The drive's command log:\n%s", drive.log().c_str());
        if (Player.Disc) close_disc();
        Player.Disc.reset();
    }
    TestDrive drive{kLetter};
    NotifyWindow window;
};

// Tracks of a few seconds each: short enough for a range to end while the test waits.
void insert_short_disc(TestDrive& drive, int tracks, int seconds) {
    std::vector<int32_t> lengths(static_cast<size_t>(tracks), seconds);
    int32_t lead_out = 0;
    const auto starts = tracks_of_seconds(lengths, &lead_out);
    drive.insert(starts, lead_out);
}

TEST_F(DeviceTest, TheLeadOutCarriesAndLengthsCountWholeSeconds) {
    // The last track starts at 60:31:70 and the drive reports its length as
    // 03:29:04 (one frame short of the lead-out at 64:01:00).
    drive.insert({{frames(0, 2, 0)}, {frames(5, 59, 74)}, {frames(6, 0, 1)}, {frames(60, 31, 70)}}, frames(64, 1, 0));
    ASSERT_EQ(open_disc(), kDeviceOk);
    const DiscRecord& disc = *Player.Disc;
    ASSERT_EQ(disc.track_count, 4);
    EXPECT_EQ(disc.toc[3].minutes, 60);
    EXPECT_EQ(disc.toc[3].seconds, 31);
    EXPECT_EQ(disc.toc[3].frames, 70);
    EXPECT_EQ(disc.toc[4].minutes, 64);
    EXPECT_EQ(disc.toc[4].seconds, 1);
    EXPECT_EQ(disc.toc[4].frames, 0);
    EXPECT_EQ(disc.toc[4].frame_offset, frames(64, 1, 0));
    EXPECT_EQ(disc.disc_seconds, 3841);
    EXPECT_EQ(disc.track_seconds[1], 1) << "05:59:74 to 06:00:01";
    EXPECT_EQ(disc.track_seconds[0], 357);
    EXPECT_EQ(disc.track_seconds[3], 210);
    EXPECT_EQ(disc.track_seconds[4], -1);
}

TEST_F(DeviceTest, ReadsAllNinetyNineTracksOfAFullDisc) {
    std::vector<int32_t> lengths;
    for (int t = 0; t < 99; ++t) lengths.push_back(20 + t % 40);
    int32_t lead_out = 0;
    const auto starts = tracks_of_seconds(lengths, &lead_out);
    drive.insert(starts, lead_out);
    ASSERT_EQ(open_disc(), kDeviceOk);
    ASSERT_EQ(Player.Disc->track_count, 99);
    for (int t = 0; t < 99; ++t) {
        EXPECT_EQ(Player.Disc->toc[t].frame_offset, starts[t].start) << "track " << t + 1;
        EXPECT_EQ(Player.Disc->track_seconds[t], lengths[t]) << "track " << t + 1;
    }
    EXPECT_EQ(Player.Disc->toc[99].frame_offset, lead_out);
}

TEST_F(DeviceTest, ARangeToTheLastTrackIsPlayedWithoutAnEndPosition) {
    insert_short_disc(drive, 10, 60);
    ASSERT_EQ(open_disc(), kDeviceOk);
    PlayOrder order = make_play_order(10);
    order[6].excluded = 1;

    Player.Disc->current_index = 3;
    ASSERT_EQ(play_from(3, order), kDeviceOk);  // tracks 4 to 6
    Player.Disc->current_index = 7;
    ASSERT_EQ(play_from(7, order), kDeviceOk);  // track 8 to the end of the disc
    const auto plays = drive.log_lines("PLAY");
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_NE(plays[0].find("flags=NOTIFY|FROM|TO "), std::string::npos) << plays[0];
    EXPECT_NE(plays[0].find("to=" + std::to_string(150 + 6 * 60 * 75)), std::string::npos) << plays[0];
    EXPECT_NE(plays[1].find("flags=NOTIFY|FROM "), std::string::npos) << plays[1];
    EXPECT_NE(plays[1].find(" to=-"), std::string::npos) << plays[1];

    // Nothing playable: nothing is sent.
    for (PlayOrderEntry& e : order) e.excluded = 1;
    EXPECT_EQ(play_from(0, order), kDeviceOk);
    EXPECT_EQ(play_from(-3, order), kDeviceOk);
    EXPECT_EQ(drive.log_lines("PLAY").size(), 2u);
    EXPECT_EQ(stop_device(), kDeviceOk);
}

TEST_F(DeviceTest, SeekingToZeroGoesToTheRecordedStartOfTrackOne) {
    // Track 1 starts after a one-second pregap, at 00:03:00.
    drive.insert({{frames(0, 3, 0)}, {frames(4, 0, 0)}}, frames(8, 0, 0));
    ASSERT_EQ(open_disc(), kDeviceOk);
    ASSERT_EQ(seek_to(200, 2, 0), kDeviceOk);
    EXPECT_EQ(position_tmsf(), pack_tmsf({2, 3, 20, 0}));
    ASSERT_EQ(seek_to(0, 1, 1), kDeviceOk);
    EXPECT_EQ(position_msf(), pack_msf({0, 3, 0}));
    // Counted back from the end of the disc and of a track.
    ASSERT_EQ(seek_to(60, 1, 3), kDeviceOk);
    EXPECT_EQ(position_msf(), pack_msf({7, 0, 0}));
    ASSERT_EQ(seek_to(10, 1, 2), kDeviceOk);
    EXPECT_EQ(position_tmsf(), pack_tmsf({1, 3, 47, 0}));  // 237 s long, 10 s before its end
    EXPECT_EQ(query_mode(), kDeviceOk) << "a seek leaves the device stopped";
}

TEST_F(DeviceTest, PauseAfterASeekPlaysOnToTheEndOfTheRange) {
    insert_short_disc(drive, 6, 60);
    ASSERT_EQ(open_disc(), kDeviceOk);
    PlayOrder order = make_play_order(6);
    order[4].excluded = 1;
    Player.Disc->current_index = 2;
    ASSERT_EQ(seek_to(10, 3, 0), kDeviceOk);
    EXPECT_EQ(toggle_pause(order), kDeviceOk);
    EXPECT_EQ(query_mode(), kDevicePlaying);
    const auto plays = drive.log_lines("PLAY");
    ASSERT_EQ(plays.size(), 1u);
    // From the head (no MCI_FROM) to the start of the excluded track 5.
    EXPECT_NE(plays[0].find("flags=NOTIFY|TO "), std::string::npos) << plays[0];
    EXPECT_NE(plays[0].find("from=" + std::to_string(150 + 2 * 60 * 75 + 10 * 75)), std::string::npos) << plays[0];
    EXPECT_NE(plays[0].find("to=" + std::to_string(150 + 4 * 60 * 75)), std::string::npos) << plays[0];

    EXPECT_EQ(toggle_pause(order), kDeviceOk);
    EXPECT_EQ(query_mode(), kDeviceOk) << "paused";
    EXPECT_EQ(toggle_pause(order), kDeviceOk);
    EXPECT_EQ(query_mode(), kDevicePlaying) << "resumed";
    EXPECT_EQ(stop_device(), kDeviceOk);
}

TEST_F(DeviceTest, QueryModeWithoutADeviceOrWithTheTrayOpen) {
    EXPECT_EQ(query_mode(), kDeviceStatusFailed) << "no device open";
    insert_short_disc(drive, 3, 60);
    ASSERT_EQ(open_disc(), kDeviceOk);
    EXPECT_EQ(toggle_door(), kDeviceOk);
    EXPECT_EQ(query_mode(), kDeviceDoorOpen);
    EXPECT_EQ(open_disc(), kDeviceDoorOpen) << "the device stays open";
    EXPECT_NE(Player.Disc->device_id, 0u);
    EXPECT_EQ(toggle_door(), kDeviceOk);
    EXPECT_EQ(query_mode(), kDeviceOk);

    drive.remove_disc();
    EXPECT_EQ(query_mode(), kDeviceDoorOpen) << "an empty drive reports open";
    close_disc();
    EXPECT_EQ(Player.Disc->device_id, 0u);

    Settings.UseDrive = 'Q' - 'A';
    EXPECT_EQ(open_disc(), kDeviceOpenFailed) << "Q: is no CD-ROM drive";
}

TEST_F(DeviceTest, TimeReadoutsFromTheDevicePosition) {
    insert_short_disc(drive, 4, 100);
    ASSERT_EQ(open_disc(), kDeviceOk);
    ASSERT_EQ(seek_to(30, 2, 0), kDeviceOk);
    EXPECT_EQ(time_readout(0), 30);                       // track elapsed
    EXPECT_EQ(time_readout(kTimerRemaining), 70);         // track remaining
    EXPECT_EQ(time_readout(kTimerDisc), 2 + 100 + 30);    // disc elapsed, from 00:00:00
    EXPECT_EQ(time_readout(kTimerDisc | kTimerRemaining), Player.Disc->disc_seconds - 132);

    close_disc();  // no device: the position reads 0 and track 0 has no length
    EXPECT_EQ(time_readout(kTimerRemaining), 0);
    EXPECT_EQ(time_readout(kTimerDisc | kTimerRemaining), Player.Disc->disc_seconds);
}

TEST_F(DeviceTest, ClearingTheDiscKeepsTheDeviceOpen) {
    insert_short_disc(drive, 3, 60);
    ASSERT_EQ(open_disc(), kDeviceOk);
    Player.Disc->disc_title = "Title";
    Player.Disc->track_titles[2] = "Third";
    clear_disc();
    EXPECT_EQ(Player.Disc->track_count, 0);
    EXPECT_FALSE(Player.Disc->disc_title);
    EXPECT_FALSE(Player.Disc->track_titles[2]);
    EXPECT_EQ(Player.Disc->track_seconds[0], -1);
    EXPECT_EQ(query_mode(), kDeviceOk);
}

// The Play order played through on the device: each range's end comes back
// as MM_MCINOTIFY and the end-of-range rule starts the next.
TEST_F(DeviceTest, ThePlayOrderIsPlayedRangeByRange) {
    insert_short_disc(drive, 5, 1);
    ASSERT_EQ(open_disc(), kDeviceOk);
    PlayOrder order = make_play_order(5);
    const int32_t tracks[] = {1, 2, 5, 3, 4};
    for (int i = 0; i < 5; ++i) order[i].track = tracks[i];

    PlaybackHooks hooks = device_playback_hooks(order);
    int done = 0;
    hooks.order_done = [&] { ++done; };
    DiscRecord& disc = *Player.Disc;
    disc.playing = 1;
    disc.current_index = 0;
    ASSERT_EQ(play_from(0, order), kDeviceOk);
    for (int ranges = 0; ranges < 3; ++ranges) {
        const auto notice = window.wait(4000);
        ASSERT_TRUE(notice.has_value()) << "range " << ranges;
        ASSERT_EQ(notice->status, static_cast<UINT>(MCI_NOTIFY_SUCCESSFUL));
        // The second timer has looked at the device during the range.
        follow_device(disc, order, Settings.PlayType, unpack_tmsf(position_tmsf()).track, hooks);
        range_finished(disc, order, Settings.PlayType, hooks);
    }
    EXPECT_EQ(done, 1);
    EXPECT_EQ(disc.playing, 0);
    const auto plays = drive.log_lines("PLAY");
    ASSERT_EQ(plays.size(), 3u);
    EXPECT_NE(plays[0].find("from=150 to=" + std::to_string(150 + 2 * 75)), std::string::npos) << plays[0];
    EXPECT_NE(plays[1].find("from=" + std::to_string(150 + 4 * 75) + " to=-"), std::string::npos) << plays[1];
    EXPECT_NE(plays[2].find("from=" + std::to_string(150 + 2 * 75) + " to=" + std::to_string(150 + 4 * 75)),
              std::string::npos)
        << plays[2];
    // Stopped with the head back at the start of track 1.
    EXPECT_EQ(position_msf(), pack_msf({0, 2, 0}));
}

// Run as a second process: opens the disc, starts playing and exits
// without stopping or closing, as the program does when left playing.
TEST(CdDeviceChild, LeavesTheDiscPlaying) {
    if (!std::getenv("BRD_CD_DEVICE_CHILD")) GTEST_SKIP() << "only run as a second process";
    Settings.UseDrive = kLetter - 'A';
    Player.Disc = std::make_unique<DiscRecord>(nullptr);
    ASSERT_EQ(open_disc(), kDeviceOk);
    PlayOrder order = make_play_order(Player.Disc->track_count);
    ASSERT_EQ(play_from(1, order), kDeviceOk);
    // What the program does when it exits leaving the disc playing: play
    // on unnotified, and no close.
    ASSERT_EQ(play_from(kRunOut, order), kDeviceOk);
    Player.Disc.release();
    std::exit(7);
}

TEST_F(DeviceTest, ADiscLeftPlayingIsFoundPlayingByTheNextProcess) {
    insert_short_disc(drive, 4, 120);
    ASSERT_EQ(run_this_program("CdDeviceChild.*", "BRD_CD_DEVICE_CHILD", "1"), 7u);

    EXPECT_EQ(open_disc(), kDevicePlaying);
    EXPECT_EQ(Player.Disc->playing, 1);
    EXPECT_EQ(unpack_tmsf(position_tmsf()).track, 2);
    EXPECT_EQ(stop_device(), kDeviceOk);
}

}  // namespace
