#pragma once
// The position slider's arithmetic: a 30-pixel thumb travelling 166 pixels
// over a 196-pixel groove, in percent of the track or the disc.
#include <cstdint>

inline constexpr float kThumbPerPercent = 1.66f;
inline constexpr float kPercentPerThumb = 0.60240966f;  // 100 / 166
inline constexpr int32_t kThumbTravel = 166;
inline constexpr int32_t kThumbWidth = 30;
inline constexpr int32_t kGrooveWidth = 196;

// The slider's position mode: bit 0 disc rather than track, bit 1 remaining
// rather than elapsed. "SliderType" 1 is the disc, 2 the track, anything
// else follows the timer.
constexpr int32_t slider_position_mode(int32_t slider_type, int32_t timer_type) {
    return slider_type == 1 ? 1 : slider_type == 2 ? 0 : timer_type;
}

// Seconds into the track or disc that a percentage stands for; never below 1.
int32_t percent_to_seconds(float percent, int32_t track_seconds, int32_t disc_seconds, int32_t mode);

// Percent of a position, 0 when the length is unknown.
float position_percent(int32_t seconds, int32_t length);

// Percent for a click on the groove at x: x * 100 / 196 in integers, held
// within 0..100.
int32_t track_click_percent(int32_t x);

// The thumb: where it stands, where it was last drawn, and the rule that the
// first update after a release may only move it forward.
struct SliderThumb {
    bool dragging = false;
    bool just_released = false;
    int32_t last_pointer_x = 0;
    int32_t drawn_x = 0;
    float x = 0;        // 0..166
    float percent = 0;  // 0..100

    // Takes a new position; true when the thumb must be drawn again.
    bool update(float percent, bool force);
    // A drag step to pointer x; returns the new percent.
    float drag_to(int32_t pointer_x);
    bool hit(int32_t pointer_x, int32_t pointer_y) const;
};
