#pragma once
// The "CD Editor" page of the Preferences sheet (dialog 133): artist, album,
// category and track titles of the disc in the drive, or of the entry the
// CD Library opened, stored in brd.bdb when the sheet's changes are applied.
#include <windows.h>

INT_PTR CALLBACK EditorPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
