// The Play order rules: which position comes next, how much one play command
// covers, and what the end of a range and the running device lead to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "cdaudio/play_order.h"

namespace {

// Tracks by position; a negative track is excluded.
PlayOrder order_of(const std::vector<int32_t>& tracks) {
    PlayOrder order = make_play_order(static_cast<int32_t>(tracks.size()));
    for (size_t i = 0; i < tracks.size(); ++i) order[i].track = std::abs(tracks[i]), order[i].excluded = tracks[i] < 0;
    return order;
}

DiscRecord playing_at(int32_t index) {
    DiscRecord disc;
    disc.playing = 1;
    disc.current_index = index;
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
    const PlayOrder fresh = make_play_order(3);
    EXPECT_TRUE(fresh[2].position == 3 && fresh[2].track == 3 && !fresh[2].excluded);
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
    std::vector<std::string> calls;
    PlaybackHooks hooks;
    hooks.stop_device = [&] { return calls.push_back("stop"), 0; };
    hooks.seek_to = [&](int16_t s, int16_t t, uint8_t f) {
        return calls.push_back("seek " + std::to_string(s) + std::to_string(t) + std::to_string(f)), 0;
    };
    hooks.play_from = [&](int16_t i) { return calls.push_back("play " + std::to_string(i)), 0; };
    hooks.show_stopped = [&](int32_t i) { calls.push_back("stopped " + std::to_string(i)); };
    hooks.show_track_title = [&](int32_t t) { calls.push_back("title " + std::to_string(t)); };
    hooks.order_done = [&] { calls.push_back("done"); };
    const PlayOrder order = order_of(kReordered);
    auto after = [&](const std::function<void()>& step) {
        calls.clear();
        step();
        return calls;
    };
    using Calls = std::vector<std::string>;
    DiscRecord disc = playing_at(1);
    EXPECT_EQ(after([&] { range_finished(disc, order, 0, hooks); }), (Calls{"title 5", "play 2"}));
    EXPECT_EQ(disc.current_index, 2);
    EXPECT_EQ(after([&] { follow_device(disc, order, 0, 3, hooks); }), Calls{});
    disc.current_index = 3;
    EXPECT_EQ(after([&] { follow_device(disc, order, 0, 4, hooks); }), (Calls{"title 4"}));
    EXPECT_EQ(disc.current_index, 4);
    EXPECT_EQ(after([&] { follow_device(disc, order, kTrack, 5, hooks); }), (Calls{"play 4"}));
    EXPECT_EQ(after([&] { range_finished(disc, order, kTrack, hooks); }), (Calls{"play 4"}));
    disc.paused = 1;  // stopped from 00:00 of track 1 (disc-relative)
    EXPECT_EQ(after([&] { range_finished(disc, order, 0, hooks); }), (Calls{"stop", "seek 011", "stopped 4", "done"}));
    EXPECT_TRUE(!disc.playing && !disc.paused);
    EXPECT_EQ(after([&] { range_finished(disc, order, 0, hooks); }), (Calls{"stop"}));  // nothing was playing
    disc = playing_at(0);
    stop_playback(disc, PlaybackHooks{});  // unset hooks are skipped
    EXPECT_EQ(disc.playing, 0);
}

}  // namespace
