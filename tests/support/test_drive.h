#pragma once
// A drive letter of the test prefix made a CD-ROM drive on a fresh folder
// while the test runs, with the discs the test puts into it. The letter is
// defined through Wine's mount manager, so no Wine server restart is needed
// and other programs running in the prefix are left alone.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct TestTrack {
    int32_t start;      // absolute frame (INDEX 01 + 150)
    bool audio = true;
};

class TestDrive {
public:
    explicit TestDrive(char letter);
    ~TestDrive();
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    std::string element() const { return std::string{letter_, ':'}; }
    // Puts in a disc with these track starts and lead-out (a sparse BIN of
    // the right size) and closes the tray, as the controller's insert does.
    void insert(const std::vector<TestTrack>& tracks, int32_t lead_out);
    // Puts in this CUE sheet with a sparse BIN named by it of `bin_frames` sectors.
    void insert_cue(const std::string& cue, const std::string& bin_name, int32_t bin_frames);
    // Takes the disc out (the tray stays as it is).
    void remove_disc();
    void write_state(const std::string& text) const;
    void enable_log() const;
    std::string log() const;
    // The log lines of one command ("PLAY", "SEEK", ...).
    std::vector<std::string> log_lines(const std::string& command) const;

private:
    std::string path(const std::string& name) const { return folder_ + "\\" + name; }
    char letter_;
    std::string folder_;  // the Windows path of the host folder behind the drive
};

// Tracks of these lengths in seconds, the first at 00:02:00; lead_out
// receives the frame after the last one.
std::vector<TestTrack> tracks_of_seconds(const std::vector<int32_t>& seconds, int32_t* lead_out);

// Runs this test program again as a second process with only the tests of
// `gtest_filter` and `variable` set in its environment; its exit code, or
// -1 when it could not be run.
DWORD run_this_program(const std::string& gtest_filter, const char* variable, const char* value);
