#pragma once
// The six transport buttons: where each sits, which sprite shows its state,
// and which button a point hits.
#include <array>
#include <cstdint>

enum ButtonIndex : int32_t { kEject = 0, kTrackBack = 1, kTrackForward = 2, kStop = 3, kPause = 4, kPlay = 5 };
inline constexpr int32_t kButtonCount = 6;
inline constexpr int32_t kButtonHeight = 24;

struct ButtonFlags {
    bool hover = false;
    bool blink = false;
    bool pressed = false;
};

constexpr int32_t button_width(int32_t i) { return i == kEject || i == kPlay ? 29 : 25; }
constexpr int32_t button_x(int32_t i) { return i == kEject ? 0 : i == kPlay ? 134 : 26 * i + 4; }
constexpr int32_t button_source_y(int32_t i) { return 25 * i; }

// The sprite's column: lit (hover or blink) adds 1, pushed in adds 2.
constexpr int32_t button_state_column(const ButtonFlags& f) { return ((f.hover || f.blink) ? 1 : 0) + (f.pressed ? 2 : 0); }
constexpr int32_t button_source_x(int32_t i, const ButtonFlags& f) {
    return button_state_column(f) * (button_width(i) + 1);
}

// The button under a point of the controls window, or -1; in shade mode the
// buttons are drawn at half size.
int32_t hit_button(int32_t x, int32_t y, bool shade);
