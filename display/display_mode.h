#pragma once
// The two display modes: the full window and the one-line shade strip.
#include <cstdint>

inline constexpr int32_t kDisplayNormal = 1234;
inline constexpr int32_t kDisplayShade = 4321;
