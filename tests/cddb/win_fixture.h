#pragma once
// Shared pieces of the Windows tests of the CDDB client: a scratch directory
// for brd.bdb, a window that receives the query notifications, the registry
// key of the server list.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"

// Runs the test in a fresh directory, so brd.bdb starts absent.
class ScratchDirectory {
    std::string previous_;
    std::string path_;

public:
    ScratchDirectory() {
        char current[MAX_PATH] = {}, temp[MAX_PATH] = {}, name[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        previous_ = current;
        GetTempPathA(MAX_PATH, temp);
        GetTempFileNameA(temp, "brd", 0, name);
        DeleteFileA(name);
        CreateDirectoryA(name, nullptr);
        path_ = name;
        SetCurrentDirectoryA(path_.c_str());
    }
    ~ScratchDirectory() {
        SetCurrentDirectoryA(previous_.c_str());
        DeleteFileA((path_ + "\\brd.bdb").c_str());
        RemoveDirectoryA(path_.c_str());
    }
};

// A window of this thread that only collects query notifications.
class NotifyWindow {
    HWND window_;

public:
    NotifyWindow() : window_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~NotifyWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }
    // Status codes posted so far, in order.
    std::vector<int> codes() {
        MSG msg;
        while (PeekMessageA(&msg, window_, WM_BRD_REQUEST, WM_BRD_REQUEST, PM_REMOVE))
            if (msg.wParam == BRD_QUERY_NOTIFY) received_.push_back(static_cast<int>(msg.lParam));
        return received_;
    }
    // Waits (pumping) until the code has been posted.
    bool wait_for(int code, int timeout_ms = 10000) {
        for (int waited = 0; waited < timeout_ms; waited += 10) {
            for (int c : codes())
                if (c == code) return true;
            Sleep(10);
        }
        return false;
    }

private:
    std::vector<int> received_;
};

inline void DeleteServersKey() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brindle\\Servers"); }
