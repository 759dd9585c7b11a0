// The Play order rules: which position comes next, how much one play command
// covers, and what the end of a range and the running device lead to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "cdaudio/play_order.h"

namespace {

PlayOrder order_of(const std::vector<int32_t>& tracks) {
    PlayOrder order = make_play_order(static_cast<int32_t>(tracks.size()));
    for (size_t i = 0; i < tracks.size(); ++i) {
        order[i].track = tracks[i] < 0 ? -tracks[i] : tracks[i];
        order[i].excluded = tracks[i] < 0;
    }
    return order;
}

DiscRecord playing_at(int32_t index) {
    DiscRecord disc;
    disc.playing = 1;
    disc.current_index = index;
    return disc;
}

// The device and window effects, in the order they happen.
struct Recorder {
    std::vector<std::string> calls;
    PlaybackHooks hooks() {
        PlaybackHooks h;
        h.stop_device = [this] { calls.push_back("stop"); return 0; };
        h.seek_to = [this](int16_t s, int16_t t, uint8_t f) {
            calls.push_back("seek " + std::to_string(s) + " " + std::to_string(t) + " " + std::to_string(f));
            return 0;
        };
        h.play_from = [this](int16_t i) { calls.push_back("play " + std::to_string(i)); return 0; };
        h.show_stopped = [this](int32_t i) { calls.push_back("stopped " + std::to_string(i)); };
        h.show_track_title = [this](int32_t t) { calls.push_back("title " + std::to_string(t)); };
        h.order_done = [this] { calls.push_back("done"); };
        return h;
    }
};

TEST(PlayOrder, ANewDiscPlaysInDiscOrder) {
    const PlayOrder order = make_play_order(3);
    ASSERT_EQ(order.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(order[i].position, i + 1);
        EXPECT_EQ(order[i].track, i + 1);
        EXPECT_EQ(order[i].excluded, 0);
    }
    EXPECT_TRUE(make_play_order(0).empty());
}

TEST(NextIndex, SkipsExcludedPositionsAndWrapsAroundTheEnds) {
    const PlayOrder order = order_of({1, -2, 3, 4, -5});
    EXPECT_EQ(next_index(order, -1, true), 0) << "the first playable position";
    EXPECT_EQ(next_index(order, 0, true), 2);
    EXPECT_EQ(next_index(order, 3, true), 0) << "wraps past the excluded last position";
    EXPECT_EQ(next_index(order, 0, false), 3) << "backwards from 0: the last playable position";
    EXPECT_EQ(next_index(order, 2, false), 0);

    const PlayOrder one = order_of({-1, -2, 3, -4});
    EXPECT_EQ(next_index(one, 2, true), 2) << "the only playable position, found again after one wrap";
    EXPECT_EQ(next_index(one, 2, false), 2);

    const PlayOrder none = order_of({-1, -2, -3});
    EXPECT_EQ(next_index(none, -1, true), -1);
    EXPECT_EQ(next_index(none, 1, false), -1);
    EXPECT_EQ(next_index(PlayOrder{}, -1, true), -1);
}

TEST(PlayRange, TheNaturalOrderPlaysToTheEndOfTheDiscInOneCommand) {
    const PlayOrder order = make_play_order(10);
    EXPECT_EQ(play_range(order, 3, 0), (PlayRange{4, 11})) << "an end past track 10: no MCI_TO";
    EXPECT_EQ(play_range(order, 9, 0), (PlayRange{10, 11}));
    EXPECT_EQ(play_range(order, 3, kPlayRepeatCd), (PlayRange{4, 11}));
    EXPECT_FALSE(play_range(order, 10, 0)) << "no such position";
    EXPECT_FALSE(play_range(order, -1, 0));
}

TEST(PlayRange, AnExcludedTrackEndsTheRangeAndTheNextStartsAfterIt) {
    PlayOrder order = make_play_order(10);
    order[6].excluded = 1;  // track 7
    EXPECT_EQ(play_range(order, 3, 0), (PlayRange{4, 7}));
    // The second timer has followed the device to position 5 (track 6).
    const RangeEnd end = decide_range_finished(order, playing_at(5), 0);
    EXPECT_EQ(end, (RangeEnd{RangeEnd::Advance, 7}));
    EXPECT_EQ(play_range(order, 7, 0), (PlayRange{8, 11}));
}

TEST(PlayRange, AReorderedDiscPlaysInRunsOfConsecutiveTracks) {
    const PlayOrder order = order_of({1, 2, 5, 3, 4});
    EXPECT_EQ(play_range(order, 0, 0), (PlayRange{1, 3}));
    EXPECT_EQ(decide_range_finished(order, playing_at(1), 0), (RangeEnd{RangeEnd::Advance, 2}));
    EXPECT_EQ(play_range(order, 2, 0), (PlayRange{5, 6})) << "track 5 alone, to the end of the disc";
    EXPECT_EQ(decide_range_finished(order, playing_at(2), 0), (RangeEnd{RangeEnd::Advance, 3}));
    EXPECT_EQ(play_range(order, 3, 0), (PlayRange{3, 5}));
    EXPECT_EQ(decide_range_finished(order, playing_at(4), 0), (RangeEnd{RangeEnd::Finished, -1}));
}

TEST(PlayRange, NothingToPlay) {
    const PlayOrder none = order_of({-1, -2, -3});
    EXPECT_FALSE(play_range(none, 0, 0));
    EXPECT_EQ(decide_range_finished(none, playing_at(0), 0), (RangeEnd{RangeEnd::Stop, -1}));
    // Repeat track on an excluded position.
    const PlayOrder order = order_of({1, -2, 3});
    EXPECT_FALSE(play_range(order, 1, kPlayRepeatTrack));
    EXPECT_EQ(play_range(order, 0, kPlayRepeatTrack), (PlayRange{1, 2}));
}

// Where the order's walk could cover more than the positions it plays next,
// a range stops: it never plays an excluded track and never runs on past the
// last position into a wrap.
TEST(PlayRange, ARangeNeverCrossesAnExcludedPositionOrTheWrap) {
    // Track 3 is excluded between tracks 1 and 2: track 1 alone, then 2.
    const PlayOrder skipped = order_of({1, -3, 2, 4});
    EXPECT_EQ(play_range(skipped, 0, 0), (PlayRange{1, 2}));
    EXPECT_EQ(decide_range_finished(skipped, playing_at(0), 0), (RangeEnd{RangeEnd::Advance, 2}));
    EXPECT_EQ(play_range(skipped, 2, 0), (PlayRange{2, 3}));
    // The device running from track 1 into track 2 is not followed: the
    // range ends before it.
    EXPECT_EQ(decide_follow_device(skipped, playing_at(0), 0, 2).action, FollowStep::Stay);

    // The last position holds track 2 and the first track 3: the order ends
    // after track 2, unless repeat CD goes on with position 0.
    const PlayOrder wrap = order_of({3, 1, 2});
    EXPECT_EQ(play_range(wrap, 1, 0), (PlayRange{1, 3}));
    EXPECT_EQ(play_range(wrap, 2, 0), (PlayRange{2, 3}));
    EXPECT_EQ(decide_range_finished(wrap, playing_at(2), 0), (RangeEnd{RangeEnd::Finished, -1}));
    EXPECT_EQ(decide_range_finished(wrap, playing_at(2), kPlayRepeatCd), (RangeEnd{RangeEnd::Advance, 0}));
    EXPECT_EQ(decide_follow_device(wrap, playing_at(2), 0, 3).action, FollowStep::Stay);
}

TEST(RangeFinished, TheEndOfTheOrderStopsOrStartsOverWithRepeatCd) {
    PlayOrder order = make_play_order(5);
    order[0].excluded = 1;
    EXPECT_EQ(decide_range_finished(order, playing_at(4), 0), (RangeEnd{RangeEnd::Finished, -1}));
    EXPECT_EQ(decide_range_finished(order, playing_at(4), kPlayRepeatCd), (RangeEnd{RangeEnd::Advance, 1}))
        << "the first playable position";

    DiscRecord stopped = playing_at(2);
    stopped.playing = 0;
    EXPECT_EQ(decide_range_finished(order, stopped, 0).action, RangeEnd::Stop);
}

TEST(RangeFinished, RepeatTrackPlaysTheSamePositionAgain) {
    const PlayOrder order = order_of({4, 2, 3, 1});
    EXPECT_EQ(play_range(order, 1, kPlayRepeatTrack), (PlayRange{2, 3}));
    EXPECT_EQ(decide_range_finished(order, playing_at(1), kPlayRepeatTrack), (RangeEnd{RangeEnd::Replay, 1}));
    EXPECT_EQ(decide_range_finished(order, playing_at(3), kPlayRepeatTrack), (RangeEnd{RangeEnd::Replay, 3}));
}

TEST(FollowDevice, MovesTheCurrentPositionAlongInsideARange) {
    const PlayOrder order = make_play_order(6);
    EXPECT_EQ(decide_follow_device(order, playing_at(2), 0, 3), (FollowStep{}));
    EXPECT_EQ(decide_follow_device(order, playing_at(2), 0, 4), (FollowStep{FollowStep::MoveTo, 3}));
    // A track of a second can be passed between two looks.
    EXPECT_EQ(decide_follow_device(order, playing_at(2), 0, 5), (FollowStep{FollowStep::MoveTo, 4}));
    // A restored order may name a track twice: the last position holding it.
    const PlayOrder twice = order_of({1, 2, 3, 2});
    EXPECT_EQ(decide_follow_device(twice, playing_at(0), 0, 2), (FollowStep{FollowStep::MoveTo, 3}));
    // A failed position query reads track 0, which no position holds.
    EXPECT_EQ(decide_follow_device(order, playing_at(2), 0, 0).action, FollowStep::Stay);
}

TEST(FollowDevice, RepeatTrackStartsTheTrackAgainOnceTheDeviceRunsPastIt) {
    const PlayOrder order = make_play_order(6);
    EXPECT_EQ(decide_follow_device(order, playing_at(2), kPlayRepeatTrack, 3), (FollowStep{}));
    EXPECT_EQ(decide_follow_device(order, playing_at(2), kPlayRepeatTrack, 4), (FollowStep{FollowStep::Replay, 2}));
}

TEST(StopPlayback, StopsTheDeviceAndOnlyAPlayingPlayerRewinds) {
    Recorder r;
    DiscRecord disc = playing_at(3);
    disc.paused = 1;
    stop_playback(disc, r.hooks());
    EXPECT_EQ(disc.playing, 0);
    EXPECT_EQ(disc.paused, 0);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"stop", "seek 0 1 1", "stopped 3"}));

    r.calls.clear();
    stop_playback(disc, r.hooks());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"stop"})) << "already stopped";

    // Unset hooks are skipped.
    DiscRecord again = playing_at(0);
    stop_playback(again, PlaybackHooks{});
    EXPECT_EQ(again.playing, 0);
}

