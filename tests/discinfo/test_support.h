#pragma once
// Helpers shared by the disc data tests: a scratch folder per test, whole-file
// reads and writes, and the real xmcd entries kept under data/.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "cdaudio/disc_record.h"

namespace fs = std::filesystem;

struct ScratchDir {
    fs::path path = fs::temp_directory_path() / ("brd-discinfo-" + std::to_string(std::random_device()()));
    ScratchDir() { fs::create_directories(path); }
    ~ScratchDir() { std::error_code ec; fs::remove_all(path, ec); }
    fs::path operator/(const std::string& name) const { return path / name; }
};

inline std::string file_bytes(const fs::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

inline void write_bytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

inline std::string test_data(const std::string& name) { return file_bytes(fs::path(BRD_TEST_DATA) / name); }

// The drive's record of a real disc: the frame offsets ("#\t150") and the
// disc length from the comment block of its xmcd entry.
inline DiscRecord drive_record(const std::string& xmcd) {
    DiscRecord record(reinterpret_cast<void*>(1));
    std::istringstream in(xmcd);
    for (std::string line; std::getline(in, line);) {
        const size_t at = line.find_first_not_of("# \t");
        if (line.starts_with("# Disc length:")) {
            const int s = record.disc_seconds = std::atoi(line.c_str() + 14);
            record.toc[record.track_count] = {s / 60, s % 60, 0, s * 75};
        } else if (line.starts_with('#') && at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) {
            const int offset = std::atoi(line.c_str() + at), s = offset / 75;
            record.toc[record.track_count++] = {s / 60, s % 60, offset % 75, offset};
        }
    }
    return record;
}
