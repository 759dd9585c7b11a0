#include "app/button_bank.h"

#include "app/player.h"
#include "app/window_state.h"
#include "display/skin_draw.h"

namespace {

bool Valid(int32_t index) { return index >= 0 && index < kButtonCount; }

}  // namespace

void ButtonBank::SetPressed(int32_t index, HDC dc) {
    if (index == pressed_) return;
    if (Valid(pressed_)) {
        buttons_[pressed_].pressed = false;
        DrawButton(pressed_, dc);
    }
    pressed_ = Valid(index) ? index : -1;
    if (Valid(index)) {
        buttons_[index].pressed = true;
        DrawButton(index, dc);
    }
}

void ButtonBank::SetHover(int32_t index, HDC dc) {
    if (index == hovered_) return;
    if (Valid(hovered_)) {
        buttons_[hovered_].hover = false;
        DrawButton(hovered_, dc);
    }
    hovered_ = Valid(index) ? index : -1;
    if (Valid(index)) {
        buttons_[index].hover = true;
        DrawButton(index, dc);
    }
}

void ButtonBank::ToggleBlink(int32_t index, HDC dc) {
    if (Valid(index)) {
        buttons_[index].blink = !buttons_[index].blink;
        DrawButton(index, dc);
        return;
    }
    for (int32_t i = 0; i < kButtonCount; ++i)
        if (buttons_[i].blink) {
            buttons_[i].blink = false;
            DrawButton(i, dc);
        }
}

void ButtonBank::DrawButton(int32_t i, HDC dc) const {
    if (!Valid(i) || !dc) return;
    const int32_t width = button_width(i);
    const int32_t src_x = button_source_x(i, buttons_[i]);
    if (Player.Skin.DisplayMode == kDisplayShade)
        BlitStretch(dc, Player.Skin, button_x(i) / 2, 0, width / 2, kButtonHeight / 2, src_x, button_source_y(i), width,
                    kButtonHeight, Player.Skin.Buttons.get());
    else
        BlitCopy(dc, button_x(i), 0, width, kButtonHeight, src_x, button_source_y(i), Player.Skin.Buttons.get());
}

void ButtonBank::DrawAllButtons(HDC dc) const {
    for (int32_t i = 0; i < kButtonCount; ++i) DrawButton(i, dc);
}