TEST(RangeFinished, CarriesOutItsDecision) {
    const PlayOrder order = order_of({1, 2, 5, 3, 4});
    Recorder r;
    DiscRecord disc = playing_at(1);
    range_finished(disc, order, 0, r.hooks());
    EXPECT_EQ(disc.current_index, 2);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"title 5", "play 2"}));

    r.calls.clear();
    disc.current_index = 4;
    range_finished(disc, order, 0, r.hooks());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"stop", "seek 0 1 1", "stopped 4", "done"}));

    r.calls.clear();
    disc = playing_at(3);
    range_finished(disc, order, kPlayRepeatTrack, r.hooks());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"play 3"}));

    r.calls.clear();
    disc.playing = 0;
    range_finished(disc, order, 0, r.hooks());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"stop"})) << "nothing was playing";
}

TEST(FollowDevice, CarriesOutItsDecision) {
    const PlayOrder order = make_play_order(4);
    Recorder r;
    DiscRecord disc = playing_at(0);
    follow_device(disc, order, 0, 2, r.hooks());
    EXPECT_EQ(disc.current_index, 1);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"title 2"}));
    r.calls.clear();
    follow_device(disc, order, kPlayRepeatTrack, 3, r.hooks());
    EXPECT_EQ(disc.current_index, 1);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"play 1"}));
}

}  // namespace
