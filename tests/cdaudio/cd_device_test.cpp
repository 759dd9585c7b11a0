// The CD audio device operations against the virtual drive, through real MCI.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "cdaudio/cd_device.h"
#include "cdaudio/msf.h"
#include "support/mci_window.h"
#include "support/test_drive.h"

namespace {

constexpr char kLetter = 'D';
constexpr int32_t kDrive = kLetter - 'A';

int32_t frames(int m, int s, int f) { return (m * 60 + s) * 75 + f; }

// A fresh Disc record for drive D: whose notifications come to `window`.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override { drive.enable_log(); }
    void TearDown() override {
        if (HasFailure()) std::printf("The drive's command log:\n%s", drive.log().c_str());
        close_disc(disc);
    }
    bool logged(size_t play, const std::string& text) const {
        const auto plays = drive.log_lines("PLAY");
        return play < plays.size() && plays[play].find(text) != std::string::npos;
    }
    TestDrive drive{kLetter};
    NotifyWindow window;
    DiscRecord disc{window.hwnd};
};

// 99 tracks, the last from 60:31:70; the drive reports its length as
// 03:29:04, one frame short of the lead-out at 64:01:00.
TEST_F(DeviceTest, ReadsAFullDiscAndCarriesTheLeadOut) {
    std::vector<int32_t> starts = {frames(0, 2, 0)};
    for (int t = 2; t <= 98; ++t) starts.push_back(frames(5, 0, 0) + t * 2535);
    starts.push_back(frames(60, 31, 70));
    drive.insert(starts, frames(64, 1, 0));
    ASSERT_EQ(open_disc(disc, kDrive), kDeviceOk);
    ASSERT_EQ(disc.track_count, 99);
    for (int t = 0; t < 99; ++t) EXPECT_EQ(disc.toc[t].frame_offset, starts[t]) << "track " << t + 1;
    EXPECT_EQ(disc.toc[99].frame_offset, frames(64, 1, 0)) << "the lead-out";
}

// Disc positions go to the device in MSF, track positions in TMSF; track 1
// starts after a one-second pregap, at 00:03:00. A pause after a seek plays
// on from the head to the end of the range.
TEST_F(DeviceTest, SeeksReadoutsAndPauseAfterASeek) {
    drive.insert({frames(0, 3, 0), frames(4, 0, 0), frames(8, 0, 0), frames(12, 0, 0)}, frames(16, 0, 0));
    ASSERT_EQ(open_disc(disc, kDrive), kDeviceOk);
    ASSERT_EQ(seek_to(disc, 0, 1, 1), kDeviceOk);
    EXPECT_EQ(position_msf(disc), pack_msf({0, 3, 0}));
    ASSERT_EQ(seek_to(disc, 200, 2, 0), kDeviceOk);
    EXPECT_EQ(position_tmsf(disc), pack_tmsf({2, 3, 20, 0}));
    EXPECT_EQ(query_mode(disc), kDeviceOk) << "a seek leaves the device stopped";
    EXPECT_EQ(time_readout(disc, kTimerRemaining), 40);
    EXPECT_EQ(time_readout(disc, kTimerDisc), 440) << "disc time counts from 00:00:00";
    PlayOrder order = make_play_order(4);
    order[3].excluded = 1, disc.current_index = 1;
    for (int32_t mode : {kDevicePlaying, kDeviceOk, kDevicePlaying}) {  // played, paused, resumed
        EXPECT_EQ(toggle_pause(disc, order, 0), kDeviceOk);
        EXPECT_EQ(query_mode(disc), mode);
    }
    // No MCI_FROM; to the start of the excluded track 4.
    EXPECT_TRUE(logged(0, "flags=NOTIFY|TO from=33000 to=54000"));  // 07:20:00 to 12:00:00
}

