#include "app/settings.h"

#include <array>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace {

using S = SettingsRecord;

constexpr std::array<SettingValue, 23> kValues{{
    {"xWinPos", &S::xWinPos, 100, 100},
    {"yWinPos", &S::yWinPos, 100, 100},
    {"OnStart", &S::OnStart, 0, 0},
    {"OnExit", &S::OnExit, 1, 1},
    {"DoneEject", &S::DoneEject, 0, 0},
    {"DoNextCD", &S::DoNextCD, 0, 0},
    {"EjectQuit", &S::EjectQuit, 0, 0},
    {"StartWinState", &S::StartWinState, 1, 1},
    {"PlayOrder", &S::PlayOrder, 0, 0},
    {"ConnectCDDB", &S::ConnectCDDB, 0, 1},
    {"LoadPlay", &S::LoadPlay, 0, 0},
    {"TBTextType", &S::TBTextType, 7, 7},
    {"TBTextOrder", &S::TBTextOrder, 123, 123},
    {"EdgeResistance", &S::EdgeResistance, 0, 0},
    {"UseDrive", &S::UseDrive, -1, -1},
    {"NameScrolling", &S::NameScrolling, 0, 0},
    {"IconType", &S::IconType, 2, 2},
    {"AlwaysOnTop", &S::AlwaysOnTop, 0, 0},
    {"LibraryView", &S::LibraryView, 1082, 1082},
    {"PlayType", &S::PlayType, 0, 0},
    {"TimerType", &S::TimerType, 2, 2},
    {"SliderType", &S::SliderType, 3, 3},
    {"TrackClick", &S::TrackClick, 1, 1},
}};
static_assert(std::string_view(kValues[kLoadedSettingCount - 1].name) == "LibraryView");

constexpr std::array<const char*, 23> kSaveOrder{
    "xWinPos", "yWinPos", "PlayType", "TimerType", "OnStart", "OnExit",
    "DoneEject", "DoNextCD", "EjectQuit", "ConnectCDDB", "LoadPlay",
    "StartWinState", "PlayOrder", "TBTextType", "TBTextOrder", "SliderType",
    "TrackClick", "EdgeResistance", "UseDrive", "NameScrolling", "IconType",
    "AlwaysOnTop", "LibraryView"};

}  // namespace

std::span<const SettingValue> setting_values() { return kValues; }

const SettingValue& setting_value(const char* name) {
    for (const SettingValue& v : kValues)
        if (std::strcmp(v.name, name) == 0) return v;
    throw std::invalid_argument(name);
}

std::span<const char* const> settings_save_order() { return kSaveOrder; }

SettingsRecord first_run_settings() {
    SettingsRecord s{};
    for (const SettingValue& v : kValues) s.*v.field = v.first_run;
    return s;
}
