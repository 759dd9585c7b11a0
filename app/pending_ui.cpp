#include "app/pending_ui.h"

void OpenPreferences(int) {}
void ActivatePreferences(int) {}
void OpenAbout() {}
void ShowQuickMenu(POINT) {}
void ShowQuickTrackMenu(POINT, bool) {}
void StartSubmission(DiscRecord&) {}