TEST_F(DeviceTest, AnOpenTrayAnEmptyDriveOrAnUnreadableDiscReportsTheDoorOpen) {
    EXPECT_EQ(query_mode(disc), kDeviceStatusFailed) << "no device open";
    drive.insert_seconds({60, 60, 60});
    ASSERT_EQ(open_disc(disc, kDrive), kDeviceOk);
    EXPECT_EQ(toggle_door(disc), kDeviceOk);
    EXPECT_EQ(query_mode(disc), kDeviceDoorOpen);
    EXPECT_EQ(open_disc(disc, kDrive), kDeviceDoorOpen) << "the device stays open";
    EXPECT_EQ(toggle_door(disc), kDeviceOk);
    EXPECT_EQ(query_mode(disc), kDeviceOk);
    drive.remove_disc();
    EXPECT_EQ(query_mode(disc), kDeviceDoorOpen) << "an empty drive";
    drive.insert_cue("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 99:99:99\n", 1000);
    EXPECT_EQ(query_mode(disc), kDeviceDoorOpen) << "a disc that cannot be read";
    close_disc(disc);
    EXPECT_EQ(disc.device_id, 0u);
    EXPECT_EQ(open_disc(disc, 'Q' - 'A'), kDeviceOpenFailed) << "Q: is no CD-ROM drive";
}

// The Play order 1 2 5 3 4 of one-second tracks played through: each range's
// end comes back on time as MM_MCINOTIFY and the end-of-range rule starts the
// next; the range to the last track is played without an end position.
TEST_F(DeviceTest, ThePlayOrderIsPlayedRangeByRange) {
    drive.insert_seconds({1, 1, 1, 1, 1});
    ASSERT_EQ(open_disc(disc, kDrive), kDeviceOk);
    PlayOrder order = make_play_order(5);
    order[2].track = 5, order[3].track = 3, order[4].track = 4;
    PlaybackHooks hooks = device_playback_hooks(disc, order, 0);
    int done = 0;
    hooks.order_done = [&] { ++done; };
    disc.playing = 1, disc.current_index = 0;
    const DWORD started = GetTickCount();
    ASSERT_EQ(play_from(disc, 0, order, 0), kDeviceOk);
    for (int range = 0; range < 3; ++range) {
        const auto notice = window.wait(4000);
        ASSERT_TRUE(notice && notice->status == MCI_NOTIFY_SUCCESSFUL) << "range " << range;
        const int32_t track = unpack_tmsf(position_tmsf(disc)).track;
        if (range == 0) {
            EXPECT_NEAR(static_cast<double>(notice->at_ms - started), 2000.0, 100.0) << "tracks 1 and 2";
            EXPECT_EQ(track, 2) << "at rest on the last frame played";
        }
        follow_device(disc, order, 0, track, hooks);  // the second timer's look
        range_finished(disc, order, 0, hooks);
    }
    EXPECT_TRUE(done == 1 && disc.playing == 0);
    EXPECT_EQ(drive.log_lines("PLAY").size(), 3u);
    EXPECT_TRUE(logged(0, "flags=NOTIFY|FROM|TO from=150 to=300") && logged(1, "flags=NOTIFY|FROM from=450 to=-"));
    EXPECT_TRUE(logged(2, "from=300 to=450"));
    EXPECT_EQ(position_msf(disc), pack_msf({0, 2, 0})) << "stopped at the start of track 1";
}

TEST_F(DeviceTest, ADiscLeftPlayingIsFoundPlayingWhenOpenedAgain) {
    drive.insert_seconds({120, 120, 120, 120});
    ASSERT_EQ(open_disc(disc, kDrive), kDeviceOk);
    ASSERT_EQ(play_from(disc, 1, make_play_order(4), 0), kDeviceOk);
    ASSERT_EQ(play_from(disc, kRunOut, make_play_order(4), 0), kDeviceOk);  // play on unnotified
    close_disc(disc);
    EXPECT_EQ(open_disc(disc, kDrive), kDevicePlaying) << "closing the device does not stop the disc";
    EXPECT_EQ(disc.playing, 1);
    EXPECT_EQ(unpack_tmsf(position_tmsf(disc)).track, 2);
    EXPECT_EQ(stop_device(disc), kDeviceOk);
}

}  // namespace
