#pragma once
// Start-up decisions that need no window: the command line, the program's
// directory and the choice of CD drive.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// "/play" anywhere in the command line, case-sensitive, even inside a word.
bool wants_play(std::string_view command_line);

// The folder of the program named by the full command line (path included):
// everything before ".exe" (found case-insensitively) up to the last
// backslash, without one leading double quote. Nothing when the line holds
// no ".exe" or no backslash before it.
std::optional<std::string> program_directory(std::string_view full_command_line);

struct DriveChoice {
    int32_t use_drive;              // the drive number to use, 0 for A
    std::vector<int32_t> drive_list;  // the CD-ROM drives, in letter order
};

// Keeps a chosen CD-ROM drive; otherwise takes the first CD-ROM drive, and
// keeps the stored choice when the machine has none.
DriveChoice choose_drive(int32_t use_drive, uint32_t logical_drives,
                         const std::function<bool(int32_t drive)>& is_cdrom);

// "%c:" for a drive number; out-of-range numbers give the names a Windows
// program would form from 'A' + n (so -1 gives "@:", which is no drive).
std::string drive_root(int32_t drive);
