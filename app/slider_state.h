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

// How far playback has got, in percent, in the position mode's track or disc
// (elapsed either way: the slider always runs left to right).
float PositionPercent(int32_t mode);

// The seconds a slider percentage stands for in the position mode, for the
// track at the current position and the disc; never below 1.
int32_t PercentToSeconds(float percent, int32_t mode);
