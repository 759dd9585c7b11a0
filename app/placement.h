#pragma once
// The main window's two sizes, its state at start-up, dragging it by its
// caption strip with edge snapping, and where the user finds it again.
#include <cstdint>

// Also brings a window placed off every monitor onto the nearest one.
void ApplyStartState(int32_t start_win_state);

// Normal size <-> one-line shade strip, keeping the top-left corner.
void ToggleShade();

// One mouse move of a caption drag, (x, y) in client coordinates.
void DragTo(int x, int y);

// Gives the main window a task-bar button or takes it away.
void ShowTaskBarButton(bool shown);

// A minimized player without a task-bar button hides while its tray icon
// leads back to it; a hidden one comes back, still minimized, as soon as
// nothing would lead to it any more.
void KeepWithinReach();
