#include "display/slider_layout.h"

#include <algorithm>
#include <cmath>

int32_t percent_to_seconds(float percent, int32_t track_seconds, int32_t disc_seconds, int32_t mode) {
    const float length = static_cast<float>((mode & 1) ? disc_seconds : track_seconds);
    const float seconds = (mode & 2) ? length - percent * length * 0.01f : length * percent * 0.01f;
    return seconds < 1 ? 1 : static_cast<int32_t>(seconds);
}

float position_percent(int32_t seconds, int32_t length) {
    return length == 0 ? 0.0f : static_cast<float>(seconds) * 100.0f / static_cast<float>(length);
}

int32_t track_click_percent(int32_t x) { return std::min(std::max(x, 0) * 100 / kGrooveWidth, 100); }

bool SliderThumb::update(float p, bool force) {
    if (!(p >= 0)) p = 0;  // also catches NaN
    if (p > 100) p = 100;
    percent = p;
    const float position = p * kThumbPerPercent;
    if (!just_released || position > x) x = position;
    just_released = false;
    const int32_t truncated = static_cast<int32_t>(x);
    const bool redraw = force || truncated != drawn_x;
    drawn_x = truncated;
    return redraw;
}

float SliderThumb::drag_to(int32_t pointer_x) {
    pointer_x = std::clamp(pointer_x, 0, kGrooveWidth);
    x += static_cast<float>(pointer_x - last_pointer_x);
    last_pointer_x = pointer_x;
    return std::clamp(x * kPercentPerThumb, 0.0f, 100.0f);
}

bool SliderThumb::hit(int32_t pointer_x, int32_t pointer_y) const {
    return drawn_x <= pointer_x && pointer_x <= drawn_x + kThumbWidth && 0 < pointer_y && pointer_y < 12;
}
