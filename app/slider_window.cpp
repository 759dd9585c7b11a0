// The slider window: how far playback has got, and seeking by dragging the
// thumb or clicking on the groove. The seek happens when the button is
// released; until then the LCD shows the time at the thumb.
#include <windowsx.h>

#include "app/child_windows.h"
#include "app/playback.h"
#include "app/player.h"
#include "app/slider_state.h"
#include "cdaudio/cd_device.h"
#include "display/lcd_readout.h"
#include "display/title_display.h"
#include "resources/resource.h"

namespace {

constexpr int kTrackClickMaxY = 13;

bool Playing() { return Player.Disc && Player.Disc->playing; }

SliderState& Slider() { return *Player.SliderState; }

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (Player.SliderState) {
        const SliderThumb& thumb = Slider().thumb;
        const float percent = !Playing() ? 0 : thumb.dragging ? thumb.percent : PositionPercent(Slider().PositionMode());
        DrawSlider(dc, percent, true);
    } else {
        DrawBackgroundBehind(hwnd, dc, Player.Skin);  // before start-up has made the slider state
    }
    EndPaint(hwnd, &ps);
}

LRESULT OnRefresh() {
    if (Player.SliderState) DrawSliderNow(PositionPercent(Slider().PositionMode()), false);
    return 0;
}

void OnLButtonDown(HWND hwnd, BOOL, int x, int y, UINT) {
    SetForegroundWindow(Player.MainWindow);
    SetCapture(hwnd);
    if (!Player.SliderState || !Playing()) return;
    SliderState& slider = Slider();
    if (slider.thumb.hit(x, y)) {
        slider.thumb.dragging = true;
        slider.thumb.last_pointer_x = x;
    } else if (Settings.TrackClick) {
        slider.track_click_pending = true;
    }
}

void OnMouseMove(HWND hwnd, int x, int, UINT) {
    if (!Player.SliderState || !Slider().thumb.dragging) return;
    const float percent = Slider().thumb.drag_to(x);
    WindowDC dc(hwnd);
    DrawSlider(dc.get(), percent, false);
    ShowTime(PercentToSeconds(percent, Slider().PositionMode()), true);
}

// Seeks to the slider's percentage. A playing device is paused around the
// seek and resumed after it; a paused one stays paused at the new place.
void SeekToThumb() {
    DiscRecord& disc = *Player.Disc;
    const std::span<PlayOrderEntry> order = CurrentOrder();
    const int32_t mode = Slider().PositionMode();
    const int32_t seconds = PercentToSeconds(Slider().thumb.percent, mode);
    const int32_t index = disc.current_index;
    const int32_t track = index >= 0 && index < static_cast<int32_t>(order.size()) ? order[index].track : 1;
    if (!disc.paused) toggle_pause(disc, order, Settings.PlayType);
    seek_to(disc, static_cast<int16_t>(seconds), static_cast<int16_t>(track), static_cast<uint8_t>(mode));
    // A disc position may lie in another track: that track's entry becomes
    // the current position before the device plays on, so the range played
    // is the one that holds the head.
    if (mode & 1) {
        const int32_t at = PositionOfDeviceTrack();
        if (at >= 0 && at != index) {
            disc.current_index = at;
            RedrawCell(index);
        }
    }
    if (!disc.paused) toggle_pause(disc, order, Settings.PlayType);
    RedrawCell(disc.current_index);
    ShowTrackAt(disc.current_index);
}

void OnLButtonUp(HWND hwnd, int x, int y, UINT) {
    if (!Player.SliderState || !Player.Disc) {
        ReleaseCapture();
        return;
    }
    SliderState& slider = Slider();
    if (slider.track_click_pending) {
        // Above the window counts as far below: the click is cancelled.
        if (y >= 0 && y < kTrackClickMaxY) {
            WindowDC dc(hwnd);
            DrawSlider(dc.get(), static_cast<float>(track_click_percent(x)), false);
        } else {
            slider.track_click_pending = false;
        }
    }
    if (slider.thumb.dragging || slider.track_click_pending) {
        slider.thumb.just_released = true;
        slider.thumb.dragging = false;
        slider.track_click_pending = false;
        if (Playing()) SeekToThumb();
    }
    ReleaseCapture();
}

// The capture went elsewhere before the button came up: the drag or click
// is dropped without a seek, and the next refresh puts the thumb back.
LRESULT OnCaptureChanged(HWND hwnd, HWND gaining) {
    if (gaining == hwnd || !Player.SliderState) return 0;
    Slider().thumb.dragging = false;
    Slider().track_click_pending = false;
    return 0;
}

}  // namespace

LRESULT CALLBACK SliderWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        HANDLE_MSG(hwnd, WM_PAINT, OnPaint);
        HANDLE_MSG(hwnd, WM_LBUTTONDOWN, OnLButtonDown);
        HANDLE_MSG(hwnd, WM_MOUSEMOVE, OnMouseMove);
        HANDLE_MSG(hwnd, WM_LBUTTONUP, OnLButtonUp);
        case WM_BRD_SLIDER_REFRESH: return OnRefresh();
        case WM_CAPTURECHANGED: return OnCaptureChanged(hwnd, reinterpret_cast<HWND>(lParam));
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
