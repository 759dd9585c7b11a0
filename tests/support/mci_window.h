#pragma once
// A message-only window that collects MM_MCINOTIFY for the tests that wait for them.
#include <windows.h>
#include <mmsystem.h>

#include <optional>

struct McinNotice {
    UINT status;  // MCI_NOTIFY_SUCCESSFUL, _SUPERSEDED, _ABORTED, _FAILURE
    DWORD at_ms;  // GetTickCount() when it was taken from the queue
};

struct NotifyWindow {
    HWND hwnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~NotifyWindow() { DestroyWindow(hwnd); }

    // Pumps messages until a notification arrives or the time is up.
    std::optional<McinNotice> wait(DWORD timeout_ms) const {
        for (const DWORD start = GetTickCount();;) {
            MSG msg;
            while (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE))
                if (msg.message == MM_MCINOTIFY) return McinNotice{static_cast<UINT>(msg.wParam), GetTickCount()};
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeout_ms) return std::nullopt;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms - spent, QS_ALLINPUT);
        }
    }
};
