#include "app/window_title.h"

#include <gtest/gtest.h>

TEST(WindowTitle, PartsInTheOrderAndSelectionAsked) {
    const Text disc = std::string("Artist / Album");
    const Text track = std::string("Song");
    EXPECT_EQ(compose_title(7, 123, disc, track, 185), "BRD: Artist / Album: Song: [3:05]");
    EXPECT_EQ(compose_title(7, 213, disc, track, 61), "BRD: Song: Artist / Album: [1:01]");
    EXPECT_EQ(compose_title(7, 111, disc, track, 61), "BRD: Artist / Album");
    EXPECT_EQ(compose_title(4, 123, disc, track, 9), "BRD: [0:09]");
    EXPECT_EQ(compose_title(3, 123, std::nullopt, track, 9), "BRD: Song");
    EXPECT_EQ(compose_title(0, 123, disc, track, 9), "BRD");
}

TEST(WindowTitle, LongTitlesEndInAnEllipsisAndTextsStayAsTheyAre) {
    const std::string long_title(300, 'x');
    const std::string title = compose_title(7, 123, long_title, std::string("t"), 0);
    EXPECT_EQ(title.size(), 79u);
    EXPECT_EQ(title.substr(0, 5), "BRD: ");
    EXPECT_EQ(title.substr(76), "...");
    EXPECT_EQ(compose_title(1, 123, std::string("100% %s %n"), std::nullopt, 0), "BRD: 100% %s %n");
    // 77 characters stay whole; 78 are cut.
    EXPECT_EQ(compose_title(1, 123, std::string(72, 'a'), std::nullopt, 0).size(), 77u);
    EXPECT_EQ(compose_title(1, 123, std::string(73, 'a'), std::nullopt, 0), "BRD: " + std::string(71, 'a') + "...");
}
