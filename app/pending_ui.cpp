#include "app/pending_ui.h"

void OpenPreferences(int) {}
void ActivatePreferences(int) {}
void OpenAbout() {}
