#include "cdaudio/shuffle.h"

#include <vector>

void shuffle_order(std::span<PlayOrderEntry> order, bool on, int32_t playing_track,
                   const std::function<int()>& random) {
    const int32_t n = static_cast<int32_t>(order.size());
    std::vector<uint8_t> excluded_track(n + 1, 0);
    for (const PlayOrderEntry& e : order)
        if (e.track >= 1 && e.track <= n) excluded_track[e.track] = e.excluded;

    auto place = [&](int32_t i, int32_t track) {
        order[i].track = track;
        order[i].excluded = excluded_track[track];
        order[i].blink = 0;
    };
    if (!on) {
        for (int32_t i = 0; i < n; ++i) place(i, i + 1);
        return;
    }
    std::vector<bool> used(n + 1, false);
    int32_t start = 0;
    if (playing_track >= 1 && playing_track <= n) {
        place(0, playing_track);
        used[playing_track] = true;
        start = 1;
    }
    for (int32_t i = start; i < n; ++i) {
        int32_t r;
        do r = random() % n + 1;
        while (used[r]);
        used[r] = true;
        place(i, r);
    }
}
