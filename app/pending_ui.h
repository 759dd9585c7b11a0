#pragma once
// Entry points of the parts of the interface that are not built yet: the
// Preferences and About sheets. The main window already routes its commands
// and clicks here; each shows nothing until its part exists.

// Opens the Preferences sheet on `page`, or brings the open one forward and
// turns it to `page`.
void OpenPreferences(int page);
// Brings the open Preferences sheet forward on the page it shows; opens it on
// `page_if_closed` when there is none.
void ActivatePreferences(int page_if_closed);
void OpenAbout();
