#pragma once
// The main window's two sizes, its state at start-up, and dragging it by its
// caption strip with edge snapping.
#include <cstdint>

// Also brings a window placed off every monitor onto the nearest one.
void ApplyStartState(int32_t start_win_state);

// Normal size <-> one-line shade strip, keeping the top-left corner.
void ToggleShade();

// One mouse move of a caption drag, (x, y) in client coordinates.
void DragTo(int x, int y);
