#pragma once
// An off-screen drawing surface: a memory device context with a bitmap of its
// own selected into it, both compatible with a given context. The bitmap is
// deselected before either is deleted.
#include <windows.h>

#include "base/owned_handles.h"

using OwnedDC = Owned<HDC, DeleteDC>;

class MemorySurface {
    OwnedDC dc_;
    OwnedBitmap bitmap_;
    HGDIOBJ old_ = nullptr;

public:
    MemorySurface(HDC like, int width, int height)
        : dc_(CreateCompatibleDC(like)), bitmap_(CreateCompatibleBitmap(like, width, height)) {
        if (!dc_ || !bitmap_) return;
        old_ = SelectObject(dc_.get(), bitmap_.get());
        SetMapMode(dc_.get(), GetMapMode(like));
    }
    ~MemorySurface() {
        if (old_) SelectObject(dc_.get(), old_);
    }
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;

    HDC dc() const { return dc_.get(); }
    explicit operator bool() const { return old_ != nullptr; }
};
