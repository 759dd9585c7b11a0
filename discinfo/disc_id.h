#pragma once
// The CDDB disc id: a 32-bit number computed from the table of contents
// alone, the name of a disc in CDDB commands, xmcd entries and database keys.
#include <cstdint>
#include <string>

#include "cdaudio/disc_record.h"

// Sum of the decimal digits of value; 0 for 0 and for negative values.
int32_t digit_sum(int32_t value);

// Checksum byte, playing time in whole seconds and track count, from the
// minutes and seconds of the track starts and the lead-out. Frames play no part.
uint32_t disc_id(const DiscRecord& record);

// The text form: eight lower-case hexadecimal digits ("%08x").
std::string disc_id_string(uint32_t id);
