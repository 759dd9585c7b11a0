#pragma once
// A disc's Play order kept as the PLAYORDER line of its stored entry: the
// tracks in position order, "%d" each, "-%d" when excluded, joined by ",".
// The callers check the "PlayOrder" setting bits and the loaded flag.
#include <filesystem>
#include <span>
#include <string>

#include "cdaudio/disc_record.h"
#include "cdaudio/play_order.h"

// "3,1,-2,4" for tracks 3, 1, 2, 4 with track 2 excluded; null when an entry's
// track is outside 1..track_count.
Text play_order_text(std::span<const PlayOrderEntry> entries, int32_t track_count);

// Writes the order into the disc's stored entry. 1 if written; 0 when the
// disc has no stored entry, an entry's track is out of range, or the entry
// has no PLAYORDER line.
int save_play_order(const DiscRecord& record, std::span<const PlayOrderEntry> entries,
                    const std::filesystem::path& database = "brd.bdb");

// Applies the stored order to the first track_count entries. 1 if applied; 0
// when there is none or a token is empty, missing or names no track of the
// disc (0, or above track_count), in which case the positions up to the
// failing one are back in disc order.
int restore_play_order(const DiscRecord& record, std::span<PlayOrderEntry> entries,
                       const std::filesystem::path& database = "brd.bdb");
