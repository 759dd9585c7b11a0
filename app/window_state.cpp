#include "app/window_state.h"

StartState start_state_for(int32_t value) {
    switch (value) {
        case 2: case 5: return {kDisplayNormal, true};
        case 3: case 6: return {kDisplayShade, false};
        case 7: return {kDisplayShade, true};
        default: return {kDisplayNormal, false};
    }
}
