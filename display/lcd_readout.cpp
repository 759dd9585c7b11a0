#include "display/lcd_readout.h"

#include "display/lcd_layout.h"
#include "display/skin_draw.h"

void DrawBackground(HDC dc, const Skin& skin) {
    DrawBitmap(dc, 0, 0, skin.Shaded() ? skin.Shade.get() : skin.Main.get());
    DrawMinimizeButton(dc, skin, false);
    DrawCloseButton(dc, skin, false);
}

void DrawMinimizeButton(HDC dc, const Skin& skin, bool pressed) { BlitCopy(dc, minimize_button_blit(pressed), skin.Sprites.get()); }

void DrawCloseButton(HDC dc, const Skin& skin, bool pressed) { BlitCopy(dc, close_button_blit(pressed), skin.Sprites.get()); }

void DrawTime(HDC dc, const Skin& skin, int seconds, bool lit) {
    if (skin.Shaded()) return;
    for (const TimeCell& cell : time_cells(seconds)) DrawNumber(dc, skin, cell.x, cell.y, cell.value, lit);
    PatBlt(dc, kColonX, kColonTopY, 2, 2, WHITENESS);
    PatBlt(dc, kColonX, kColonBottomY, 2, 2, WHITENESS);
}

void DrawTimerMode(HDC dc, const Skin& skin, int32_t timer_type) {
    if (skin.Shaded()) return;
    for (const SpriteBlit& b : timer_mode_blits(timer_type)) BlitCopy(dc, b, skin.Sprites.get());
}

void DrawPlayModes(HDC dc, const Skin& skin, int32_t play_type) {
    if (skin.Shaded()) return;
    for (const SpriteBlit& b : play_mode_blits(play_type)) BlitCopy(dc, b, skin.Sprites.get());
}

void DrawStatusWord(HDC dc, const Skin& skin, int32_t status_code) {
    if (skin.Shaded()) return;
    BlitCopy(dc, kStatusX, kStatusY, kStatusWidth, kStatusHeight, kStatusX, kStatusY, skin.Main.get());
    for (const SpriteBlit& b : status_blits(status_code)) BlitOr(dc, b, skin.Sprites.get());
}

void DrawLineLabels(HDC dc, const Skin& skin) {
    if (skin.Shaded()) return;
    for (const SpriteBlit& b : line_label_blits()) BlitOr(dc, b, skin.Sprites.get());
}

void DrawBackgroundBehind(HWND child, HDC dc, const Skin& skin) {
    RECT r{};
    GetClientRect(child, &r);
    POINT origin{0, 0};
    MapWindowPoints(child, GetParent(child), &origin, 1);
    BlitCopy(dc, 0, 0, r.right, r.bottom, origin.x, origin.y, skin.Shaded() ? skin.Shade.get() : skin.Main.get());
}
