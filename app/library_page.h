#pragma once
// The "CD Library" page of the Preferences sheet (dialog 129): every stored
// entry in a tree by category or by artist, its disc id, and Edit Entry,
// Delete Entry and Refresh.
#include <windows.h>

#include <memory>

#include "cdaudio/disc_record.h"

INT_PTR CALLBACK LibraryPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

// The stored entry that "Edit Entry" opened, a record without a drive; the
// CD Editor edits it instead of the drive's disc. Owned by the two pages:
// whichever is destroyed first drops it. Main thread only.
extern std::shared_ptr<DiscRecord> LibraryRecord;
void DropLibraryRecord();
