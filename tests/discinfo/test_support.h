#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "cdaudio/disc_record.h"
#include "discinfo/database.h"

namespace fs = std::filesystem;

struct ScratchDir {
    fs::path path = fs::temp_directory_path() / ("brd-discinfo-" + std::to_string(std::random_device()()));
    ScratchDir() { fs::create_directories(path); }
    ~ScratchDir() { std::error_code ec; fs::remove_all(path, ec); }
    fs::path operator/(const std::string& name) const { return path / name; }
};

inline std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void write_bytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
inline std::string test_data(const std::string& name) { return file_bytes(fs::path(BRD_TEST_DATA) / name); }

// The drive's record of a real disc: the frame offsets ("#\t150") and the
// disc length from the comment block of its xmcd entry.
inline DiscRecord drive_record(const std::string& xmcd) {
    DiscRecord record(reinterpret_cast<void*>(1));
    std::istringstream in(xmcd);
    for (std::string line; std::getline(in, line);) {
        if (int n = 0; std::sscanf(line.c_str(), "# Disc length: %d", &n) == 1)
            record.disc_seconds = n, record.toc[record.track_count] = {n / 60, n % 60, 0, n * 75};
        else if (std::sscanf(line.c_str(), "#%*[ \t]%d", &n) == 1)
            record.toc[record.track_count++] = {n / 75 / 60, n / 75 % 60, n % 75, n};
    }
    return record;
}

// A corpus file as stored under "category/discid": behind its status line.
inline DbEntry stored_entry(const std::string& key, const std::string& file) {
    const size_t slash = key.find('/');
    return {key, "200 " + key.substr(0, slash) + " " + key.substr(slash + 1) + "\r\n" + test_data(file)};
}
