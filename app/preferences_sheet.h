#pragma once
// The modeless Preferences and About sheets. The message loop closes them
// (a sheet without a current page has been closed by the user).
#include <windows.h>

// Pages of the Preferences sheet by index, the number the commands use.
enum PreferencesPage : int {
    kStartupPage = 0,
    kGuiOptionsPage = 1,
    kServersPage = 2,
    kLibraryPage = 3,
    kEditorPage = 4,
};

// The sheets themselves, opened on `page`; null when they cannot be made.
HWND OpenPrefsSheet(HWND parent, int page);
HWND OpenAboutSheet(HWND parent, int page);

// Opens the Preferences sheet on `page`, or brings the open one forward and
// turns it to `page`.
void OpenPreferences(int page);
// Brings the open Preferences sheet forward on the page it shows; opens it on
// `page_if_closed` when there is none.
void ActivatePreferences(int page_if_closed);
// The About sheet on its first page, opened or brought forward.
void OpenAbout();
