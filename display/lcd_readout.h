#pragma once
// The upper half of the main window: background, title-bar buttons, time
// readout, timer-mode and play-mode indicators, status word and line labels.
// Each routine redraws from the values passed in; in shade mode only the
// background and the title-bar buttons are drawn.
#include <windows.h>

#include <cstdint>

#include "display/skin.h"

void DrawBackground(HDC dc, const Skin& skin);
void DrawMinimizeButton(HDC dc, const Skin& skin, bool pressed);
void DrawCloseButton(HDC dc, const Skin& skin, bool pressed);
void DrawTime(HDC dc, const Skin& skin, int seconds, bool lit);
void DrawTimerMode(HDC dc, const Skin& skin, int32_t timer_type);
void DrawPlayModes(HDC dc, const Skin& skin, int32_t play_type);
void DrawStatusWord(HDC dc, const Skin& skin, int32_t status_code);
void DrawLineLabels(HDC dc, const Skin& skin);

// Paints the piece of the main window's background that lies under a child
// window, so a child that draws nothing of its own still looks right.
void DrawBackgroundBehind(HWND child, HDC dc, const Skin& skin);
