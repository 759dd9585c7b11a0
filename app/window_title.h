#pragma once
// The window title during play: "BRD" and, in the order "TBTextOrder" gives,
// the disc title, the track title and the time, each when "TBTextType" asks
// for it. Also the tray tip.
#include <cstdint>
#include <string>

#include "cdaudio/disc_record.h"

std::string compose_title(int32_t text_type, int32_t text_order, const Text& disc_title,
                          const Text& track_title, int32_t seconds);
