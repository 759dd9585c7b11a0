#pragma once
// A drive letter of the test prefix made a CD-ROM drive on a fresh folder
// while the test runs, defined through Wine's mount manager (no Wine server
// restart), with the discs the test puts into it.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TestDrive {
public:
    explicit TestDrive(char letter);
    ~TestDrive();
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    std::string element() const { return std::string{letter_, ':'}; }
    // A disc with these track starts (absolute frames) and lead-out, the tray
    // closed, as the controller's insert does; the last track data if asked.
    void insert(const std::vector<int32_t>& starts, int32_t lead_out, bool last_is_data = false);
    // Tracks of these lengths in seconds, the first at 00:02:00.
    void insert_seconds(const std::vector<int32_t>& seconds, bool last_is_data = false);
    // This CUE sheet with a sparse disc.bin of `bin_frames` sectors.
    void insert_cue(const std::string& cue, int32_t bin_frames);
    void remove_disc() const;
    // A file of the drive's folder, written whole or read back; an empty log file turns the log on.
    void put(const std::string& name, const std::string& bytes) const;
    void enable_log() const { put("brdvcd.log", ""); }
    std::string contents(const std::string& name) const;
    std::string log() const { return contents("brdvcd.log"); }
    std::vector<std::string> log_lines(const std::string& command) const;  // "PLAY", "SEEK", ...

private:
    std::string path(const std::string& name) const { return folder_ + "\\" + name; }
    char letter_;
    std::string folder_;  // the Windows path of the host folder behind the drive
};
