#pragma once
// Owners for Win32 handles: each closes its handle once, and none can be copied.
#include <windows.h>

#include <utility>

template <typename H, auto Close>
class Owned {
    H h_{};

public:
    explicit Owned(H h = {}) : h_(h) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : h_(std::exchange(other.h_, H{})) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, H{});
        }
        return *this;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != H{}; }
    void reset(H h = {}) {
        if (h_) Close(h_);
        h_ = h;
    }
};

using OwnedHandle = Owned<HANDLE, CloseHandle>;
using OwnedBitmap = Owned<HBITMAP, DeleteObject>;
using OwnedMenu = Owned<HMENU, DestroyMenu>;

// A semaphore of count one used as a mutex; the slot holds it for a scope.
class SemaphoreSlot {
    HANDLE sem_;
    bool held_;

public:
    SemaphoreSlot(HANDLE sem, DWORD timeout = INFINITE)
        : sem_(sem), held_(WaitForSingleObject(sem, timeout) == WAIT_OBJECT_0) {}
    ~SemaphoreSlot() {
        if (held_) ReleaseSemaphore(sem_, 1, nullptr);
    }
    SemaphoreSlot(const SemaphoreSlot&) = delete;
    SemaphoreSlot& operator=(const SemaphoreSlot&) = delete;
    bool held() const { return held_; }
};

inline OwnedHandle CreateLock() { return OwnedHandle{CreateSemaphoreA(nullptr, 1, 1, nullptr)}; }

// A handle of one's own to the same kernel object: the object lives until
// every handle to it is closed, so a worker holding one never outlives it.
inline OwnedHandle DuplicateOf(HANDLE handle) {
    HANDLE copy = nullptr;
    const HANDLE self = GetCurrentProcess();
    if (!handle || !DuplicateHandle(self, handle, self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) return OwnedHandle{};
    return OwnedHandle{copy};
}

// A window's device context for one drawing; empty when there is no window.
class WindowDC {
    HWND window_;
    HDC dc_;

public:
    explicit WindowDC(HWND window) : window_(window), dc_(window ? GetDC(window) : nullptr) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
};
