#include "display/lcd_layout.h"

std::vector<SpriteBlit> number_blits(int x, int y, int value, bool lit) {
    if (value < 10) return {{x + 1, y + 1, 13, 13, 14 * value, lit ? 0 : 14}};
    const int row = lit ? 28 : 42;
    return {{x, y, 7, 13, 8 * (value / 10), row}, {x + 7, y, 7, 13, 8 * (value % 10), row}};
}

std::vector<TimeCell> time_cells(int seconds) {
    const int m = seconds / 60, r = seconds % 60;
    return {{19, 29, m / 10}, {33, 29, m % 10}, {57, 29, r / 10}, {71, 29, r % 10}};
}

std::vector<SpriteBlit> timer_mode_blits(int32_t timer_type) {
    const bool disc = timer_type & 1, remaining = timer_type & 2;
    return {
        {116, 26, 25, 9, disc ? 0 : 26, 38},      // Track
        {116, 38, 17, 9, disc ? 70 : 52, 38},     // CD
        {100, 26, 9, 9, remaining ? 88 : 98, 38},  // plus
        {100, 38, 9, 9, remaining ? 118 : 108, 38},  // minus
    };
}

std::vector<SpriteBlit> play_mode_blits(int32_t play_type) {
    auto word = [play_type](int bit, int y, int src_y) {
        return SpriteBlit{156, y, 54, 9, (play_type & bit) ? 0 : 55, src_y};
    };
    return {word(1, 20, 20), word(2, 32, 10), word(4, 44, 0)};
}

std::vector<SpriteBlit> status_blits(int32_t status_code) {
    struct Piece {
        int src_x, src_y, width;
    };
    auto one = [](Piece p) { return std::vector<SpriteBlit>{{kStatusX, kStatusY, p.width, 5, p.src_x, p.src_y}}; };
    auto two = [](Piece a, int gap, Piece b) {
        return std::vector<SpriteBlit>{{kStatusX, kStatusY, a.width, 5, a.src_x, a.src_y},
                                       {kStatusX + a.width + gap, kStatusY, b.width, 5, b.src_x, b.src_y}};
    };
    switch (status_code) {
        case 501: return two({54, 60, 35}, 1, {33, 48, 23});  // SUBMITTING
        case 555: return two({54, 60, 35}, 2, {92, 54, 32});  // SUBMIT FAILED
        case 599: return two({57, 48, 22}, 2, {54, 60, 52});  // DISC SUBMITTED
        case 666: return one({0, 60, 53});                    // NO NETWORK
        case 667: return two({0, 48, 38}, 2, {92, 54, 32});   // CONNECT FAILED
        case 701: return one({0, 48, 56});                    // CONNECTING
        case 702: return one({0, 54, 46});                    // QUERYING
        case 901: return one({47, 54, 44});                   // NO MATCH
        case 999: return one({57, 48, 55});                   // DISC FOUND
    }
    return {};
}

std::vector<SpriteBlit> line_label_blits() { return {{10, 57, 23, 7, 0, 30}, {10, 83, 32, 7, 24, 30}}; }

SpriteBlit minimize_button_blit(bool pressed) {
    return {kMinimizeX, kTitleButtonY, kTitleButtonSize, kTitleButtonSize, pressed ? 122 : 110, 0};
}

SpriteBlit close_button_blit(bool pressed) {
    return {kCloseX, kTitleButtonY, kTitleButtonSize, kTitleButtonSize, pressed ? 122 : 110, 12};
}

std::vector<SpriteBlit> menu_banner_blits(int item_id, int x, int y, int menu_height) {
    if (item_id != 1 && item_id != 2) return {};
    const int banner_height = item_id == 1 ? 410 : 110;
    std::vector<SpriteBlit> blits{{x, y, 22, banner_height, item_id == 1 ? 0 : 24, 0}};
    int piece_y = y + banner_height;
    for (int remaining = menu_height - banner_height; remaining > 1; remaining -= 31, piece_y += 31)
        blits.push_back({x, piece_y, 22, 31, 0, 412});
    return blits;
}

int HitCaption(int, int y) { return 1 <= y && y < 15; }

int HitTitleButton(int x, int y) {
    if (y < 3 || y >= 15) return 0;
    if (265 <= x && x < 276) return kHitMinimize;
    if (280 <= x && x < 291) return kHitClose;
    return 0;
}

int HitTimerMode(int x, int y) {
    if (x < 100 || x >= 143 || y < 27 || y >= 48) return 0;
    if (x < 111) return y < 37 ? kHitElapsed : kHitRemaining;
    if (x >= 116) return y < 37 ? kHitTrack : kHitDisc;
    return 0;
}

int HitPlayMode(int x, int y) {
    if (x < 156 || x > 210) return 0;
    if (20 <= y && y < 30) return 1;
    if (32 <= y && y < 42) return 2;
    if (44 <= y && y < 54) return 4;
    return 0;
}
