#pragma once
// The CD audio device operations: the only code that talks to the drive.
// Each works on the device of the Disc record it is given (its device id,
// table of contents and owner window) through mciSendCommandA and returns a
// device result code; none shows anything. The Play order and "PlayType"
// that plan a range are passed by the caller.
#include <cstdint>
#include <span>

#include "cdaudio/play_order.h"

// Device result codes.
inline constexpr int32_t kDeviceOk = 0;
inline constexpr int32_t kDevicePlaying = 1;
inline constexpr int32_t kDeviceOpenFailed = 10;
inline constexpr int32_t kDeviceStatusFailed = 20;
inline constexpr int32_t kDeviceSetFailed = 30;
inline constexpr int32_t kDevicePlayFailed = 40;
inline constexpr int32_t kDeviceDoorOpen = 60;
inline constexpr int32_t kDeviceSeekFailed = 70;

// play_from's negative indexes.
inline constexpr int16_t kContinueRange = -1;  // re-plan from the present position
inline constexpr int16_t kRunOut = -2;         // play on to the end of the disc, unnotified

// Opens drive `drive` (0 for A:) and reads the table of contents into the
// record: 0, 1 (already playing), 10, 20 or 60.
int32_t open_disc(DiscRecord& disc, int32_t drive);
// 0, 1 (playing), 20 (no answer, or no device open) or 60 (door open or no disc).
int32_t query_mode(const DiscRecord& disc);
// Plays the range of the Play order position `index` (or kContinueRange,
// kRunOut), asking for MM_MCINOTIFY at its end: 0, 30 or 40.
int32_t play_from(DiscRecord& disc, int16_t index, std::span<const PlayOrderEntry> order, int32_t play_type);
int32_t stop_device(const DiscRecord& disc);
// Pause, resume, or after a seek play on to the end of the current range: 0 or 40.
int32_t toggle_pause(const DiscRecord& disc, std::span<const PlayOrderEntry> order, int32_t play_type);
int32_t toggle_door(const DiscRecord& disc);
// flags bit 0: disc-relative (else track-relative); bit 1: counted back from the end.
int32_t seek_to(const DiscRecord& disc, int16_t seconds, int16_t track, uint8_t flags);
// The head position, packed; 0 when it cannot be read.
uint32_t position_tmsf(const DiscRecord& disc);
uint32_t position_msf(const DiscRecord& disc);
// Whole seconds for the LCD: "TimerType" bits (disc and/or remaining).
int32_t time_readout(const DiscRecord& disc, int32_t mode);
// Closes the device; the record keeps its texts for whoever still holds it.
void close_disc(DiscRecord& disc);
// The device plays or holds a paused range: an end-of-range notice that
// arrives now belongs to an earlier play.
bool range_running(const DiscRecord& disc);

// The Play order rules' device side bound to these operations; the window
// hooks are left for the caller to fill. The hooks refer to `disc` and
// `order`, which must outlive them (and `order` not be reallocated).
PlaybackHooks device_playback_hooks(DiscRecord& disc, std::span<const PlayOrderEntry> order, int32_t play_type);
