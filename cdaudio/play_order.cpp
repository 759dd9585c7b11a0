#include "cdaudio/play_order.h"

PlayOrder make_play_order(int32_t track_count) {
    PlayOrder order(static_cast<size_t>(track_count > 0 ? track_count : 0));
    for (int32_t i = 0; i < static_cast<int32_t>(order.size()); ++i) {
        order[i].position = i + 1;
        order[i].track = i + 1;
    }
    return order;
}

int32_t next_index(std::span<const PlayOrderEntry> order, int32_t p, bool forward) {
    const int32_t count = static_cast<int32_t>(order.size());
    if (count == 0) return -1;
    const int32_t step = forward ? 1 : -1;
    int32_t wraps = 0;
    for (;;) {
        p += step;
        if (wraps > 1) return -1;
        if (p < 0) {
            p = count - 1;
            ++wraps;
        } else if (p >= count) {
            p = 0;
            ++wraps;
        }
        if (!order[p].excluded) return p;
    }
}

// Whether a range that plays position i runs on into the position after it.
// It does only when that position is the very next one (neither a wrap to
// the start of the order nor a jump over an excluded position) and holds the
// next track on the disc. So a range never plays an excluded track and
// never runs past the last position, where repeat CD and the end of the
// order are decided.
static bool range_continues(std::span<const PlayOrderEntry> order, int32_t i) {
    const int32_t n = next_index(order, i, true);
    return n == i + 1 && order[n].track == order[i].track + 1;
}

std::optional<PlayRange> play_range(std::span<const PlayOrderEntry> order, int32_t p,
                                    int32_t play_type) {
    const int32_t count = static_cast<int32_t>(order.size());
    if (p < 0 || p >= count) return std::nullopt;
    if (play_type & kPlayRepeatTrack) {
        if (order[p].excluded) return std::nullopt;
        return PlayRange{order[p].track, order[p].track + 1};
    }
    if (next_index(order, p, true) < 0) return std::nullopt;
    int32_t i = p;
    while (range_continues(order, i)) ++i;
    return PlayRange{order[p].track, order[i].track + 1};
}

RangeEnd decide_range_finished(std::span<const PlayOrderEntry> order, const DiscRecord& disc,
                               int32_t play_type) {
    if (!disc.playing) return {RangeEnd::Stop, -1};
    if (play_type & kPlayRepeatTrack) return {RangeEnd::Replay, disc.current_index};
    const int32_t n = next_index(order, disc.current_index, true);
    if (n < 0) return {RangeEnd::Stop, -1};
    if (n <= disc.current_index && !(play_type & kPlayRepeatCd)) return {RangeEnd::Finished, -1};
    return {RangeEnd::Advance, n};
}

FollowStep decide_follow_device(std::span<const PlayOrderEntry> order, const DiscRecord& disc,
                                int32_t play_type, int32_t device_track) {
    const int32_t count = static_cast<int32_t>(order.size());
    const int32_t current = disc.current_index;
    if (current < 0 || current >= count) return {};
    const int32_t current_track = order[current].track;
    if (play_type & kPlayRepeatTrack) {
        if (device_track != current_track) return {FollowStep::Replay, current};
        return {};
    }
    if (device_track == current_track || !range_continues(order, current)) return {};
    int32_t found = -1;
    for (int32_t i = 0; i < count; ++i)
        if (order[i].track == device_track) found = i;
    if (found < 0) return {};
    return {FollowStep::MoveTo, found};
}

template <typename F, typename... A>
static void call(const F& hook, A... args) {
    if (hook) hook(args...);
}

void stop_playback(DiscRecord& disc, const PlaybackHooks& hooks) {
    call(hooks.stop_device);
    if (!disc.playing && !disc.paused) return;
    disc.playing = 0;
    disc.paused = 0;
    call(hooks.seek_to, int16_t{0}, int16_t{1}, uint8_t{1});
    call(hooks.show_stopped, disc.current_index);
}

void range_finished(DiscRecord& disc, std::span<const PlayOrderEntry> order,
                    int32_t play_type, const PlaybackHooks& hooks) {
    const RangeEnd next = decide_range_finished(order, disc, play_type);
    switch (next.action) {
        case RangeEnd::Stop:
            stop_playback(disc, hooks);
            break;
        case RangeEnd::Finished:
            stop_playback(disc, hooks);
            call(hooks.order_done);
            break;
        case RangeEnd::Replay:
            call(hooks.play_from, static_cast<int16_t>(next.index));
            break;
        case RangeEnd::Advance:
            disc.current_index = next.index;
            call(hooks.show_track_title, order[next.index].track);
            call(hooks.play_from, static_cast<int16_t>(next.index));
            break;
    }
}

void follow_device(DiscRecord& disc, std::span<const PlayOrderEntry> order, int32_t play_type,
                   int32_t device_track, const PlaybackHooks& hooks) {
    const FollowStep step = decide_follow_device(order, disc, play_type, device_track);
    switch (step.action) {
        case FollowStep::Stay:
            break;
        case FollowStep::Replay:
            call(hooks.play_from, static_cast<int16_t>(step.index));
            break;
        case FollowStep::MoveTo:
            disc.current_index = step.index;
            call(hooks.show_track_title, order[step.index].track);
            break;
    }
}
