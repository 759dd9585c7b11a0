#pragma once
// The recorded CDDB session (data/): its replies, and its discs as the drive
// fills their records from the frame offsets and length their queries sent.
#include <fstream>
#include <sstream>
#include <string>

#include "cdaudio/disc_record.h"

// The disc a recorded "cddb query <id> <tracks> <offsets> <seconds>" was sent for.
inline DiscRecord disc_of(const std::string& query, void* owner = nullptr) {
    DiscRecord disc{owner};
    std::istringstream fields(query.substr(20));  // after the disc id
    int tracks = 0, start = 0;
    for (fields >> tracks; disc.track_count < tracks && fields >> start;)
        disc.toc[disc.track_count++] = {start / 75 / 60, start / 75 % 60, start % 75, start};
    const int seconds = (fields >> disc.disc_seconds, disc.disc_seconds);
    disc.toc[disc.track_count] = {seconds / 60, seconds % 60, 0, seconds * 75};
    return disc;
}
// "Various / Ska Island", d50dd30f, the disc of the recorded 211 reply.
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
