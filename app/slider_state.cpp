#include "app/slider_state.h"

#include "app/playback.h"
#include "app/player.h"
#include "app/settings_store.h"
#include "cdaudio/cd_device.h"
#include "cdaudio/msf.h"
#include "display/skin_draw.h"

SliderState::SliderState() { ReadSliderSettings(); }

int32_t SliderState::PositionMode() const { return slider_position_mode(Settings.SliderType, Settings.TimerType); }

void DrawSlider(HDC dc, float percent, bool force) {
    if (!Player.SliderState) return;
    SliderThumb& thumb = Player.SliderState->thumb;
    if (!thumb.update(percent, force)) return;
    BlitCopy(dc, 0, 0, kGrooveWidth, 10, 0, 0, Player.Skin.Slider.get());
    BlitCopy(dc, thumb.drawn_x, 0, kThumbWidth, 10, 197, 0, Player.Skin.Slider.get());
}

void DrawSliderNow(float percent, bool force) {
    if (!Player.SliderWindow) return;
    HDC dc = GetDC(Player.SliderWindow);
    DrawSlider(dc, percent, force);
    ReleaseDC(Player.SliderWindow, dc);
}

float PositionPercent(int32_t mode) {
    const DiscRecord* disc = Player.Disc.get();
    if (!disc) return 0;
    if (mode & 1) {
        const Msf at = unpack_msf(position_msf(*disc));
        return position_percent(at.minutes * 60 + at.seconds, disc->disc_seconds);
    }
    const Tmsf at = unpack_tmsf(position_tmsf(*disc));
    const int32_t length = at.track >= 1 && at.track <= disc->track_count ? disc->track_seconds[at.track - 1] : 0;
    return position_percent(at.minutes * 60 + at.seconds, length);
}

int32_t PercentToSeconds(float percent, int32_t mode) {
    const DiscRecord* disc = Player.Disc.get();
    if (!disc) return 1;
    const std::span<PlayOrderEntry> order = CurrentOrder();
    const int32_t index = disc->current_index;
    const int32_t track = index >= 0 && index < static_cast<int32_t>(order.size()) ? order[index].track : 0;
    const int32_t track_seconds = track >= 1 && track <= disc->track_count ? disc->track_seconds[track - 1] : 0;
    return percent_to_seconds(percent, track_seconds, disc->disc_seconds, mode);
}
