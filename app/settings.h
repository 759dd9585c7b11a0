#pragma once
// The Settings record: the user's options, each a 32-bit integer named by its
// registry value, with the two default columns and the load and save orders.
#include <cstdint>
#include <span>

struct SettingsRecord {
    int32_t xWinPos, yWinPos, OnStart, OnExit, DoneEject, DoNextCD, EjectQuit,
        StartWinState, PlayOrder, ConnectCDDB, LoadPlay, TBTextType, TBTextOrder,
        EdgeResistance, UseDrive, NameScrolling, IconType, AlwaysOnTop, LibraryView,
        PlayType, TimerType, SliderType, TrackClick;
};

struct SettingValue {
    const char* name;          // the registry value's name
    int32_t SettingsRecord::*field;
    int32_t first_run;         // when the Settings key had to be created
    int32_t when_missing;      // when the key exists but the value cannot be read
};

// Every value in the order the loader reads them ("xWinPos" to "LibraryView"),
// followed by "PlayType", "TimerType", "SliderType" and "TrackClick", which the
// main window and the slider read themselves.
std::span<const SettingValue> setting_values();
const SettingValue& setting_value(const char* name);

// The value names in the order a save writes them.
std::span<const char* const> settings_save_order();

// Number of values the loader reads itself (the head of setting_values()).
inline constexpr int kLoadedSettingCount = 19;

SettingsRecord first_run_settings();

// Only the mode that repeats the whole Play order survives a restart.
constexpr int32_t play_type_at_start(int32_t stored) { return stored & 1; }

// Bits of "IconType". The "PlayType" and "TimerType" bits belong to the Play
// order (cdaudio/play_order.h) and the readout (cdaudio/msf.h).
inline constexpr int32_t kIconTray = 1, kIconTaskBar = 2;
