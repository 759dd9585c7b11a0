#include "display/button_layout.h"

int32_t hit_button(int32_t x, int32_t y, bool shade) {
    const int32_t scale = shade ? 2 : 1;
    for (int32_t i = 0; i < kButtonCount; ++i) {
        const int32_t left = button_x(i) / scale;
        const int32_t right = (button_x(i) + button_width(i)) / scale;
        if (left <= x && x <= right && 0 <= y && y <= kButtonHeight / scale) return i;
    }
    return -1;
}
