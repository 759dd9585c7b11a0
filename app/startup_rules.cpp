#include "app/startup_rules.h"

#include <algorithm>
#include <cctype>

bool wants_play(std::string_view command_line) {
    return command_line.find("/play") != std::string_view::npos;
}

std::optional<std::string> program_directory(std::string_view full_command_line) {
    std::string lowered(full_command_line);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const size_t exe = lowered.find(".exe");
    if (exe == std::string::npos) return std::nullopt;
    lowered.resize(exe);
    const size_t slash = lowered.rfind('\\');
    if (slash == std::string::npos) return std::nullopt;
    lowered.resize(slash);
    if (!lowered.empty() && lowered.front() == '"') lowered.erase(0, 1);
    return lowered;
}

std::string drive_root(int32_t drive) {
    return std::string(1, static_cast<char>('A' + drive)) + ":";
}

DriveChoice choose_drive(int32_t use_drive, uint32_t logical_drives,
                         const std::function<bool(int32_t drive)>& is_cdrom) {
    DriveChoice choice{use_drive, {}};
    for (int32_t drive = 0; drive < 32; ++drive)
        if ((logical_drives >> drive & 1u) && is_cdrom(drive)) choice.drive_list.push_back(drive);
    const bool chosen_is_cdrom = use_drive >= 0 && use_drive < 26 && is_cdrom(use_drive);
    if (!chosen_is_cdrom && !choice.drive_list.empty()) choice.use_drive = choice.drive_list.front();
    return choice;
}
