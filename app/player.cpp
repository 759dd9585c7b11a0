#include "app/player.h"

#include "app/button_bank.h"
#include "app/slider_state.h"
#include "display/title_display.h"
#include "display/track_grid.h"

PlayerState Player;
SettingsRecord Settings{};
