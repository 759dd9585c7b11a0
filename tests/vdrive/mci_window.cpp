#include "vdrive/mci_window.h"

NotifyWindow::NotifyWindow()
    : hwnd_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}

NotifyWindow::~NotifyWindow() { DestroyWindow(hwnd_); }

std::optional<McinNotice> NotifyWindow::wait(DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
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
