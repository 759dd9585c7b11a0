#pragma once
// SHUFFLE on and off. On: the playing track (if any) stays first and every
// other position draws a track not used before it from the generator; off:
// back to disc order. Either way each track keeps its exclusion mark and
// every blink flag is cleared.
#include <cstdint>
#include <functional>
#include <span>

#include "cdaudio/play_order.h"

// playing_track is the track of the current position while playing, else 0.
// random is the C runtime's rand, which the program never seeds, so the
// orders repeat from run to run.
void shuffle_order(std::span<PlayOrderEntry> order, bool on, int32_t playing_track,
                   const std::function<int()>& random);
