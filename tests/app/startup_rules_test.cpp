#include "app/startup_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/window_state.h"

TEST(CommandLine, PlayOptionIsACaseSensitiveSubstring) {
    for (const char* line : {"/play", "x /playful y", "--/play--"}) EXPECT_TRUE(wants_play(line)) << line;
    for (const char* line : {"/PLAY", "/Play play", ""}) EXPECT_FALSE(wants_play(line)) << line;
}

TEST(ProgramDirectory, CutsAtExeThenAtTheLastBackslash) {
    EXPECT_EQ(program_directory("\"C:\\Program Files\\BRD\\BRD.EXE\" /play"), "c:\\program files\\brd");
    // The folder of the program, even when an argument looks like a path.
    EXPECT_EQ(program_directory("d:\\a\\brd.exe e:\\x\\y.exe"), "d:\\a");
    for (const char* line : {"c:\\tools\\brd /play", "brd.exe /play", ""})
        EXPECT_EQ(program_directory(line), std::nullopt) << line;
}

TEST(DriveChoice, TheStoredCdromOrElseTheFirstPresentCdrom) {
    const struct { int32_t stored; std::vector<int32_t> present, cdroms, list; int32_t chosen; } cases[] = {
        {-1, {2, 3, 4, 5}, {4, 5}, {4, 5}, 4},  // a fresh installation
        {5, {2, 4, 5}, {4, 5}, {4, 5}, 5},      // a chosen CD-ROM drive stays
        {2, {2, 4, 5}, {4, 5}, {4, 5}, 4},      // a hard disk is replaced
        {3, {2, 3}, {}, {}, 3},                 // without CD-ROM drives the stored choice stays
        {-1, {2}, {}, {}, -1},
        {-1, {2, 6}, {4, 6}, {6}, 6},           // a CD-ROM answer for a letter not present counts not
    };
    for (const auto& c : cases) {
        uint32_t mask = 0;
        for (int32_t d : c.present) mask |= 1u << d;
        const DriveChoice choice = choose_drive(c.stored, mask, [&](int32_t d) {
            return std::find(c.cdroms.begin(), c.cdroms.end(), d) != c.cdroms.end();
        });
        EXPECT_TRUE(choice.use_drive == c.chosen && choice.drive_list == c.list) << c.stored;
    }
}

TEST(WindowState, StartStatesAndWhatTheShutdownRecords) {
    const struct { int32_t stored; bool shade, minimized; int32_t after; } cases[] = {
        {1, false, false, 1}, {2, false, true, 2}, {3, true, false, 3}, {4, false, false, 0}, {5, false, true, 0},
        {6, true, false, 0}, {7, true, true, 0}, {42, false, false, 0}};
    for (const auto& c : cases) {
        const StartState s = start_state_for(c.stored);
        EXPECT_TRUE(s.display_mode == (c.shade ? kDisplayShade : kDisplayNormal) && s.minimized == c.minimized) << c.stored;
        EXPECT_EQ(start_win_state_after_start(c.stored), c.after) << c.stored;
    }
    for (int32_t mode : {kDisplayNormal, kDisplayShade})
        for (bool minimized : {false, true}) {
            const StartState s = start_state_for(recorded_start_win_state(mode, minimized));
            EXPECT_TRUE(s.display_mode == mode && s.minimized == minimized);
        }
}
