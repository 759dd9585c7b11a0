#pragma once
// The position slider's state. Making it reads "SliderType" and "TrackClick"
// into the Settings record.
#include <windows.h>

#include "display/slider_layout.h"

class SliderState {
public:
    SliderState();  // reads "SliderType" and "TrackClick"

    SliderThumb thumb;
    bool track_click_pending = false;

    // The position mode the slider shows now (it may follow "TimerType").
    int32_t PositionMode() const;
};

// Shows a percentage on the slider window's device context; draws only when
// the thumb's pixel changes, or always with force.
void DrawSlider(HDC dc, float percent, bool force);
// The same on a device context of its own.
void DrawSliderNow(float percent, bool force);
