#include "app/startup_rules.h"

#include <gtest/gtest.h>

#include "app/window_state.h"

TEST(CommandLine, PlayOptionIsACaseSensitiveSubstring) {
    EXPECT_TRUE(wants_play("/play"));
    EXPECT_TRUE(wants_play("x /playful y"));
    EXPECT_TRUE(wants_play("--/play--"));
    EXPECT_FALSE(wants_play("/PLAY"));
    EXPECT_FALSE(wants_play("/Play play"));
    EXPECT_FALSE(wants_play(""));
}

TEST(ProgramDirectory, CutsAtExeThenAtTheLastBackslash) {
    EXPECT_EQ(program_directory("\"C:\\Program Files\\BRD\\BRD.EXE\" /play"), "c:\\program files\\brd");
    EXPECT_EQ(program_directory("c:\\tools\\brd.exe"), "c:\\tools");
    // The folder of the program, even when an argument looks like a path.
    EXPECT_EQ(program_directory("d:\\a\\brd.exe e:\\x\\y.exe"), "d:\\a");
}

TEST(ProgramDirectory, LeavesTheDirectoryAloneWithoutExeOrBackslash) {
    EXPECT_EQ(program_directory("c:\\tools\\brd /play"), std::nullopt);
    EXPECT_EQ(program_directory("brd.exe /play"), std::nullopt);
    EXPECT_EQ(program_directory(""), std::nullopt);
}

namespace {
auto cdroms(std::initializer_list<int32_t> drives) {
    std::vector<int32_t> list(drives);
    return [list](int32_t d) { return std::find(list.begin(), list.end(), d) != list.end(); };
}
constexpr uint32_t bits(std::initializer_list<int> drives) {
    uint32_t mask = 0;
    for (int d : drives) mask |= 1u << d;
    return mask;
}
}  // namespace

TEST(DriveChoice, FreshInstallationTakesTheFirstCdromDrive) {
    const DriveChoice c = choose_drive(-1, bits({2, 3, 4, 5}), cdroms({4, 5}));
    EXPECT_EQ(c.use_drive, 4);
    EXPECT_EQ(c.drive_list, (std::vector<int32_t>{4, 5}));
}

TEST(DriveChoice, KeepsAChosenCdromAndReplacesAHardDisk) {
    EXPECT_EQ(choose_drive(5, bits({2, 4, 5}), cdroms({4, 5})).use_drive, 5);
    EXPECT_EQ(choose_drive(2, bits({2, 4, 5}), cdroms({4, 5})).use_drive, 4);
}

TEST(DriveChoice, WithoutCdromDrivesTheStoredChoiceStays) {
    const DriveChoice c = choose_drive(3, bits({2, 3}), cdroms({}));
    EXPECT_EQ(c.use_drive, 3);
    EXPECT_TRUE(c.drive_list.empty());
    EXPECT_EQ(choose_drive(-1, bits({2}), cdroms({})).use_drive, -1);
}

TEST(DriveChoice, OnlyDrivesPresentCount) {
    // A CD-ROM type answer for a letter the machine does not have is ignored.
    EXPECT_EQ(choose_drive(-1, bits({2, 6}), cdroms({4, 6})).use_drive, 6);
}

TEST(WindowState, StartStatesAndWhatTheShutdownRecords) {
    EXPECT_EQ(start_state_for(7).display_mode, kDisplayShade);
    EXPECT_TRUE(start_state_for(7).minimized);
    EXPECT_TRUE(start_state_for(5).minimized);
    EXPECT_EQ(start_state_for(5).display_mode, kDisplayNormal);
    EXPECT_FALSE(start_state_for(6).minimized);
    EXPECT_EQ(start_state_for(0).display_mode, kDisplayNormal);
    EXPECT_EQ(start_state_for(42).display_mode, kDisplayNormal);
    for (int32_t v : {4, 5, 6, 7}) EXPECT_EQ(start_win_state_after_start(v), 0);
    for (int32_t v : {1, 2, 3}) EXPECT_EQ(start_win_state_after_start(v), v);
    for (int32_t mode : {kDisplayNormal, kDisplayShade})
        for (bool minimized : {false, true}) {
            const StartState s = start_state_for(recorded_start_win_state(mode, minimized));
            EXPECT_EQ(s.display_mode, mode);
            EXPECT_EQ(s.minimized, minimized);
        }
}
