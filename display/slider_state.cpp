#include "display/slider_state.h"

#include "app/player.h"
#include "app/settings_store.h"
#include "display/skin_draw.h"

SliderState::SliderState() { ReadSliderSettings(); }

int32_t SliderState::PositionMode() const { return slider_position_mode(Settings.SliderType, Settings.TimerType); }

void DrawSlider(HDC dc, float percent, bool force) {
    if (!Player.SliderState) return;
    SliderThumb& thumb = Player.SliderState->thumb;
    if (!thumb.update(percent, force)) return;
    BlitCopy(dc, 0, 0, kGrooveWidth, 10, 0, 0, Player.SkinSlider.get());
    BlitCopy(dc, thumb.drawn_x, 0, kThumbWidth, 10, 197, 0, Player.SkinSlider.get());
}

void DrawSliderNow(float percent, bool force) {
    if (!Player.SliderWindow) return;
    HDC dc = GetDC(Player.SliderWindow);
    DrawSlider(dc, percent, force);
    ReleaseDC(Player.SliderWindow, dc);
}
