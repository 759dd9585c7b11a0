#pragma once
// The submission thread: one per "Submit CD", which checks the entry and the
// settings, then sends the entry by e-mail or over HTTP while it holds the
// query lock.
#include <windows.h>

#include "base/owned_handles.h"
#include "cddb/submission.h"

// Handed to the thread, which owns it: copies of the texts it sends and of
// where it sends them, the window that gets the notifications and owns the
// message boxes, the serial of the disc's record that the notifications
// carry, and a handle of its own to the query lock. Nothing it uses goes if
// the player exits first.
struct SubmitThreadJob {
    SubmitJob submit;
    HWND owner = nullptr;
    uint32_t disc = 0;
    OwnedHandle query_lock;
};

// The whole submission on the calling thread: a message box for a check that
// fails or when another CDDB session holds the lock, else the progress
// and outcome codes posted to the owner, and for a failure a message box that
// says why. Message boxes go through QueryUi and reads wait as QueryWaits
// says (query_thread.h).
void RunSubmitJob(const SubmitThreadJob& job);
// Runs the job on a thread of its own; false when the thread could not start.
bool StartSubmit(SubmitThreadJob job);
