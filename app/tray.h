#pragma once
// The tray icon: added at start-up when "IconType" asks for it, its picture
// following the player's state, its tip the window title's text.
#include <string_view>

void TrayAdd(int icon_id);
// Changes the picture; nothing while there is no tray icon.
void TrayIcon(int icon_id);
// The tip is the text cut to 63 characters, copied as it is.
void TrayTip(std::string_view text);
void TrayRemove();
// True while the shell shows the icon.
bool TrayExists();
