#include "app/quick_track_items.h"

#include <cstdio>

std::string quick_track_text(int32_t track, const Text& title) {
    constexpr size_t kShown = 30;
    char text[100];
    std::snprintf(text, sizeof text, "%02d. %s", static_cast<int>(track), title ? title->c_str() : "");
    std::string item(text);
    if (item.size() > kShown) item.resize(kShown);
    if (title && title->size() >= 29) item.replace(kShown - 3, 3, "...");
    return item;
}
