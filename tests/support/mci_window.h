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
    NotifyWindow() : hwnd_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~NotifyWindow() { DestroyWindow(hwnd_); }
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;
    HWND hwnd() const { return hwnd_; }

    // Pumps messages until a notification arrives or the time is up.
    std::optional<McinNotice> wait(DWORD timeout_ms) {
        for (const DWORD start = GetTickCount();;) {
            MSG msg;
            while (PeekMessageA(&msg, hwnd_, 0, 0, PM_REMOVE)) {
                if (msg.message == MM_MCINOTIFY)
                    return McinNotice{static_cast<UINT>(msg.wParam), static_cast<MCIDEVICEID>(msg.lParam), GetTickCount()};
                DispatchMessageA(&msg);
            }
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeout_ms) return std::nullopt;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms - spent, QS_ALLINPUT);
        }
    }

private:
    HWND hwnd_;
};
