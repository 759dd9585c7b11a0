#pragma once
// The skin: its bitmaps, loaded once at start-up and kept for the life of
// the process, and the display mode that chooses between its two faces.
// Every drawing routine is handed it; the title, animation and grid workers
// read the mode while the main thread may change it, so it is atomic.
#include <windows.h>

#include <atomic>

#include "base/owned_handles.h"
#include "display/display_mode.h"

struct Skin {
    OwnedBitmap Main, Shade, Sprites, Tracks, Font, MenuBanner, Buttons, Digits, Slider;
    std::atomic<int32_t> DisplayMode{0};

    bool Shaded() const { return DisplayMode == kDisplayShade; }
};
