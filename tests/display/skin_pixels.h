#pragma once
// Helpers of the GDI pixel tests: the skin loaded from the test program's
// own resources for the code to draw with, the skin's files read for the
// expectations, pixels read back from bitmaps, a canvas to draw on, and
// region comparisons.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "display/skin.h"
#include "resources/resource.h"

// The skin the code under test draws with, from the test program's own resources.
inline Skin& TestSkin() {
    static Skin skin;
    return skin;
}

// Loads the skin bitmaps (once).
inline bool LoadTestSkin() {
    auto load = [](OwnedBitmap& b, int id) {
        if (!b) b.reset(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
        return static_cast<bool>(b);
    };
    Skin& s = TestSkin();
    return load(s.Main, IDB_MAIN) && load(s.Shade, IDB_SHADE) && load(s.Sprites, IDB_SPRITES) &&
           load(s.Digits, IDB_DIGITS) && load(s.Font, IDB_FONT) && load(s.MenuBanner, IDB_MENU_BANNER) &&
           load(s.Tracks, IDB_TRACKS);
}

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> px;  // 0x00RRGGBB
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
    uint32_t& at(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
    // Puts a w x h piece of `from` at (sx, sy) here at (x, y), copied or ORed.
    void Paste(int x, int y, const Pixels& from, int sx, int sy, int w, int h, bool ored = false) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) at(x + i, y + j) = (ored ? at(x + i, y + j) : 0) | from.at(sx + i, sy + j);
    }
};

inline Pixels Read(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    Pixels p{info.bmWidth, info.bmHeight, std::vector<uint32_t>(static_cast<size_t>(info.bmWidth) * info.bmHeight)};
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(p.height), p.px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& v : p.px) v &= 0xffffff;
    return p;
}

// The pixels of resources/skin/`name` read from the file itself (BRD_SOURCE_DIR
// is the source folder, reached through Wine's Z: drive).
inline Pixels SkinFile(const char* name) {
    const std::string path = std::string("Z:") + BRD_SOURCE_DIR + "/resources/skin/" + name;
    HANDLE bitmap = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    Pixels p = bitmap ? Read(static_cast<HBITMAP>(bitmap)) : Pixels{};
    DeleteObject(bitmap);
    return p;
}

// A memory bitmap to draw on, filled with one colour.
class Canvas {
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;

public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 0, 255)) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        HBRUSH brush = CreateSolidBrush(fill);
        RECT r{0, 0, width, height};
        FillRect(dc_, &r, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    Pixels Snapshot() {
        SelectObject(dc_, old_);
        Pixels p = Read(bitmap_);
        SelectObject(dc_, bitmap_);
        return p;
    }
};

// Compares a w x h region of `got` at (x, y) with `want` at (sx, sy).
inline ::testing::AssertionResult SameRegion(const Pixels& got, int x, int y, const Pixels& want, int sx, int sy, int w,
                                             int h) {
    int wrong = 0;
    char first[120] = "";
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (got.at(x + i, y + j) != want.at(sx + i, sy + j) && wrong++ == 0)
                std::snprintf(first, sizeof first, "first at (%d,%d): got %06x, want %06x", x + i, y + j,
                              got.at(x + i, y + j), want.at(sx + i, sy + j));
    if (!wrong) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ, " << first;
}

inline ::testing::AssertionResult SamePicture(const Pixels& got, const Pixels& want) {
    return SameRegion(got, 0, 0, want, 0, 0, want.width, want.height);
}
