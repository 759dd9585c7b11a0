// The Play order rules: which position comes next, how much one play command
// covers, what the end of a range and the running device lead to, and shuffling.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cdaudio/play_order.h"
#include "cdaudio/shuffle.h"

namespace {

// Tracks by position; a negative track is excluded.
PlayOrder order_of(const std::vector<int32_t>& tracks) {
    PlayOrder order = make_play_order(static_cast<int32_t>(tracks.size()));
    for (size_t i = 0; i < tracks.size(); ++i) order[i].track = std::abs(tracks[i]), order[i].excluded = tracks[i] < 0;
    return order;
}

DiscRecord playing_at(int32_t index) {
    DiscRecord disc;
    disc.playing = 1, disc.current_index = index;
    return disc;
}

constexpr int32_t kTrack = kPlayRepeatTrack, kCd = kPlayRepeatCd;
const std::vector<int32_t> kSkip = {1, 2, -3, 4, -5}, kReordered = {1, 2, 5, 3, 4}, kOnlyThird = {-1, -2, 3, -4};

TEST(PlayOrder, NextPlayablePositionWrapsAroundTheEnds) {
    const struct { std::vector<int32_t> order; int32_t p; bool forward; int32_t next; } cases[] = {
        {kSkip, -1, true, 0}, {kSkip, 1, true, 3}, {kSkip, 3, true, 0}, {kSkip, 0, false, 3}, {kSkip, 3, false, 1},
        {kOnlyThird, 2, true, 2}, {kOnlyThird, 2, false, 2},  // found again after one wrap
        {{-1, -2}, -1, true, -1}, {{-1, -2}, 1, false, -1}, {{}, -1, true, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(next_index(order_of(c.order), c.p, c.forward), c.next) << c.p << c.forward;
}

// A range runs on while the next position played is the very next one and
// holds the next track: never over an excluded track, never past the wrap.
TEST(PlayOrder, OnePlayCommandCoversARunOfConsecutiveTracks) {
    const struct { std::vector<int32_t> order; int32_t p, type; std::optional<PlayRange> range; } cases[] = {
        {{1, 2, 3, 4}, 1, 0, PlayRange{2, 5}}, {{1, 2, 3, 4}, 1, kCd, PlayRange{2, 5}},  // 5: to the end of the disc
        {{1, 2, 3, 4}, 4, 0, {}}, {{1, 2, 3, 4}, -1, 0, {}}, {{1, 2, 3, 4}, 1, kTrack, PlayRange{2, 3}},
        {kSkip, 0, 0, PlayRange{1, 3}}, {kSkip, 3, 0, PlayRange{4, 5}}, {kReordered, 0, 0, PlayRange{1, 3}},
        {kReordered, 2, 0, PlayRange{5, 6}}, {kReordered, 3, 0, PlayRange{3, 5}}, {{1, -3, 2, 4}, 0, 0, PlayRange{1, 2}},
        {{3, 1, 2}, 1, 0, PlayRange{1, 3}}, {{-1, -2}, 0, 0, {}}, {kSkip, 2, kTrack, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(play_range(order_of(c.order), c.p, c.type), c.range) << c.p << " " << c.type;
}

TEST(PlayOrder, TheEndOfARangeAndTheDevicesTrackLeadOn) {
    const struct { std::vector<int32_t> order; int32_t current, type; RangeEnd end; } ends[] = {
        {kSkip, 1, 0, {RangeEnd::Advance, 3}}, {kReordered, 1, 0, {RangeEnd::Advance, 2}},
        {kReordered, 4, 0, {RangeEnd::Finished, -1}}, {{3, 1, 2}, 2, kCd, {RangeEnd::Advance, 0}},
        {{-1, 2, 3}, 2, kCd, {RangeEnd::Advance, 1}}, {kOnlyThird, 2, 0, {RangeEnd::Finished, -1}},
        {kOnlyThird, 2, kCd, {RangeEnd::Advance, 2}}, {{-1, -2}, 0, 0, {RangeEnd::Stop, -1}},
        {{4, 2, 3, 1}, 1, kTrack, {RangeEnd::Replay, 1}},
    };
    for (const auto& c : ends)
        EXPECT_EQ(decide_range_finished(order_of(c.order), playing_at(c.current), c.type), c.end) << c.current;
    DiscRecord stopped;
    EXPECT_EQ(decide_range_finished(order_of(kSkip), stopped, 0).action, RangeEnd::Stop);

    const struct { std::vector<int32_t> order; int32_t current, type, track; FollowStep step; } follows[] = {
        {{1, 2, 3, 4}, 1, 0, 2, {}}, {{1, 2, 3, 4}, 1, 0, 3, {FollowStep::MoveTo, 2}},
        {{1, 2, 3, 4}, 1, 0, 4, {FollowStep::MoveTo, 3}},  // a short track passed between two looks
        {{1, 2, 3, 2}, 0, 0, 2, {FollowStep::MoveTo, 3}},  // a track named twice: the last position
        {{1, 2, 3, 4}, 1, 0, 0, {}},                       // a failed position query
        {{1, -3, 2, 4}, 0, 0, 2, {}}, {{3, 1, 2}, 2, 0, 3, {}},  // the range ends before it
        {{1, 2, 3, 4}, 1, kTrack, 2, {}}, {{1, 2, 3, 4}, 1, kTrack, 3, {FollowStep::Replay, 1}},
    };
    for (const auto& c : follows)
        EXPECT_EQ(decide_follow_device(order_of(c.order), playing_at(c.current), c.type, c.track), c.step) << c.track;
}

// The device and window effects the decisions are carried out with, in order.
TEST(PlayOrder, DecisionsAreCarriedOut) {
    std::string calls;
    auto note = [&calls](const std::string& what, int a = 0) { return calls += what + std::to_string(a) + " ", 0; };
    const PlaybackHooks hooks{
        .stop_device = [&] { return note("stop"); },
        .seek_to = [&](int16_t s, int16_t t, uint8_t f) { return note("seek", s * 100 + t * 10 + f); },
        .play_from = [&](int16_t i) { return note("play", i); },
        .show_stopped = [&](int32_t i) { note("stopped", i); },
        .show_track_title = [&](int32_t t) { note("title", t); },
        .order_done = [&] { note("done"); },
    };
    const PlayOrder order = order_of(kReordered);
    auto after = [&](const std::function<void()>& step) { return calls.clear(), step(), calls; };
    DiscRecord disc = playing_at(1);
    EXPECT_EQ(after([&] { range_finished(disc, order, 0, hooks); }), "title5 play2 ");
    EXPECT_EQ(disc.current_index, 2);
    EXPECT_EQ(after([&] { follow_device(disc, order, 0, 3, hooks); }), "");
    disc.current_index = 3;
    EXPECT_EQ(after([&] { follow_device(disc, order, 0, 4, hooks); }), "title4 ");
    EXPECT_EQ(disc.current_index, 4);
    EXPECT_EQ(after([&] { follow_device(disc, order, kTrack, 5, hooks); }), "play4 ");
    EXPECT_EQ(after([&] { range_finished(disc, order, kTrack, hooks); }), "play4 ");
    disc.paused = 1;  // stopped from 00:00 of track 1 (disc-relative)
    EXPECT_EQ(after([&] { range_finished(disc, order, 0, hooks); }), "stop0 seek11 stopped4 done0 ");
    EXPECT_TRUE(!disc.playing && !disc.paused);
    EXPECT_EQ(after([&] { range_finished(disc, order, 0, hooks); }), "stop0 ");  // nothing was playing
    disc = playing_at(0);
    stop_playback(disc, PlaybackHooks{});  // unset hooks are skipped
    EXPECT_EQ(disc.playing, 0);
}

TEST(Shuffle, ThePlayingTrackStaysFirstAndTheRestAreDrawn) {
    PlayOrder order = make_play_order(5);
    order[1].excluded = 1;  // track 2
    order[3].blink = 1;
    // Each track keeps its exclusion mark and every blink flag is cleared.
    auto expect = [&order](const std::vector<int32_t>& tracks) {
        for (size_t i = 0; i < 5; ++i)
            EXPECT_TRUE(order[i].track == tracks[i] && order[i].excluded == (tracks[i] == 2) && !order[i].blink) << i;
    };
    // rand() % 5 + 1: 3 is taken (playing), so 1 is drawn again; then 5, 4, 2.
    shuffle_order(order, true, 3, [values = std::vector{2, 0, 4, 3, 1}, i = 0]() mutable { return values[i++]; });
    expect({3, 1, 5, 4, 2});
    // Stopped: every position is drawn, and off restores disc order.
    shuffle_order(order, true, 0, [next = 0]() mutable { return next += 7; });
    expect({3, 5, 2, 4, 1});
    shuffle_order(order, false, 0, [] { return 0; });
    expect({1, 2, 3, 4, 5});
}

}  // namespace
