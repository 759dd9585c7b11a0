// The CD audio device operations against the virtual drive, through real MCI.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "cdaudio/cd_device.h"
#include "cdaudio/msf.h"
#include "support/mci_window.h"
#include "support/test_drive.h"

namespace {

constexpr char kLetter = 'D';

int32_t frames(int m, int s, int f) { return (m * 60 + s) * 75 + f; }

// A fresh Disc record for drive D: whose notifications come to `window`.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        drive.enable_log();
    }
    void TearDown() override {
        if (HasFailure()) std::printf("The drive's command log:\n%s", drive.log().c_str());
        close_disc(disc);
    }
    // Tracks of `seconds` each: short ones let a range end while the test waits.
    void insert(int tracks, int seconds) {
        int32_t lead_out = 0;
        const auto starts = tracks_of_seconds(std::vector<int32_t>(static_cast<size_t>(tracks), seconds), &lead_out);
        drive.insert(starts, lead_out);
    }
    bool logged(size_t play, const std::string& text) {
        const auto plays = drive.log_lines("PLAY");
        return play < plays.size() && plays[play].find(text) != std::string::npos;
    }
    TestDrive drive{kLetter};
    NotifyWindow window;
    DiscRecord disc{window.hwnd()};
    int32_t drive_number = kLetter - 'A';
};

// 99 tracks; 2 is three frames long, 99 starts at 60:31:70 and the drive
// reports its length as 03:29:04, one frame short of the lead-out at 64:01:00.
TEST_F(DeviceTest, ReadsAFullDiscAndCarriesTheLeadOut) {
    std::vector<TestTrack> tracks = {{frames(0, 2, 0)}, {frames(5, 59, 74)}, {frames(6, 0, 1)}};
    for (int t = 4; t <= 98; ++t) tracks.push_back({frames(7, 0, 0) + (t - 4) * 2535});
    tracks.push_back({frames(60, 31, 70)});
    drive.insert(tracks, frames(64, 1, 0));
    ASSERT_EQ(open_disc(disc, drive_number), kDeviceOk);
    ASSERT_EQ(disc.track_count, 99);
    for (int t = 0; t < 99; ++t) EXPECT_EQ(disc.toc[t].frame_offset, tracks[t].start) << "track " << t + 1;
    auto msf = [this](int t) { return std::vector<int>{disc.toc[t].minutes, disc.toc[t].seconds, disc.toc[t].frames}; };
    EXPECT_EQ(msf(98), (std::vector<int>{60, 31, 70}));
    EXPECT_EQ(msf(99), (std::vector<int>{64, 1, 0})) << "the lead-out";
    EXPECT_EQ(disc.toc[99].frame_offset, frames(64, 1, 0));
    EXPECT_EQ(disc.disc_seconds, 3841);
    EXPECT_EQ(disc.track_seconds[0], 357);
    EXPECT_EQ(disc.track_seconds[1], 1) << "05:59:74 to 06:00:01";
    EXPECT_EQ(disc.track_seconds[98], 210);
}

TEST_F(DeviceTest, ARangeToTheLastTrackIsPlayedWithoutAnEndPosition) {
    insert(10, 60);
    ASSERT_EQ(open_disc(disc, drive_number), kDeviceOk);
    PlayOrder order = make_play_order(10);
    order[6].excluded = 1;
    disc.current_index = 3;
    ASSERT_EQ(play_from(disc, 3, order, 0), kDeviceOk);  // tracks 4 to 6
    disc.current_index = 7;
    ASSERT_EQ(play_from(disc, 7, order, 0), kDeviceOk);  // track 8 to the end of the disc
    EXPECT_TRUE(logged(0, "flags=NOTIFY|FROM|TO from=" + std::to_string(150 + 3 * 60 * 75) +
                              " to=" + std::to_string(150 + 6 * 60 * 75)));
    EXPECT_TRUE(logged(1, "flags=NOTIFY|FROM from=" + std::to_string(150 + 7 * 60 * 75) + " to=-"));
    // Nothing playable: nothing is sent.
    for (PlayOrderEntry& e : order) e.excluded = 1;
    EXPECT_EQ(play_from(disc, 0, order, 0), kDeviceOk);
    EXPECT_EQ(play_from(disc, -3, order, 0), kDeviceOk);
    EXPECT_EQ(drive.log_lines("PLAY").size(), 2u);
}

