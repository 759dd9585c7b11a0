#pragma once
// Where every LCD element sits and which skin sprite draws it in which state,
// and the hit tests that map a click on the main window to an element.
// Portable: the Win32 layer turns these answers into blits.
#include <cstdint>
#include <vector>

// One blit from a skin bitmap: a width x height piece from (src_x, src_y) to
// (x, y) of the destination.
struct SpriteBlit {
    int x, y, width, height, src_x, src_y;
    bool operator==(const SpriteBlit&) const = default;
};

// Bounding boxes, client coordinates of the main window in normal mode.
inline constexpr int kStatusX = 70, kStatusY = 57, kStatusWidth = 77, kStatusHeight = 5;
inline constexpr int kMinimizeX = 265, kCloseX = 280, kTitleButtonY = 3, kTitleButtonSize = 11;

// `DrawNumber`: a value 0..99 in one digit cell at (x, y). Below 10 one wide
// digit at (x + 1, y + 1); from 10 two narrow digits at (x, y) and (x + 7, y).
// Source: SkinDigits.
std::vector<SpriteBlit> number_blits(int x, int y, int value, bool lit);

// The four cells of the time readout and the value each shows. Minutes of
// 100 and more put two narrow digits in the minute-tens cell.
struct TimeCell {
    int x, y, value;
};
std::vector<TimeCell> time_cells(int seconds);
// The colon: two 2 x 2 dots.
inline constexpr int kColonX = 51, kColonTopY = 34, kColonBottomY = 39;

// Timer mode from "TimerType": the words Track and CD, the plus and minus
// signs, each lit or dim. Source: SkinSprites.
std::vector<SpriteBlit> timer_mode_blits(int32_t timer_type);
// Play modes from "PlayType": REPEAT CD, REPEAT and SHUFFLE, lit or unlit.
std::vector<SpriteBlit> play_mode_blits(int32_t play_type);
// Status word pieces for a query status code; empty for 0 and unknown codes.
std::vector<SpriteBlit> status_blits(int32_t status_code);
// The DISC and TRACK labels of the two title lines.
std::vector<SpriteBlit> line_label_blits();
// A title-bar button, pressed or not. Source: SkinSprites.
SpriteBlit minimize_button_blit(bool pressed);
SpriteBlit close_button_blit(bool pressed);

// The sidebar of an owner-drawn popup menu item (id 1 or 2) whose menu is
// `menu_height` high, with its top left at (x, y): the banner, then 31-pixel
// filler pieces down to the menu's bottom edge (the last one clipped by the
// menu). Source: SkinMenuBanner. Other ids draw nothing.
std::vector<SpriteBlit> menu_banner_blits(int item_id, int x, int y, int menu_height);

// Hit tests; 0 means nothing was hit.
inline constexpr int kHitClose = 1, kHitMinimize = 2;
inline constexpr int kHitTrack = 1, kHitDisc = 2, kHitElapsed = 3, kHitRemaining = 4;
int HitCaption(int x, int y);
int HitTitleButton(int x, int y);
int HitTimerMode(int x, int y);
int HitPlayMode(int x, int y);  // the "PlayType" bit of the word hit: 1, 2 or 4
