#include "discinfo/disc_id.h"

#include "test_support.h"

TEST(DigitSum, AddsDecimalDigitsAndIgnoresNonPositive) {
    EXPECT_EQ(digit_sum(272), 11);
    EXPECT_EQ(digit_sum(2), 2);
    EXPECT_EQ(digit_sum(0), 0);
    EXPECT_EQ(digit_sum(-45), 0);
    EXPECT_EQ(digit_sum(2147483647), 46);
}

TEST(DiscId, WorkedExampleOfTwoTracks) {
    // Starts 00:02:00 and 04:32:10, lead-out 08:15:40.
    DiscRecord record;
    record.track_count = 2;
    record.toc[0] = {0, 2, 0, 150};
    record.toc[1] = {4, 32, 10, 20410};
    record.toc[2] = {8, 15, 40, 37165};
    EXPECT_EQ(disc_id(record), 0x0d01ed02u);
    EXPECT_EQ(disc_id_string(disc_id(record)), "0d01ed02");
}

TEST(DiscId, NoTracksGivesZero) {
    DiscRecord record;
    EXPECT_EQ(disc_id(record), 0u);
    EXPECT_EQ(disc_id_string(disc_id(record)), "00000000");
}

TEST(DiscId, ChecksumIsModulo255) {
    // 28 tracks of digit sum 9 plus one of 3 total 255; one more second makes 256.
    auto build = [](int last_start) {
        std::vector<int> starts(28, 9);
        DiscRecord record;
        int i = 0;
        for (int s : starts) record.toc[i++] = {s / 60, s % 60, 0, s * 75};
        record.toc[i++] = {last_start / 60, last_start % 60, 0, last_start * 75};
        record.track_count = i;
        record.toc[i] = {10, 0, 0, 600 * 75};
        return record;
    };
    EXPECT_EQ(disc_id(build(3)) >> 24, 0u);   // 28 * 9 + 3 = 255
    EXPECT_EQ(disc_id(build(4)) >> 24, 1u);   // 256
}

TEST(DiscId, FramesNeverChangeTheId) {
    const DiscRecord plain = record_with_starts({2, 272, 1000}, 2059, 0);
    const DiscRecord shifted = record_with_starts({2, 272, 1000}, 2059, 74);
    EXPECT_EQ(disc_id(plain), disc_id(shifted));
    EXPECT_EQ(disc_id(plain) & 0xff, 3u);
    EXPECT_EQ((disc_id(plain) >> 8) & 0xffff, 2057u);
}

TEST(DiscId, RealDiscMatchesItsCddbId) {
    // Offsets of alrs_freedb_7908090a.xmcd; the servers named it 7908090a.
    const int offsets[] = {150, 12860, 23460, 37067, 54250, 70892, 90637, 107507, 124742, 139870};
    DiscRecord record;
    record.track_count = 10;
    for (int i = 0; i < 10; ++i) {
        const int seconds = offsets[i] / 75;
        record.toc[i] = {seconds / 60, seconds % 60, offsets[i] % 75, offsets[i]};
    }
    record.toc[10] = {2059 / 60, 2059 % 60, 0, 2059 * 75};
    EXPECT_EQ(disc_id_string(disc_id(record)), "7908090a");
}
