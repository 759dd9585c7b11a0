#include "discinfo/disc_id.h"

#include <cstdio>

int32_t digit_sum(int32_t value) {
    int32_t sum = 0;
    for (; value > 0; value /= 10) sum += value % 10;
    return sum;
}

uint32_t disc_id(const DiscRecord& record) {
    const int32_t count = record.track_count;
    if (count <= 0 || count > kMaxTracks) return 0;
    uint32_t sum = 0;
    for (int32_t i = 0; i < count; ++i)
        sum += static_cast<uint32_t>(digit_sum(record.toc[i].minutes * 60 + record.toc[i].seconds));
    const TocEntry& first = record.toc[0];
    const TocEntry& lead_out = record.toc[count];
    const int32_t length = (lead_out.minutes - first.minutes) * 60 - first.seconds + lead_out.seconds;
    // Combined unmasked, as the CDDB servers do: the length of a real disc stays below 65536.
    return ((sum % 255) << 24) | (static_cast<uint32_t>(length) << 8) | static_cast<uint32_t>(count);
}

std::string disc_id_string(uint32_t id) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(id));
    return text;
}
