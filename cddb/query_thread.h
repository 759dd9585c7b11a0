#pragma once
// The CDDB query: one worker thread per query that finds the disc in the
// drive on a CDDB server, stores the entry it reads and reports each step to
// the record's owner window with the query notification.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/owned_handles.h"
#include "cdaudio/disc_record.h"
#include "cddb/notification_codes.h"
#include "cddb/reply_reader.h"
#include "cddb/server_list.h"
#include "discinfo/line_locks.h"

// Everything one query works with, handed to its thread, which owns it: it
// shares the Disc record of the disc it looks up (whose owner window gets the
// notifications and owns the message boxes) and the line locks under which
// its titles are replaced, holds a handle of its own to the query lock and a
// copy of the server. So nothing it uses can go while it runs, also when the
// player exits first. The record is that disc's for good: when the disc
// leaves, the query finds it no longer `loaded` and stores nothing.
struct QueryJob {
    std::shared_ptr<DiscRecord> disc;
    std::shared_ptr<LineLocks> line_locks;
    OwnedHandle query_lock;
    std::optional<ServerEntry> server;  // absent: no server is defined
};

// Where the query asks the user: a message box and the inexact match chooser,
// both owned by the main window. Tests answer in the user's place.
struct QueryDialogs {
    int (*message_box)(HWND owner, const char* text, const char* title, UINT type);
    int (*choose_match)(HWND owner, std::string& reply_copy);
};
extern QueryDialogs QueryUi;

// What the user hears when a CDDB session is refused because another runs.
inline constexpr char kQueryInProgressText[] = "There is already a query in progress";

// The waits of the query's and the submission's connects and reads (10 s for
// a reply to start, 3 s of quiet after a part of it, ...). Tests shorten them.
extern ReplyWaits QueryWaits;

// The query from the choice of server to the stored entry, on the calling
// thread: ends silently when the query lock is held, else posts the outcome.
void RunQueryJob(const QueryJob& job);
// Runs the job on a thread of its own; false when the thread could not start.
bool StartQuery(QueryJob job);
