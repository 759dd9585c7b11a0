#pragma once
// The recorded CDDB session (data/): its replies, and its discs as the drive
// fills their records from the frame offsets and length their queries sent.
#include <fstream>
#include <initializer_list>
#include <string>

#include "cdaudio/disc_record.h"

inline DiscRecord disc_of(std::initializer_list<int> offsets, int seconds, void* owner = nullptr) {
    DiscRecord disc{owner};
    for (int start : offsets)
        disc.toc[disc.track_count++] = {start / 75 / 60, start / 75 % 60, start % 75, start};
    disc.toc[disc.track_count] = {seconds / 60, seconds % 60, 0, seconds * 75};
    disc.disc_seconds = seconds;
    return disc;
}

// "Various / Ska Island", d50dd30f, the disc of the recorded 211 reply.
inline DiscRecord ska_island(void* owner = nullptr) {
    return disc_of({150, 21052, 43715, 58057, 71430, 92865, 117600, 131987, 150625, 163292, 181490, 195685, 210197,
                    233230, 249257},
                   3541, owner);
}
inline const char kSkaIslandQuery[] =
    "cddb query d50dd30f 15 150 21052 43715 58057 71430 92865 117600 131987 150625 163292 181490 195685 210197 "
    "233230 249257 3541";

// A recorded reply or entry as it goes over the wire: stored with bare line feeds, sent with CR LF.
inline std::string recorded(const char* name) {
    std::ifstream file(std::string(BRD_CDDB_TEST_DATA "/") + name, std::ios::binary);
    std::string wire;
    for (std::string line; std::getline(file, line);) wire += line + "\r\n";
    return wire;
}
