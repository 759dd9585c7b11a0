#pragma once
// The six transport buttons' state: which is pressed, which the pointer is
// over, which blinks; each change redraws the buttons it touches.
#include <windows.h>

#include "display/button_layout.h"

class ButtonBank {
public:
    void SetPressed(int32_t index, HDC dc);
    void SetHover(int32_t index, HDC dc);
    // Flips one button's blink; any other index clears every blink.
    void ToggleBlink(int32_t index, HDC dc);
    void DrawButton(int32_t index, HDC dc) const;
    void DrawAllButtons(HDC dc) const;

    int32_t pressed() const { return pressed_; }
    int32_t hovered() const { return hovered_; }

private:
    // Moves a flag that one button at most holds (pressed, hover) to `index`,
    // or clears it for an index out of range; redraws both buttons.
    void MoveFlag(int32_t& holder, bool ButtonFlags::*flag, int32_t index, HDC dc);

    ButtonFlags buttons_[kButtonCount];
    int32_t pressed_ = -1;
    int32_t hovered_ = -1;
};
