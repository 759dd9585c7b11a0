#include "app/pending_ui.h"

void ShowQuickMenu(POINT) {}
void ShowQuickTrackMenu(POINT, bool) {}
void StartSubmission(DiscRecord&) {}
