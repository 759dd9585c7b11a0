#pragma once
// The drawing primitives: every skin pixel reaches the screen through these.
// Each takes the destination first, makes a memory context compatible with
// it, selects the skin bitmap, does one blit and lets the context go.
//
// Any thread may call them. GDI lets a bitmap be selected into only one
// device context at a time, and the skin bitmaps are shared by the main
// thread and the title, animation and grid workers, so every primitive holds
// one process-wide skin lock from the selection to the release. The lock is
// never held while waiting for anything else, so it cannot deadlock with the
// title-line locks that the workers hold around it.
#include <windows.h>

#include <span>

#include "display/lcd_layout.h"
#include "display/skin.h"

void DrawBitmap(HDC dc, int x, int y, HBITMAP bitmap);
void BlitCopy(HDC dc, int x, int y, int width, int height, int src_x, int src_y, HBITMAP bitmap);
void BlitOr(HDC dc, int x, int y, int width, int height, int src_x, int src_y, HBITMAP bitmap);
// SRCPAINT in normal mode (the logo ORed onto the glass), SRCCOPY in shade
// mode (the half-size transport buttons); COLORONCOLOR either way.
void BlitStretch(HDC dc, const Skin& skin, int x, int y, int width, int height, int src_x, int src_y,
                 int src_width, int src_height, HBITMAP bitmap);
// A value 0..99 in one LCD digit cell, lit or dim.
void DrawNumber(HDC dc, const Skin& skin, int x, int y, int value, bool lit);
// The sidebar banner of an owner-drawn popup menu item (ids 1 and 2).
void DrawMenuBanner(const Skin& skin, const DRAWITEMSTRUCT* item, UINT item_id);

// Many blits from one bitmap, selected once: a line of glyphs.
void BlitCopyEach(HDC dc, HBITMAP bitmap, std::span<const SpriteBlit> blits);

// The same blit with a SpriteBlit of the layout.
inline void BlitCopy(HDC dc, const SpriteBlit& b, HBITMAP bitmap) {
    BlitCopy(dc, b.x, b.y, b.width, b.height, b.src_x, b.src_y, bitmap);
}
inline void BlitOr(HDC dc, const SpriteBlit& b, HBITMAP bitmap) {
    BlitOr(dc, b.x, b.y, b.width, b.height, b.src_x, b.src_y, bitmap);
}
