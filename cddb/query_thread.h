#pragma once
// The CDDB query: one worker thread per query that finds the disc in the
// drive on a CDDB server, stores the entry it reads and reports each step to
// the record's owner window with the query notification.
#include <windows.h>

#include <optional>
#include <string>

#include "cdaudio/disc_record.h"
#include "cddb/reply_reader.h"
#include "cddb/server_list.h"
#include "discinfo/line_locks.h"

// Status codes of the query notification (WM_BRD_REQUEST, BRD_QUERY_NOTIFY).
enum QueryStatus : int {
    QueryDiscRemoved = 0,
    QueryNoNetwork = 666,
    QueryConnectFailed = 667,
    QueryConnecting = 701,
    QueryQuerying = 702,
    QueryNoMatch = 901,
    QueryDiscFound = 999,
};

// The server the running query talks to. The CDDB Servers page sets it
// before it starts a query ("Connect"); otherwise the query picks one from
// the Server list. Every query clears it when it ends.
extern std::optional<ServerEntry> CurrentServer;

// The title display's line locks, which parse_entry takes while it replaces
// the drive's titles. Start-up points this at the title display's locks.
extern LineLocks* QueryLineLocks;

// Where the query asks the user: a message box and the inexact match chooser,
// both owned by the main window. Tests answer in the user's place.
struct QueryDialogs {
    int (*message_box)(HWND owner, const char* text, const char* title, UINT type);
    int (*choose_match)(HWND owner, std::string& reply_copy);
};
extern QueryDialogs QueryUi;

// The waits of the query's reads: 10 s for a reply to start, 3 s of quiet
// after a part of it. Tests shorten them.
extern ReplyWaits QueryWaits;

// The thread procedure; its argument is the Disc record of the drive.
unsigned __stdcall QueryThread(void* disc);
// Starts QueryThread on the record; false when the thread could not start.
bool StartQuery(DiscRecord& disc);
