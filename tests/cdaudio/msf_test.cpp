// Packed positions and the table-of-contents and readout arithmetic.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "cdaudio/msf.h"

namespace {

TEST(Msf, PacksAsTheDeviceExchangesPositions) {
    // MCI_MAKE_MSF(12, 34, 56) and MCI_MAKE_TMSF(7, 12, 34, 56).
    EXPECT_EQ(pack_msf({12, 34, 56}), 0x38220Cu);
    EXPECT_EQ(pack_tmsf({7, 12, 34, 56}), 0x38220C07u);
    EXPECT_EQ(unpack_msf(0x38220Cu), (Msf{12, 34, 56}));
    EXPECT_EQ(unpack_tmsf(0x38220C07u), (Tmsf{7, 12, 34, 56}));
    EXPECT_EQ(unpack_tmsf(0xFFFFFFFFu), (Tmsf{255, 255, 255, 255}));
    EXPECT_EQ(msf_to_frames({60, 31, 70}), 272395);
    EXPECT_EQ(frames_to_msf(272395), (Msf{60, 31, 70}));
}

TEST(Msf, TheLeadOutAddsTheMissingFrameAndCarries) {
    // 60:31:70 + 03:29:04 + 1 frame = 63:60:75 before carrying.
    const TocEntry lead_out = lead_out_entry(toc_entry({60, 31, 70}), {3, 29, 4});
    EXPECT_EQ(lead_out.minutes, 64);
    EXPECT_EQ(lead_out.seconds, 1);
    EXPECT_EQ(lead_out.frames, 0);
    EXPECT_EQ(lead_out.frame_offset, (64 * 60 + 1) * 75);
    const TocEntry plain = lead_out_entry(toc_entry({2, 0, 0}), {1, 10, 10});
    EXPECT_EQ(plain.frame_offset, msf_to_frames({3, 10, 11}));
}

TEST(Msf, OnlyAHundredTracksAreRead) {
    EXPECT_EQ(track_count_of(120), 100);
    EXPECT_EQ(track_count_of(100), 100);
    EXPECT_EQ(track_count_of(12), 12);
    EXPECT_EQ(track_count_of(0xFFFFFFFFu), 100);
}

TEST(Msf, TrackLengthsAreDifferencesOfWholeSeconds) {
    EXPECT_EQ(whole_seconds_between(toc_entry({5, 59, 74}), toc_entry({6, 0, 1})), 1);
    EXPECT_EQ(whole_seconds_between(toc_entry({0, 2, 74}), toc_entry({0, 3, 0})), 1);
    DiscRecord disc;
    disc.track_count = 2;
    disc.toc[0] = toc_entry({0, 2, 0});
    disc.toc[1] = toc_entry({5, 59, 74});
    disc.toc[2] = toc_entry({64, 1, 0});
    compute_lengths(disc);
    EXPECT_EQ(disc.track_seconds[0], 357);
    EXPECT_EQ(disc.track_seconds[1], 58 * 60 + 2);
    EXPECT_EQ(disc.track_seconds[2], -1);
    EXPECT_EQ(disc.disc_seconds, 3841);
}

DiscRecord disc_of_two() {
    DiscRecord disc;
    disc.track_count = 2;
    disc.toc[0] = toc_entry({0, 3, 0});
    disc.toc[1] = toc_entry({4, 0, 0});
    disc.toc[2] = toc_entry({8, 0, 0});
    compute_lengths(disc);
    return disc;
}

TEST(Msf, TimeReadouts) {
    const DiscRecord disc = disc_of_two();
    const uint32_t tmsf = pack_tmsf({2, 1, 5, 40});
    const uint32_t msf = pack_msf({5, 5, 40});
    EXPECT_EQ(readout_seconds(disc, 0, tmsf, msf), 65);
    EXPECT_EQ(readout_seconds(disc, kTimerRemaining, tmsf, msf), 240 - 65);
    EXPECT_EQ(readout_seconds(disc, kTimerDisc, tmsf, msf), 305);
    EXPECT_EQ(readout_seconds(disc, kTimerDisc | kTimerRemaining, tmsf, msf), 480 - 305);
    // A failed position query reads 0: track 0 has no length to count down.
    EXPECT_EQ(readout_seconds(disc, kTimerRemaining, 0, 0), 0);
    EXPECT_EQ(readout_seconds(disc, kTimerRemaining, pack_tmsf({3, 0, 1, 0}), 0), 0);
    EXPECT_EQ(readout_seconds(disc, kTimerDisc | kTimerRemaining, 0, 0), 480);
}

TEST(Msf, SeekTargets) {
    const DiscRecord disc = disc_of_two();
    // Disc-relative 0 is the recorded start of track 1, not 00:00:00.
    EXPECT_EQ(seek_target(disc, 0, 1, 1).position, pack_msf({0, 3, 0}));
    EXPECT_TRUE(seek_target(disc, 0, 1, 1).disc_relative);
    EXPECT_EQ(seek_target(disc, 125, 1, 1).position, pack_msf({2, 5, 0}));
    EXPECT_EQ(seek_target(disc, 60, 1, 3).position, pack_msf({7, 0, 0}));
    EXPECT_EQ(seek_target(disc, 480, 1, 3).position, pack_msf({0, 3, 0})) << "counted back to 0";
    EXPECT_FALSE(seek_target(disc, 10, 2, 0).disc_relative);
    EXPECT_EQ(seek_target(disc, 70, 2, 0).position, pack_tmsf({2, 1, 10, 0}));
    EXPECT_EQ(seek_target(disc, 10, 2, 2).position, pack_tmsf({2, 3, 50, 0}));
}

}  // namespace
