#pragma once
// Entry points of the parts of the interface that are not built yet: the
// QuickMenu, the Quick Track menu and the e-mail submission. The main window
// already routes its clicks and commands here; each shows nothing until its
// part exists.
#include <windows.h>

#include "cdaudio/disc_record.h"

void ShowQuickMenu(POINT screen_point);
void ShowQuickTrackMenu(POINT screen_point, bool shade);
void StartSubmission(DiscRecord& disc);
