#include "app/idle_animation.h"

#include <windows.h>

#include <atomic>
#include <thread>

#include "app/player.h"
#include "app/window_state.h"
#include "base/memory_surface.h"
#include "base/owned_handles.h"
#include "display/logo_animation.h"
#include "display/skin_draw.h"
#include "resources/resource.h"

namespace {

constexpr int kAreaX = 218, kAreaY = 19, kAreaWidth = 70, kAreaHeight = 136;
constexpr DWORD kFrameMs = 50;

std::thread animation;
// Each start gets a new number, so a run that has not yet seen the flag
// cleared before a quick restart still ends at its next frame.
std::atomic<int> current_run{0};
bool stopped = false;  // for good: the shutdown joined the last run

void Animate(int run) {
    // Copies of its own: the shared skin bitmaps stay free for the painters.
    OwnedBitmap logo(LoadBitmapA(Player.Instance, MAKEINTRESOURCEA(IDB_LOGO)));
    OwnedBitmap background(LoadBitmapA(Player.Instance, MAKEINTRESOURCEA(IDB_MAIN)));
    HWND window = Player.MainWindow;
    HDC window_dc = GetDC(window);
    {
        MemorySurface frame(window_dc, kAreaWidth, kAreaHeight);
        BITMAP size{};
        GetObjectA(logo.get(), sizeof size, &size);
        LogoMotion motion(static_cast<float>(size.bmWidth), static_cast<float>(size.bmHeight));
        while (Player.AnimationRunning && current_run == run && logo && background && frame) {
            if (Player.Skin.DisplayMode == kDisplayShade) {
                Player.AnimationRunning = 0;
                break;
            }
            const LogoRect r = motion.bounce_and_project();
            BlitCopy(frame.dc(), 0, 0, kAreaWidth, kAreaHeight, kAreaX, kAreaY, background.get());
            BlitStretch(frame.dc(), Player.Skin, r.left, r.top, r.width, r.height, 0, 0, size.bmWidth, size.bmHeight,
                        logo.get());
            BitBlt(window_dc, kAreaX, kAreaY, kAreaWidth, kAreaHeight, frame.dc(), 0, 0, SRCCOPY);
            motion.advance();
            Sleep(kFrameMs);
        }
    }
    ReleaseDC(window, window_dc);
}

}  // namespace

void StartIdleAnimationThread() {
    if (stopped) return;
    const int run = ++current_run;
    if (animation.joinable()) animation.join();  // the previous run ends within a frame
    animation = std::thread(Animate, run);
}

void StopIdleAnimation() {
    stopped = true;
    Player.AnimationRunning = 0;
    if (animation.joinable()) animation.join();
}
