#pragma once
// The files of one virtual drive, seen through its drive letter: the disc
// (the folder's CUE sheet and its BIN), the state file and the opt-in log.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/owned_handles.h"
#include "vdrive/cue_sheet.h"
#include "vdrive/drive_state.h"

class DriveFolder {
public:
    explicit DriveFolder(char letter);

    char letter() const { return letter_; }
    // The disc in the drive, or why there is none to read. A reading is kept
    // until the folder's entries, the CUE sheet or an image change: a disc
    // goes in and out by changing the folder, and a player asks for the disc
    // at every status query, several times a second.
    DiscReading read_disc() const;
    // An image the disc's sheet names, opened for reading its sound.
    OwnedHandle open_image(const std::string& name) const;
    // Without a state file the drive is closed and stopped.
    DriveState read_state() const;
    // Replaces the state file in one step, so a reader never sees half of it.
    bool write_state(const DriveState& s) const;
    // Held across one read-modify-write of the state file, so that no other
    // writer (another process's device, the controller) undoes the change.
    class StateLock {
    public:
        explicit StateLock(OwnedHandle file) : file_(std::move(file)) {}
        ~StateLock();
        StateLock(StateLock&&) = default;

    private:
        OwnedHandle file_;
    };
    StateLock lock_state() const;
    // The capture file, open for appending, or null while the capture is off.
    OwnedHandle open_capture() const;
    // Appends a line to the command log when the log file exists.
    void log(const std::string& line) const;
    // Takes the drive for one open device, shared with the other shareable
    // opens or for this one alone. `held` keeps the claim, and the system
    // drops it with the handle, even when a process dies. Refused when
    // another open stands in the way; a folder where the claim cannot be
    // made (read-only) allows every open.
    enum class Claim { Taken, Refused };
    Claim claim(bool shareable, OwnedHandle& held) const;

private:
    // When a file was last written, and its size (zero when it is missing).
    struct Stamp {
        uint64_t written = 0, size = 0;
        bool operator==(const Stamp&) const = default;
    };
    static std::vector<Stamp> stamps_of(const std::vector<std::wstring>& files);
    // Reads the disc, naming in `files` the files the reading comes from.
    DiscReading read_disc_from_files(std::vector<std::wstring>& files) const;
    std::wstring path(const std::wstring& name) const;
    std::wstring image_path(const std::string& name) const;
    char letter_;
    std::wstring root_;  // L"D:\\"
    struct KeptDisc {
        std::mutex mutex;
        std::vector<std::wstring> files;
        std::vector<Stamp> stamps;
        DiscReading reading;
    };
    std::unique_ptr<KeptDisc> kept_ = std::make_unique<KeptDisc>();
};

// Wall-clock milliseconds since 1970, the time base every process shares.
int64_t wall_clock_ms();
