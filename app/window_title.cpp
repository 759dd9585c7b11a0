#include "app/window_title.h"

#include <cstdio>

namespace {

constexpr size_t kTitleBuffer = 80;  // 79 characters and the terminator

void Append(std::string& title, const std::string& part) {
    title.append(part, 0, std::min(part.size(), kTitleBuffer - 1 - std::min(title.size(), kTitleBuffer - 1)));
}

}  // namespace

std::string compose_title(int32_t text_type, int32_t text_order, const Text& disc_title,
                          const Text& track_title, int32_t seconds) {
    std::string title = "BRD";
    const int32_t digits[3] = {text_order / 100 % 10, text_order / 10 % 10, text_order % 10};
    for (int32_t k = 1; k <= 3; ++k) {
        for (int32_t part = 0; part < 3; ++part) {
            if (digits[part] != k) continue;
            if (text_type & (1 << part)) {
                if (part == 0 && disc_title) Append(title, ": " + *disc_title);
                if (part == 1 && track_title) Append(title, ": " + *track_title);
                if (part == 2) {
                    char time[32];
                    std::snprintf(time, sizeof time, ": [%d:%02d]", seconds / 60, seconds % 60);
                    Append(title, time);
                }
            }
            break;  // the first item whose digit is k
        }
    }
    if (title.size() >= 78) title = title.substr(0, 76) + "...";
    return title;
}