// Disc positions go to the device in MSF, track positions in TMSF.
TEST_F(DeviceTest, SeeksAndReadoutsUseTheRightTimeFormat) {
    // Track 1 starts after a one-second pregap, at 00:03:00.
    drive.insert({{frames(0, 3, 0)}, {frames(4, 0, 0)}}, frames(8, 0, 0));
    ASSERT_EQ(open_disc(disc, drive_number), kDeviceOk);
    ASSERT_EQ(seek_to(disc, 0, 1, 1), kDeviceOk);
    EXPECT_EQ(position_msf(disc), pack_msf({0, 3, 0}));
    ASSERT_EQ(seek_to(disc, 200, 2, 0), kDeviceOk);
    EXPECT_EQ(position_tmsf(disc), pack_tmsf({2, 3, 20, 0}));
    EXPECT_EQ(query_mode(disc), kDeviceOk) << "a seek leaves the device stopped";
    EXPECT_EQ(time_readout(disc, 0), 200);
    EXPECT_EQ(time_readout(disc, kTimerRemaining), 40);
    EXPECT_EQ(time_readout(disc, kTimerDisc), 440) << "disc time counts from 00:00:00";
    close_disc(disc);  // no device: the position reads 0 and track 0 has no length
    EXPECT_EQ(time_readout(disc, kTimerRemaining), 0);
}

TEST_F(DeviceTest, PauseAfterASeekPlaysOnToTheEndOfTheRange) {
    insert(6, 60);
    ASSERT_EQ(open_disc(disc, drive_number), kDeviceOk);
    PlayOrder order = make_play_order(6);
    order[4].excluded = 1;
    disc.current_index = 2;
    ASSERT_EQ(seek_to(disc, 10, 3, 0), kDeviceOk);
    EXPECT_EQ(toggle_pause(disc, order, 0), kDeviceOk);
    EXPECT_EQ(query_mode(disc), kDevicePlaying);
    // From the head (no MCI_FROM) to the start of the excluded track 5.
    EXPECT_TRUE(logged(0, "flags=NOTIFY|TO from=" + std::to_string(150 + 2 * 60 * 75 + 10 * 75) +
                              " to=" + std::to_string(150 + 4 * 60 * 75)));
    EXPECT_EQ(toggle_pause(disc, order, 0), kDeviceOk);
    EXPECT_EQ(query_mode(disc), kDeviceOk) << "paused";
    EXPECT_EQ(toggle_pause(disc, order, 0), kDeviceOk);
    EXPECT_EQ(query_mode(disc), kDevicePlaying) << "resumed";
    EXPECT_EQ(stop_device(disc), kDeviceOk);
}

TEST_F(DeviceTest, AnOpenTrayAnEmptyDriveOrAnUnreadableDiscReportsTheDoorOpen) {
    EXPECT_EQ(query_mode(disc), kDeviceStatusFailed) << "no device open";
    insert(3, 60);
    ASSERT_EQ(open_disc(disc, drive_number), kDeviceOk);
    EXPECT_EQ(toggle_door(disc), kDeviceOk);
    EXPECT_EQ(query_mode(disc), kDeviceDoorOpen);
    EXPECT_EQ(play_from(disc, 0, make_play_order(3), 0), kDevicePlayFailed) << "nothing plays with the tray open";
    EXPECT_EQ(open_disc(disc, drive_number), kDeviceDoorOpen) << "the device stays open";
    EXPECT_NE(disc.device_id, 0u);
    EXPECT_EQ(toggle_door(disc), kDeviceOk);
    EXPECT_EQ(query_mode(disc), kDeviceOk);
    drive.remove_disc();
    EXPECT_EQ(query_mode(disc), kDeviceDoorOpen) << "an empty drive";
    drive.insert_cue("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 99:99:99\n", "disc.bin", 1000);
    EXPECT_EQ(query_mode(disc), kDeviceDoorOpen) << "a disc that cannot be read";
    close_disc(disc);
    EXPECT_EQ(disc.device_id, 0u);
    EXPECT_EQ(open_disc(disc, 'Q' - 'A'), kDeviceOpenFailed) << "Q: is no CD-ROM drive";
}

