#pragma once
// The items of the Quick Track menu: one per Play order position, in
// columns of 33 beside the menu's banner.
#include <cstdint>
#include <string>

#include "base/text.h"

inline constexpr int32_t kQuickTrackColumn = 33;

// "07. Title", cut to 30 characters; a title too long to show whole ends in
// "..." within those 30.
std::string quick_track_text(int32_t track, const Text& title);

// Position i opens a column: the first beside the banner, then every 33.
constexpr bool quick_track_column_start(int32_t i) { return i % kQuickTrackColumn == 0; }
