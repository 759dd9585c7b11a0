// Packed positions and the table-of-contents and readout arithmetic.
#include <gtest/gtest.h>

#include <vector>

#include "cdaudio/msf.h"

namespace {

TEST(Msf, PositionsPackAsTheDeviceExchangesThemAndTheLeadOutCarries) {
    // MCI_MAKE_MSF(12, 34, 56) and MCI_MAKE_TMSF(7, 12, 34, 56).
    EXPECT_EQ(pack_msf({12, 34, 56}), 0x38220Cu);
    EXPECT_EQ(pack_tmsf({7, 12, 34, 56}), 0x38220C07u);
    EXPECT_EQ(unpack_msf(0x38220Cu), (Msf{12, 34, 56}));
    EXPECT_EQ(unpack_tmsf(0xFFFFFFFFu), (Tmsf{255, 255, 255, 255}));
    EXPECT_EQ(frames_to_msf(272395), (Msf{60, 31, 70}));
    EXPECT_EQ(track_count_of(0xFFFFFFFFu), 100);  // the record holds at most 100 tracks
    EXPECT_EQ(track_count_of(12), 12);
    // 60:31:70 + 03:29:04 + the missing frame = 63:60:75 before carrying.
    const TocEntry lead_out = lead_out_entry(toc_entry({60, 31, 70}), {3, 29, 4});
    EXPECT_EQ(lead_out.minutes * 10000 + lead_out.seconds * 100 + lead_out.frames, 640100);
    EXPECT_EQ(lead_out.frame_offset, 288075);
}

// Two tracks from 00:02 (frame 0) and 05:59:74 to the lead-out at 64:01;
// lengths are differences of whole seconds.
TEST(Msf, TrackLengthsReadoutsAndSeekTargets) {
    DiscRecord disc;
    disc.track_count = 2;
    disc.toc[0] = toc_entry({0, 2, 0});
    disc.toc[1] = toc_entry({5, 59, 74});
    disc.toc[2] = toc_entry({64, 1, 0});
    compute_lengths(disc);
    const int32_t lengths[] = {disc.track_seconds[0], disc.track_seconds[1], disc.track_seconds[2], disc.disc_seconds};
    EXPECT_EQ(std::vector<int32_t>(lengths, lengths + 4), (std::vector<int32_t>{357, 3482, -1, 3841}));
    const uint32_t tmsf = pack_tmsf({2, 1, 5, 40}), msf = pack_msf({7, 5, 40});
    const struct { int32_t mode; uint32_t tmsf, msf; int32_t seconds; } readouts[] = {
        {0, tmsf, msf, 65}, {kTimerRemaining, tmsf, msf, 3482 - 65}, {kTimerDisc, tmsf, msf, 425},
        {kTimerDisc | kTimerRemaining, tmsf, msf, 3841 - 425}, {kTimerDisc | kTimerRemaining, 0, 0, 3841},
        {kTimerRemaining, 0, 0, 0}, {kTimerRemaining, pack_tmsf({3, 0, 1, 0}), 0, 0},  // no such track: 0
    };
    for (const auto& r : readouts) EXPECT_EQ(readout_seconds(disc, r.mode, r.tmsf, r.msf), r.seconds) << r.mode;

    const struct { int16_t seconds, track; uint8_t flags; uint32_t position; } seeks[] = {
        {0, 1, 1, pack_msf({0, 2, 0})},  // disc-relative 0 is the start of track 1, not 00:00
        {125, 1, 1, pack_msf({2, 5, 0})}, {60, 1, 3, pack_msf({63, 1, 0})}, {3841, 1, 3, pack_msf({0, 2, 0})},
        {70, 2, 0, pack_tmsf({2, 1, 10, 0})}, {10, 2, 2, pack_tmsf({2, 57, 52, 0})},
    };
    for (const auto& s : seeks) {
        EXPECT_EQ(seek_target(disc, s.seconds, s.track, s.flags).position, s.position) << s.seconds << " " << +s.flags;
        EXPECT_EQ(seek_target(disc, s.seconds, s.track, s.flags).disc_relative, (s.flags & 1) != 0);
    }
}

}  // namespace
