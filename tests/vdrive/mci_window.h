#pragma once
// A message-only window that collects MM_MCINOTIFY, for tests that wait for
// a device's notifications.
#include <windows.h>
#include <mmsystem.h>

#include <optional>

struct McinNotice {
    UINT status;        // MCI_NOTIFY_SUCCESSFUL, _SUPERSEDED, _ABORTED, _FAILURE
    MCIDEVICEID device;
    DWORD at_ms;        // GetTickCount() when it was taken from the queue
};

class NotifyWindow {
public:
    NotifyWindow();
    ~NotifyWindow();
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;
    HWND hwnd() const { return hwnd_; }
    // Pumps messages until a notification arrives or the time is up.
    std::optional<McinNotice> wait(DWORD timeout_ms);

private:
    HWND hwnd_;
};
