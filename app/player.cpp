#include "app/player.h"

#include "display/button_bank.h"
#include "display/slider_state.h"
#include "display/title_display.h"
#include "display/track_grid.h"

PlayerState Player;
SettingsRecord Settings{};
