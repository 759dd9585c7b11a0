#include "display/lcd_readout.h"

#include "app/player.h"
#include "app/window_state.h"
#include "display/lcd_layout.h"
#include "display/skin_draw.h"

namespace {

bool Shaded() { return Player.DisplayMode == kDisplayShade; }

}  // namespace

void DrawBackground(HDC dc) {
    DrawBitmap(dc, 0, 0, Shaded() ? Player.SkinShade.get() : Player.SkinMain.get());
    DrawMinimizeButton(dc, false);
    DrawCloseButton(dc, false);
}

void DrawMinimizeButton(HDC dc, bool pressed) { BlitCopy(dc, minimize_button_blit(pressed), Player.SkinSprites.get()); }

void DrawCloseButton(HDC dc, bool pressed) { BlitCopy(dc, close_button_blit(pressed), Player.SkinSprites.get()); }

void DrawTime(HDC dc, int seconds, bool lit) {
    if (Shaded()) return;
    for (const TimeCell& cell : time_cells(seconds)) DrawNumber(dc, cell.x, cell.y, cell.value, lit);
    PatBlt(dc, kColonX, kColonTopY, 2, 2, WHITENESS);
    PatBlt(dc, kColonX, kColonBottomY, 2, 2, WHITENESS);
}

void DrawTimerMode(HDC dc, int32_t timer_type) {
    if (Shaded()) return;
    for (const SpriteBlit& b : timer_mode_blits(timer_type)) BlitCopy(dc, b, Player.SkinSprites.get());
}

void DrawPlayModes(HDC dc, int32_t play_type) {
    if (Shaded()) return;
    for (const SpriteBlit& b : play_mode_blits(play_type)) BlitCopy(dc, b, Player.SkinSprites.get());
}

void DrawStatusWord(HDC dc, int32_t status_code) {
    if (Shaded()) return;
    BlitCopy(dc, kStatusX, kStatusY, kStatusWidth, kStatusHeight, kStatusX, kStatusY, Player.SkinMain.get());
    for (const SpriteBlit& b : status_blits(status_code)) BlitOr(dc, b, Player.SkinSprites.get());
}

void DrawLineLabels(HDC dc) {
    if (Shaded()) return;
    for (const SpriteBlit& b : line_label_blits()) BlitOr(dc, b, Player.SkinSprites.get());
}

void DrawBackgroundBehind(HWND child, HDC dc) {
    RECT r{};
    GetClientRect(child, &r);
    POINT origin{0, 0};
    MapWindowPoints(child, GetParent(child), &origin, 1);
    BlitCopy(dc, 0, 0, r.right, r.bottom, origin.x, origin.y, Shaded() ? Player.SkinShade.get() : Player.SkinMain.get());
}
