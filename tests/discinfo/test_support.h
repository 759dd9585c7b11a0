#pragma once
// Helpers shared by the disc data tests: a scratch folder per test, whole-file
// reads and writes, and the real xmcd files kept under data/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "cdaudio/disc_record.h"

namespace fs = std::filesystem;

class ScratchDir {
    fs::path path_;

public:
    ScratchDir() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("brd-discinfo-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
};

inline std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string test_data(const std::string& name) { return file_bytes(fs::path(BRD_TEST_DATA) / name); }

// LF lines to CR LF, as a CDDB server sends them.
inline std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
        out += c;
    }
    return out;
}

// A drive's record whose tracks start at the given absolute seconds (frames
// given separately) and whose lead-out is at lead_out seconds.
inline DiscRecord record_with_starts(std::initializer_list<int> seconds, int lead_out, int frames = 0) {
    DiscRecord record(reinterpret_cast<void*>(1));
    int i = 0;
    auto set = [&](int at, int s) {
        record.toc[at] = {s / 60, s % 60, frames, (s) * 75 + frames};
    };
    for (int s : seconds) set(i++, s);
    record.track_count = i;
    set(i, lead_out);
    record.disc_seconds = lead_out;
    return record;
}
