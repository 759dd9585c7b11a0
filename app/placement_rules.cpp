#include "app/placement_rules.h"

#include <algorithm>
#include <cstdlib>

#include "app/window_state.h"

WindowGeometry window_geometry(int32_t display_mode) {
    if (display_mode == kDisplayShade)
        return {{0, 0, 297, 19}, {25, 3, 81, 12}, {223, 3, 38, 12}, {12, 111, 196, 10}, false};
    return {{0, 0, 297, 162}, {13, 125, 163, 24}, {218, 19, 70, 136}, {12, 111, 196, 10}, true};
}

namespace {

int HoldInside(int v, int low, int high_exclusive) {
    if (v < low) return low;
    if (v >= high_exclusive) return high_exclusive - 1;
    return v;
}

int Snap(int start, int size, int low, int high, int resistance) {
    if (std::abs(start - low) < resistance) return low;
    if (std::abs(start + size - high) < resistance) return high - size;
    return start;
}

}  // namespace

ScreenPoint inside_work_area(Box window, WorkArea work) {
    const auto into = [](int start, int size, int low, int high) {
        return std::max(low, std::min(start, high - size));
    };
    return {into(window.x, window.width, work.left, work.right), into(window.y, window.height, work.top, work.bottom)};
}

ScreenPoint drag_position(ScreenPoint pointer, int drag_x, int drag_y, int width, int height, WorkArea work,
                          int resistance) {
    const int x = HoldInside(pointer.x, work.left, work.right);
    const int y = HoldInside(pointer.y, work.top, work.bottom);
    return {Snap(x - drag_x, width, work.left, work.right, resistance),
            Snap(y - drag_y, height, work.top, work.bottom, resistance)};
}
