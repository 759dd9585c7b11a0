#pragma once
// The three-track disc of the CDDB examples: tracks at frames 150, 18352 and
// 36214, 742 seconds long, disc id 1a02e403.
#include "cdaudio/disc_record.h"

inline void FillThreeTrackDisc(DiscRecord& disc) {
    disc.track_count = 3;
    const int starts[] = {150, 18352, 36214};
    for (int i = 0; i < 3; ++i) {
        disc.toc[i].frame_offset = starts[i];
        disc.toc[i].minutes = starts[i] / 75 / 60;
        disc.toc[i].seconds = starts[i] / 75 % 60;
        disc.toc[i].frames = starts[i] % 75;
    }
    disc.toc[3].minutes = 742 / 60;
    disc.toc[3].seconds = 742 % 60;
    disc.disc_seconds = 742;
}
