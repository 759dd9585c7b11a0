#pragma once
// The two display modes and the start-up window states ("StartWinState").
#include <cstdint>

#include "display/display_mode.h"

struct StartState {
    int32_t display_mode;  // kDisplayNormal or kDisplayShade
    bool minimized;
};

// What a "StartWinState" value asks for at start-up. 0 (which only an exit
// that skipped the shutdown can leave behind) and unknown values show the
// normal window.
StartState start_state_for(int32_t start_win_state);

// A recorded state is used once; afterwards "Shutdown State" (0) is the
// user's choice again.
constexpr int32_t start_win_state_after_start(int32_t value) { return value > 3 ? 0 : value; }

// What the shutdown records in place of "Shutdown State" (0).
constexpr int32_t recorded_start_win_state(int32_t display_mode, bool minimized) {
    const bool shade = display_mode == kDisplayShade;
    return minimized ? (shade ? 7 : 5) : (shade ? 6 : 4);
}
