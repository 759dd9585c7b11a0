#include "cdaudio/shuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<int32_t> Tracks(const PlayOrder& order) {
    std::vector<int32_t> tracks;
    for (const PlayOrderEntry& e : order) tracks.push_back(e.track);
    return tracks;
}

// A generator that replays the given values.
auto Script(std::vector<int> values) {
    return [values, i = size_t{0}]() mutable { return values[i++ % values.size()]; };
}

}  // namespace

TEST(Shuffle, ThePlayingTrackGoesFirstAndTheRestComeFromTheGenerator) {
    PlayOrder order = make_play_order(5);
    order[3].excluded = 1;  // track 4
    order[1].blink = 1;
    // rand() % 5 + 1: 3 is taken (playing), so 1 is drawn again; then 5, 4, 2.
    shuffle_order(order, true, 3, Script({2, 0, 4, 3, 1}));
    EXPECT_EQ(Tracks(order), (std::vector<int32_t>{3, 1, 5, 4, 2}));
    for (const PlayOrderEntry& e : order) {
        EXPECT_EQ(e.excluded, e.track == 4 ? 1 : 0) << e.track;
        EXPECT_EQ(e.blink, 0);
    }
}

TEST(Shuffle, WhileStoppedEveryPositionIsDrawnAndOffRestoresDiscOrderWithTheMarks) {
    PlayOrder order = make_play_order(12);
    order[6].excluded = 1;  // track 7
    int next = 0;
    shuffle_order(order, true, 0, [&] { return next += 7; });
    std::vector<int32_t> sorted = Tracks(order);
    std::sort(sorted.begin(), sorted.end());
    for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(sorted[i], i + 1);
    EXPECT_NE(Tracks(order), Tracks(make_play_order(12)));
    for (const PlayOrderEntry& e : order) EXPECT_EQ(e.excluded, e.track == 7 ? 1 : 0);

    shuffle_order(order, false, 0, [] { return 0; });
    EXPECT_EQ(Tracks(order), Tracks(make_play_order(12)));
    EXPECT_EQ(order[6].excluded, 1);
    for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(order[i].position, i + 1);
}
