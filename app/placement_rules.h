#pragma once
// The main window's geometry in its two sizes, and where a dragged window
// lands when it comes near the edges of the work area.
#include <cstdint>

struct Box {
    int x, y, width, height;
    bool operator==(const Box&) const = default;
};

struct WorkArea {
    int left, top, right, bottom;  // right and bottom exclusive, as in a RECT
};

struct WindowGeometry {
    Box main;      // x and y unused: the main window keeps its corner
    Box controls;  // child boxes in the main window's client coordinates
    Box tracks;
    Box slider;
    bool slider_shown;
};

// 1234 normal, 4321 shade (app/window_state.h).
WindowGeometry window_geometry(int32_t display_mode);

struct ScreenPoint {
    int x, y;
    bool operator==(const ScreenPoint&) const = default;
};

// The top-left corner that puts a window of this size wholly inside the work
// area, moved no further than it must (a window larger than the area keeps
// its top-left corner in it).
ScreenPoint inside_work_area(Box window, WorkArea work);

// The new top-left corner for a drag: `pointer` is the mouse in screen
// coordinates, (drag_x, drag_y) where in the window the drag began. The
// pointer is first held inside the work area; then an edge of the window
// closer than `resistance` pixels to an edge of the work area snaps to it
// (left before right, top before bottom). Resistance 0 never snaps.
ScreenPoint drag_position(ScreenPoint pointer, int drag_x, int drag_y, int width, int height, WorkArea work,
                          int resistance);
