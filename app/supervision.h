#pragma once
// Disc change and playback supervision: the main window's load request, its
// timers, the device's end-of-range notification and the query notification.
#include <windows.h>

#include <cstdint>

// The load request: lParam BRD_LOAD_AND_PLAY asks for playback whatever
// "OnStart" says.
void OnLoadRequest(LPARAM how);
void OnDiscPoll();
void OnSecondTimer();
void OnTitleRestoreTimer();
// MM_MCINOTIFY: only a successful end of the range is acted on.
void OnRangeEnd(WPARAM code);
// The query notification: the status code and the serial of the disc it is about.
void OnQueryNotification(LPARAM notice);
// The disc's titles changed (a CDDB reply, the CD Editor): title lines,
// window title, tray tip and the lit cells' titles follow.
void ShowNewTitles();

// The Play order has been played through: "DoneEject" and "DoNextCD".
void OnPlayOrderDone();

// Stops play, drops the Disc record and the track grid, makes a fresh record
// for "UseDrive" and sends the load request.
void ChangeDrive(int32_t drive, LPARAM how);

// Looks the disc in the drive up on the CDDB server chosen from the Server
// list, on a thread of its own.
void QueryLoadedDisc();
// Sends the disc's stored entry to the CDDB service, by e-mail through the
// outgoing mail server if one is set, else over HTTP; on a thread of its own.
void SubmitLoadedDisc();

// The window title during play, for a time readout of t seconds.
void SetTitleText(int32_t seconds);

// The idle animation starts when no disc is loaded (at most one runs).
void StartIdleAnimation();