TEST_F(DeviceTest, ClearingTheDiscKeepsTheDeviceOpen) {
    insert(3, 60);
    ASSERT_EQ(open_disc(disc, drive_number), kDeviceOk);
    disc.disc_title = "Title";
    disc.track_titles[2] = "Third";
    clear_disc(disc);
    EXPECT_EQ(disc.track_count, 0);
    EXPECT_FALSE(disc.disc_title);
    EXPECT_FALSE(disc.track_titles[2]);
    EXPECT_EQ(disc.track_seconds[0], -1);
    EXPECT_EQ(query_mode(disc), kDeviceOk);
}

// The Play order 1 2 5 3 4 of one-second tracks played through: each range's
// end comes back on time as MM_MCINOTIFY and the end-of-range rule starts the next.
TEST_F(DeviceTest, ThePlayOrderIsPlayedRangeByRange) {
    insert(5, 1);
    ASSERT_EQ(open_disc(disc, drive_number), kDeviceOk);
    PlayOrder order = make_play_order(5);
    const int32_t tracks[] = {1, 2, 5, 3, 4};
    for (int i = 0; i < 5; ++i) order[i].track = tracks[i];
    PlaybackHooks hooks = device_playback_hooks(disc, order, 0);
    int done = 0;
    hooks.order_done = [&] { ++done; };
    disc.playing = 1;
    disc.current_index = 0;
    const DWORD started = GetTickCount();
    ASSERT_EQ(play_from(disc, 0, order, 0), kDeviceOk);
    for (int range = 0; range < 3; ++range) {
        const auto notice = window.wait(4000);
        ASSERT_TRUE(notice.has_value()) << "range " << range;
        ASSERT_EQ(notice->status, static_cast<UINT>(MCI_NOTIFY_SUCCESSFUL));
        const int32_t track = unpack_tmsf(position_tmsf(disc)).track;
        if (range == 0) {
            EXPECT_NEAR(static_cast<double>(notice->at_ms - started), 2000.0, 100.0) << "tracks 1 and 2";
            EXPECT_EQ(track, 2) << "at rest on the last frame played";
        }
        follow_device(disc, order, 0, track, hooks);  // the second timer's look
        range_finished(disc, order, 0, hooks);
    }
    EXPECT_EQ(done, 1);
    EXPECT_EQ(disc.playing, 0);
    ASSERT_EQ(drive.log_lines("PLAY").size(), 3u);
    EXPECT_TRUE(logged(0, "from=150 to=300"));
    EXPECT_TRUE(logged(1, "from=450 to=-"));
    EXPECT_TRUE(logged(2, "from=300 to=450"));
    EXPECT_EQ(position_msf(disc), pack_msf({0, 2, 0})) << "stopped at the start of track 1";
}

// Run as a second process: opens the disc, starts playing and exits without
// stopping or closing, as the program does when it is left playing.
TEST(CdDeviceChild, LeavesTheDiscPlaying) {
    if (!std::getenv("BRD_CD_DEVICE_CHILD")) GTEST_SKIP() << "only run as a second process";
    DiscRecord disc{nullptr};
    ASSERT_EQ(open_disc(disc, kLetter - 'A'), kDeviceOk);
    PlayOrder order = make_play_order(disc.track_count);
    ASSERT_EQ(play_from(disc, 1, order, 0), kDeviceOk);
    ASSERT_EQ(play_from(disc, kRunOut, order, 0), kDeviceOk);  // play on unnotified
    std::exit(7);
}

TEST_F(DeviceTest, ADiscLeftPlayingIsFoundPlayingByTheNextProcess) {
    insert(4, 120);
    ASSERT_EQ(run_this_program("CdDeviceChild.*", "BRD_CD_DEVICE_CHILD", "1"), 7u);
    EXPECT_EQ(open_disc(disc, drive_number), kDevicePlaying);
    EXPECT_EQ(disc.playing, 1);
    EXPECT_EQ(unpack_tmsf(position_tmsf(disc)).track, 2);
    close_disc(disc);
    EXPECT_EQ(open_disc(disc, drive_number), kDevicePlaying) << "closing the device does not stop the disc";
    EXPECT_EQ(stop_device(disc), kDeviceOk);
}

}  // namespace
