#include "app/write_failures.h"

#include <atomic>
#include <cctype>
#include <string>

#include "app/player.h"
#include "discinfo/database.h"
#include "discinfo/db_file.h"
#include "resources/resource.h"

namespace {

// Plain words: a CDDB query may still fail to store its entry while the
// program's statics go at exit.
std::atomic<int> Unshown{0};
std::atomic<HWND> Watcher{nullptr};

// Called on the thread whose change failed. The box is never shown there:
// the CDDB query thread would keep the query lock while the box waits, and a
// box it owned could outlive the main window; a Play order save on the main
// thread holds the title display's locks, which the box's message loop (timers,
// painting) would need. So the failure is posted, and the main window shows
// it from its message loop, holding nothing. What the shutdown's own save
// leaves is shown once the window has gone (RunPlayer).
void OnWriteFailed(const char*) {
    if (Unshown.fetch_add(1) == 0) PostMessageA(Watcher, WM_BRD_REQUEST, BRD_WRITE_FAILED, 0);
}

// The current folder as the file system spells it, with its drive letter in
// capitals: start-up entered it in lower case.
std::string SpelledCurrentFolder() {
    char current[MAX_PATH] = "", spelled[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof current, current);
    const DWORD length = GetLongPathNameA(current, spelled, sizeof spelled);
    std::string folder = length > 0 && length < sizeof spelled ? spelled : current;
    if (folder.size() > 1 && folder[1] == ':')
        folder[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(folder[0])));
    return folder;
}

}  // namespace

void WatchDatabaseWrites() {
    Watcher = Player.MainWindow;
    db_add_failure_hook = OnWriteFailed;
}

void ShowDatabaseWriteFailures() {
    static bool showing = false;  // a failure posted while a box is up waits for it
    if (showing) return;
    showing = true;
    // Owned by the main window while there is one.
    const HWND owner = IsWindow(Player.MainWindow) ? Player.MainWindow : nullptr;
    while (Unshown.load() > 0) {
        MessageBoxA(owner, kDbAddFailedMessage, "Brindle CD", MB_ICONEXCLAMATION | MB_OK);
        --Unshown;
    }
    showing = false;
}

void WarnIfDatabaseFolderReadOnly() {
    // Every change starts with a new file beside brd.bdb; one never committed is removed.
    if (FileReplacement(kDefaultDatabase).is_open()) return;
    const std::string text = "BRD cannot write to its folder:\n\n" + SpelledCurrentFolder() +
                             "\n\nIt keeps the titles of your CDs there, in the file 'brd.bdb', so none can be "
                             "saved. Move the BRD folder to a folder of your own, such as Documents, and start "
                             "it from there.";
    MessageBoxA(Player.MainWindow, text.c_str(), "Brindle CD", MB_ICONEXCLAMATION | MB_OK);
}
