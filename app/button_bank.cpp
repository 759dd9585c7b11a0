#include "app/button_bank.h"

#include "app/player.h"
#include "app/window_state.h"
#include "display/skin_draw.h"

namespace {

bool Valid(int32_t index) { return index >= 0 && index < kButtonCount; }

}  // namespace

void ButtonBank::SetPressed(int32_t index, HDC dc) { MoveFlag(pressed_, &ButtonFlags::pressed, index, dc); }

void ButtonBank::SetHover(int32_t index, HDC dc) { MoveFlag(hovered_, &ButtonFlags::hover, index, dc); }

void ButtonBank::MoveFlag(int32_t& holder, bool ButtonFlags::*flag, int32_t index, HDC dc) {
    if (index == holder) return;
    if (Valid(holder)) {
        buttons_[holder].*flag = false;
        DrawButton(holder, dc);
    }
    holder = Valid(index) ? index : -1;
    if (Valid(index)) {
        buttons_[index].*flag = true;
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
