#pragma once
// The tray icon: added at start-up when "IconType" asks for it, its picture
// following the player's state, its tip the window title's text.
#include <string_view>

// Adds the icon with that picture and the last tip. A shell that still shows
// it (its "TaskbarCreated" can come without a restart) gets the picture and
// tip instead. True when the icon is there.
bool TrayAdd(int icon_id);
// Changes the picture; nothing while there is no tray icon.
void TrayIcon(int icon_id);
// The tip is the text cut to 63 characters, copied as it is.
void TrayTip(std::string_view text);
void TrayRemove();
// Asks the shell whether it shows the icon: one that restarted has lost it.
bool TrayExists();
