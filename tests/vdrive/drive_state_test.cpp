// The virtual drive's tray and play state and how it moves with the clock.
#include <gtest/gtest.h>

#include "vdrive/drive_state.h"

namespace {

// Three audio tracks of 100 s and a data track.
DiscLayout disc() {
    return {{{1, 150, true}, {2, 150 + 7500, true}, {3, 150 + 15000, true}, {4, 150 + 22500, false}}, 150 + 30000, {}, {}};
}

TEST(DriveState, SurvivesTheTripThroughItsFile) {
    const DriveState s{true, DriveMode::Paused, 12345, 1796487934000, 20000, 42};
    EXPECT_EQ(parse_state(format_state(s)), s);
    // A damaged or foreign file gives a closed, stopped drive.
    EXPECT_EQ(parse_state("mode=flying\nposition=abc\n\x01\x02=\n"), DriveState{});
    EXPECT_EQ(parse_state("tray=open\r\nposition=300\r\n").position, 300);
}

TEST(DriveState, APlayAdvancesWithTheClockPausesAndStopsOnItsLastFrame) {
    DriveState s;
    ASSERT_TRUE(drive_play(s, disc(), 150, 150 + 750, 1000));
    EXPECT_EQ(s.play_id, 1u);
    EXPECT_EQ(state_at(s, 500).position, 150) << "a clock behind the start reads the start";
    EXPECT_EQ(state_at(s, 3000).position, 150 + 150);
    EXPECT_EQ(state_at(s, 3000).mode, DriveMode::Playing);
    EXPECT_EQ(ms_until_end(state_at(s, 3000), 3000), 8000) << "re-basing keeps the end";
    const DriveState after = state_at(s, 11000);
    EXPECT_TRUE(after.mode == DriveMode::Stopped && after.position == 150 + 749 && ms_until_end(after, 11000) == -1);
    s = state_at(s, 5000);
    drive_pause(s);
    EXPECT_EQ(state_at(s, 60000).position, 150 + 300);
    EXPECT_EQ(state_at(s, 60000).mode, DriveMode::Paused);
    drive_resume(s, 60000);
    EXPECT_EQ(ms_until_end(s, 60000), 6000);
    EXPECT_EQ(s.play_id, 1u) << "still the same play";
    drive_stop(s);
    EXPECT_EQ(state_at(s, 99000).mode, DriveMode::Stopped);
}

TEST(DriveState, AudioOnlyAndWithinTheDisc) {
    DriveState s;
    // A data track, the lead-in, an empty range, a range past the lead-out.
    for (const auto& [from, to] : {std::pair{150 + 22500, 150 + 25000}, {100, 1000}, {1000, 1000}, {1000, 150 + 30001}})
        EXPECT_FALSE(drive_play(s, disc(), from, to, 0)) << from << ".." << to;
    ASSERT_TRUE(drive_play(s, disc(), 150 + 15000, 150 + 30000, 0));
    EXPECT_EQ(s.end, 150 + 22500) << "stops where the audio ends";
    EXPECT_TRUE(drive_seek(s, disc(), 150 + 30000));
    EXPECT_FALSE(drive_seek(s, disc(), 150 + 30001));
    drive_open_tray(s);
    EXPECT_FALSE(drive_play(s, disc(), 150, 300, 0)) << "the tray is open";
    EXPECT_FALSE(drive_seek(s, disc(), 150));
    DiscLayout pregap = disc();
    pregap.tracks[0].start = 225;
    drive_close_tray(s, &pregap);
    EXPECT_EQ(s.position, 225);
    EXPECT_FALSE(s.tray_open);
}

}  // namespace
