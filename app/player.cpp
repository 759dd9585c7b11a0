#include "app/player.h"

#include "app/button_bank.h"
#include "app/slider_state.h"
#include "display/title_display.h"
#include "display/track_grid.h"

PlayerState Player;
SettingsRecord Settings{};

bool NetworkSessionRunning() {
    if (!Player.QueryLock) return false;
    if (WaitForSingleObject(Player.QueryLock.get(), 0) != WAIT_OBJECT_0) return true;
    ReleaseSemaphore(Player.QueryLock.get(), 1, nullptr);
    return false;
}

void ReleaseDisc() {
    if (NetworkSessionRunning()) Player.RetiredDiscs.push_back(std::move(Player.Disc));
    Player.Disc.reset();
}
