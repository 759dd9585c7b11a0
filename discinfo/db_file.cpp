#include "discinfo/db_file.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "discinfo/database.h"

namespace {

bool fault_injected() { return db_write_fault_hook && !db_write_fault_hook(); }

bool seek(std::FILE* file, uint64_t offset) {
    // Offsets of the database are 32-bit signed; anything larger is not ours.
    if (offset > INT32_MAX) return false;
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

// Unique within the process and, by the clock, across processes writing the same database.
std::filesystem::path temp_beside(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto unique = std::to_string(static_cast<unsigned long long>(ticks)) + "-" +
                        std::to_string(counter.fetch_add(1));
    std::filesystem::path temp = target;
    temp += ".new-" + unique;
    return temp;
}

}  // namespace

FileReader::FileReader(const std::filesystem::path& path) {
    file_ = std::fopen(path.string().c_str(), "rb");
    if (!file_) return;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    size_ = ec ? 0 : size;
}

FileReader::~FileReader() {
    if (file_) std::fclose(file_);
}

bool FileReader::read_at(uint64_t offset, void* buffer, size_t count) {
    if (!file_ || offset > size_ || count > size_ - offset) return false;
    if (count == 0) return true;
    return seek(file_, offset) && std::fread(buffer, 1, count, file_) == count;
}

bool FileReader::read_string(uint64_t offset, uint64_t count, std::string& out) {
    if (!file_ || offset > size_ || count > size_ - offset) return false;
    out.resize(count);
    return read_at(offset, out.data(), count);
}

FileReplacement::FileReplacement(const std::filesystem::path& target)
    : target_(target), temp_(temp_beside(target)) {
    file_ = std::fopen(temp_.string().c_str(), "wb");
    if (file_) std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

FileReplacement::~FileReplacement() {
    if (file_) {
        std::fclose(file_);
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
    }
}

bool FileReplacement::write(const void* data, size_t count) {
    if (!file_ || failed_ || fault_injected() ||
        (count != 0 && std::fwrite(data, 1, count, file_) != count))
        failed_ = true;
    return !failed_;
}

bool FileReplacement::copy_from(FileReader& reader, uint64_t offset, uint64_t count) {
    std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(count, 1 << 20)));
    while (count > 0) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(count, buffer.size()));
        if (!reader.read_at(offset, buffer.data(), chunk)) failed_ = true;
        if (failed_ || !write(buffer.data(), chunk)) return false;
        offset += chunk;
        count -= chunk;
    }
    return !failed_;
}

bool FileReplacement::commit() {
    if (!file_ || failed_) return false;
    const bool flushed = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    std::error_code ec;
    if (!flushed || !closed || fault_injected()) {
        std::filesystem::remove(temp_, ec);
        return false;
    }
    // On Windows the rename fails while another process has the database open
    // for a moment; such opens are short, so a few retries ride them out.
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::filesystem::rename(temp_, target_, ec);
        if (!ec) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    std::filesystem::remove(temp_, ec);
    return false;
}
