#include <gtest/gtest.h>

#include "display/button_layout.h"
#include "display/logo_animation.h"

TEST(Buttons, PlacesSpritesAndHitsInclusiveAndHalvedInShadeMode) {
    const int32_t xs[] = {0, 30, 56, 82, 108, 134};
    for (int32_t i = 0; i < kButtonCount; ++i) EXPECT_EQ(button_x(i), xs[i]);
    EXPECT_EQ(button_source_x(kEject, {.hover = true}), 30);
    EXPECT_EQ(button_source_x(kStop, {.pressed = true}), 52);
    EXPECT_EQ(button_source_x(kPause, {.blink = true, .pressed = true}), 78);
    EXPECT_EQ(button_source_y(kPlay), 125);
    // Edges count and the first button wins; in shade mode 30 / 2 = 15 <= 20 <= 27 is Track back.
    const int32_t hits[][4] = {{0, 0, 0, kEject},   {29, 24, 0, kEject}, {30, 10, 0, kTrackBack},
                               {163, 10, 0, kPlay}, {164, 10, 0, -1},    {50, 25, 0, -1},
                               {20, 5, 1, kTrackBack}, {81, 12, 1, kPlay}, {20, 13, 1, -1}};
    for (const auto& h : hits) EXPECT_EQ(hit_button(h[0], h[1], h[2]), h[3]) << h[0] << "," << h[1];
}

TEST(LogoAnimation, TurnsAtTheEdgesAndDepthLimitsAndProjectsTowardsTheCentre) {
    LogoMotion logo(81, 62);
    EXPECT_EQ(logo.bounce_and_project(), (LogoRect{0, 0, 81, 62}));  // at z = 1, full size at (x, y)
    int frames_until_x_turns = 0;
    for (; logo.vx() > 0; logo.bounce_and_project()) logo.advance(), ++frames_until_x_turns;
    EXPECT_FLOAT_EQ(logo.x(), 29.5f);
    EXPECT_EQ(frames_until_x_turns, 25);
    LogoMotion far(81, 62);
    for (int i = 0; i < 90; ++i) far.advance();  // z about 2.8: small and drawn towards (35, 68)
    const LogoRect r = far.bounce_and_project();
    EXPECT_NEAR(r.width, 81 / 2.8, 1);
    EXPECT_GT(r.left, 20);

    LogoMotion depth(81, 62);
    float highest_y = 0, deepest = 1, nearest = 1;
    for (int frame = 0; frame < 400; ++frame) {
        depth.bounce_and_project();
        highest_y = std::max(highest_y, depth.y());
        deepest = std::max(deepest, depth.z());
        nearest = std::min(nearest, depth.z());
        depth.advance();
    }
    EXPECT_FLOAT_EQ(highest_y, 105.0f);  // 136 - 62 / 2
    EXPECT_FLOAT_EQ(deepest, 2.8f);
    EXPECT_FLOAT_EQ(nearest, 0.65f);
}
