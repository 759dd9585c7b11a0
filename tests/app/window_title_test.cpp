#include "app/window_title.h"

#include <gtest/gtest.h>

TEST(WindowTitle, PartsInTheOrderAndSelectionAskedAndLongTitlesCut) {
    const Text disc = std::string("Artist / Album"), track = std::string("Song");
    const struct { int parts, order; Text disc; int seconds; std::string title; } cases[] = {
        {7, 123, disc, 185, "BRD: Artist / Album: Song: [3:05]"}, {7, 213, disc, 61, "BRD: Song: Artist / Album: [1:01]"},
        {7, 111, disc, 61, "BRD: Artist / Album"}, {4, 123, disc, 9, "BRD: [0:09]"}, {3, 123, {}, 9, "BRD: Song"},
        {0, 123, disc, 9, "BRD"}, {1, 123, "100% %s %n", 0, "BRD: 100% %s %n"},
        {1, 123, std::string(72, 'a'), 0, "BRD: " + std::string(72, 'a')},  // 77 characters stay whole; 78 are cut
        {1, 123, std::string(73, 'a'), 0, "BRD: " + std::string(71, 'a') + "..."},
        {7, 123, std::string(300, 'x'), 0, "BRD: " + std::string(71, 'x') + "..."}};
    for (const auto& c : cases) EXPECT_EQ(compose_title(c.parts, c.order, c.disc, track, c.seconds), c.title);
}
