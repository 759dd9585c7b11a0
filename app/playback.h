#pragma once
// The window side of playback, shared by the main, controls, tracks and
// slider windows: starting a position, stopping, the titles and indicators
// that follow. Main thread only.
#include <cstdint>
#include <span>

#include "cdaudio/disc_record.h"
#include "cdaudio/play_order.h"

// The track grid's Play order, empty while no disc is loaded.
std::span<PlayOrderEntry> CurrentOrder();
// The Disc record's current Play order position, 0 without a disc.
int32_t CurrentPosition();

// The title of the track at a Play order position (absent when there is
// none), copied under its line lock: a CDDB query may be replacing it.
Text TrackTitleAt(int32_t index);
// The disc title, copied under its line lock.
Text DiscTitle();
// Title line 2 shows the track at a Play order position.
void ShowTrackAt(int32_t index);
// Title line 1 shows the disc title.
void ShowDiscLine();

// The LCD time readout, lit or dim, on the main window.
void ShowTime(int32_t seconds, bool lit);
// Redraws a Play order position's cell in the tracks window.
void RedrawCell(int32_t index);

// Plays from a Play order position: the blink and second timers, `playing`
// set and `paused` cleared, the shade strip on the track line, title line 2
// and the playing tray icon. Returns play_from's result.
int32_t PlayPosition(int32_t index);

// The first playable position, from the start; false when there is none.
bool StartAtFirstPosition();

// Stores the Play order with the disc's entry, under the line locks (a
// query may be replacing the key texts it reads).
void SavePlayOrder();

// The transport stop with its window effects.
void StopPlayback();

// Re-plans the device's range from the present position, while playing.
void ReplanRange();

// The device operations with the window effects filled in.
PlaybackHooks WindowPlaybackHooks();

// The tray icon for the player's state: 136 stopped, 180 playing, 181 paused.
int StateIconId();
// The tray icon shows it, or the picture given; nothing while there is no
// tray icon.
void ShowStateIcon();
void SetTrayIcon(int icon_id);

// Position of the first Play order entry holding the track under the device
// head, or -1.
int32_t PositionOfDeviceTrack();

// The window title: "BRD: <disc title>", or "BRD" without one.
void ShowDiscTitleInCaption();
