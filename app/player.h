#pragma once
// The Player state: the one process-wide record of the running player, read
// and written directly by every window procedure and worker thread.
#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "app/settings.h"
#include "base/owned_handles.h"
#include "cdaudio/disc_record.h"
#include "cddb/server_list.h"
#include "display/skin.h"

class TitleDisplay;
class SliderState;
class ButtonBank;
class TrackGrid;

// A submission text, and whether the CDDB Servers page changed it since it
// was read or stored.
struct SubmitSetting {
    Text text;
    bool changed = false;
};

struct PlayerState {
    HINSTANCE Instance = nullptr;
    HWND MainWindow = nullptr;
    HWND ControlsWindow = nullptr;
    HWND TracksWindow = nullptr;
    HWND SliderWindow = nullptr;
    HMENU SystemMenu = nullptr;
    HWND PrefsSheet = nullptr;
    HWND AboutSheet = nullptr;

    // The skin bitmaps, loaded once at start-up, and the display mode
    // (read by the title, animation and grid workers).
    ::Skin Skin;
    // Declared before what draws with it, so it goes after them.

    // Shared with a CDDB query that may still write into it: the record
    // lives until both have let go.
    std::shared_ptr<DiscRecord> Disc;
    std::unique_ptr<::TrackGrid> TrackGrid;  // also owns the Play order entries
    std::unique_ptr<::TitleDisplay> TitleDisplay;
    std::unique_ptr<::SliderState> SliderState;
    std::unique_ptr<::ButtonBank> ButtonBank;

    std::vector<int32_t> DriveList;  // CD-ROM drive numbers at start-up, 0 for A
    OwnedHandle QueryLock;

    // Shared with the worker threads without a lock: single aligned words.
    std::atomic<int32_t> ShadeLine{0};  // 66 disc line, 99 track line
    std::atomic<int32_t> StatusCode{0};
    std::atomic<uint8_t> AnimationRunning{0};

    uint8_t Dragging = 0;
    int32_t DragX = 0;
    int32_t DragY = 0;

    // 16 x 16, for the tray; the first is also the window's small icon.
    HICON IconStopped = nullptr;  // 136
    HICON IconPlaying = nullptr;  // 180
    HICON IconPaused = nullptr;   // 181
    HACCEL Accelerators = nullptr;

    // Outgoing mail server and the user's address for submissions.
    SubmitSetting SmtpServer;
    SubmitSetting UserEmail;

    // The CDDB servers in list order, empty when none are defined; a query
    // may mark the first one default in memory.
    std::vector<ServerEntry> ServerList;
};

extern PlayerState Player;

extern SettingsRecord Settings;
