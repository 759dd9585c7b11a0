#pragma once
// The fuzz input as a file, for the readers that take a path: brd.bdb in a
// folder of this process's own under TMPDIR (scripts/run-fuzz points it at
// memory), emptied before each input so copies of damaged files do not pile up.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

inline const std::filesystem::path& scratch_folder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("brd-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratch_folder(), ec);
        });
        return path;
    }();
    return folder;
}

inline std::filesystem::path database_of(const uint8_t* data, size_t size) {
    for (const auto& entry : std::filesystem::directory_iterator(scratch_folder())) std::filesystem::remove(entry);
    const std::filesystem::path file = scratch_folder() / "brd.bdb";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return file;
}
