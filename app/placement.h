#pragma once
// The main window's two sizes and its state at start-up.
#include <cstdint>

void ApplyStartState(int32_t start_win_state);
