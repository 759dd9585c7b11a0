#include "cdaudio/shuffle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> tracks_of(const PlayOrder& order) {
    std::vector<int32_t> tracks;
    for (const PlayOrderEntry& e : order) tracks.push_back(e.track);
    return tracks;
}

// Each track keeps its exclusion mark and every blink flag is cleared.
void expect_marks(const PlayOrder& order, int32_t excluded_track) {
    for (const PlayOrderEntry& e : order) EXPECT_TRUE(e.excluded == (e.track == excluded_track) && !e.blink) << e.track;
}

TEST(Shuffle, ThePlayingTrackStaysFirstAndTheRestAreDrawn) {
    PlayOrder order = make_play_order(5);
    order[1].excluded = 1;  // track 2
    order[3].blink = 1;
    // rand() % 5 + 1: 3 is taken (playing), so 1 is drawn again; then 5, 4, 2.
    shuffle_order(order, true, 3, [values = std::vector{2, 0, 4, 3, 1}, i = 0]() mutable { return values[i++]; });
    EXPECT_EQ(tracks_of(order), (std::vector<int32_t>{3, 1, 5, 4, 2}));
    expect_marks(order, 2);
    // Stopped: every position is drawn, and off restores disc order.
    shuffle_order(order, true, 0, [next = 0]() mutable { return next += 7; });
    EXPECT_EQ(tracks_of(order), (std::vector<int32_t>{3, 5, 2, 4, 1}));
    expect_marks(order, 2);
    shuffle_order(order, false, 0, [] { return 0; });
    EXPECT_EQ(tracks_of(order), (std::vector<int32_t>{1, 2, 3, 4, 5}));
    expect_marks(order, 2);
}

}  // namespace
