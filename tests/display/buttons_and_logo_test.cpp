#include <gtest/gtest.h>

#include "display/button_layout.h"
#include "display/logo_animation.h"

TEST(Buttons, PlacesAndSprites) {
    const int32_t xs[] = {0, 30, 56, 82, 108, 134};
    for (int32_t i = 0; i < kButtonCount; ++i) EXPECT_EQ(button_x(i), xs[i]);
    EXPECT_EQ(button_source_x(kEject, {}), 0);
    EXPECT_EQ(button_source_x(kEject, {.hover = true}), 30);
    EXPECT_EQ(button_source_x(kStop, {.pressed = true}), 52);
    EXPECT_EQ(button_source_x(kPause, {.blink = true, .pressed = true}), 78);
    EXPECT_EQ(button_source_y(kPlay), 125);
}

TEST(Buttons, HitTestIsInclusiveAndHalvedInShadeMode) {
    EXPECT_EQ(hit_button(0, 0, false), kEject);
    EXPECT_EQ(hit_button(29, 24, false), kEject);   // edges count, the first button wins
    EXPECT_EQ(hit_button(30, 10, false), kTrackBack);
    EXPECT_EQ(hit_button(163, 10, false), kPlay);
    EXPECT_EQ(hit_button(164, 10, false), -1);
    EXPECT_EQ(hit_button(50, 25, false), -1);
    EXPECT_EQ(hit_button(20, 5, true), kTrackBack);  // 30/2 = 15 <= 20 <= 27
    EXPECT_EQ(hit_button(81, 12, true), kPlay);
    EXPECT_EQ(hit_button(20, 13, true), -1);
}

TEST(LogoAnimation, TurnsAtTheAreasEdgesAndDepthLimits) {
    LogoMotion logo(81, 62);
    int frames_until_x_turns = 0;
    while (logo.vx() > 0) {
        logo.bounce_and_project();
        if (logo.vx() > 0) {
            logo.advance();
            ++frames_until_x_turns;
        }
    }
    EXPECT_FLOAT_EQ(logo.x(), 29.5f);
    EXPECT_EQ(frames_until_x_turns, 25);

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

TEST(LogoAnimation, ProjectsTowardsTheCentreOfTheArea) {
    LogoMotion logo(81, 62);
    EXPECT_EQ(logo.bounce_and_project(), (LogoRect{0, 0, 81, 62}));  // at z = 1, full size at (x, y)
    for (int i = 0; i < 90; ++i) logo.advance();                   // z about 2.8
    const LogoRect far = logo.bounce_and_project();
    EXPECT_NEAR(far.width, 81 / 2.8, 1);
    EXPECT_GT(far.left, 20);  // shrinks towards (35, 68)
}
