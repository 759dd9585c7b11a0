#pragma once
// The player's menus: the QuickMenu with its drive menu, the Quick Track
// menu, the TrayMenu and the extended system menu. Each popup is built when
// it opens and destroyed when it closes; their commands go to the main window.
#include <windows.h>

// The owner-drawn banner down the left of a menu: id 1 for the Quick Track
// menu, 2 for the others. The main window measures and draws it.
inline constexpr UINT kTrackBanner = 1, kMenuBanner = 2;
void InsertBanner(HMENU menu, UINT banner_id);

// Fills an empty popup with the Play order's tracks, under the track-line lock.
void QuickTrackMenu(HMENU popup);
// Fills an empty popup with the CD-ROM drives present now, the one in use checked.
void DriveMenu(HMENU popup);

void ShowQuickMenu(POINT screen_point);
// In shade mode the menu opens above or below the one-line window.
void ShowQuickTrackMenu(POINT screen_point, bool shade);

// The system menu gets its banner, "Quick Track" and "Preferences" once;
// "Quick Track" follows the disc each time the menu opens.
void ExtendSystemMenu(HWND hwnd);
void RefreshSystemMenu();

// The tray icon's mouse message.
void OnTrayMessage(HWND hwnd, UINT mouse_message);
