#include "display/child_windows.h"

#include <windowsx.h>

#include "display/lcd_readout.h"

namespace {

// Until this window draws its own parts it shows the case behind it.
void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    DrawBackgroundBehind(hwnd, dc);
    EndPaint(hwnd, &ps);
}

}  // namespace

LRESULT CALLBACK ControlsWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        HANDLE_MSG(hwnd, WM_PAINT, OnPaint);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
