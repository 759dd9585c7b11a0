#pragma once
// The "could not open brd.bdb for writing" message box, owned by the main
// window, for every add or replace of a database entry that fails: a CDDB
// result, a Play order, an edited entry. And the warning at start-up when
// the program's folder takes no writes at all.

// Start-up, once the main window exists: failures from now on are shown.
void WatchDatabaseWrites();
// Main thread: shows each failure not shown yet, one box after the other,
// owned by the main window while it exists.
void ShowDatabaseWriteFailures();

// Start-up, in the program's folder, with the main window shown: when no
// change of brd.bdb could be written there, says so and where, before the
// user's first edit is lost.
void WarnIfDatabaseFolderReadOnly();
