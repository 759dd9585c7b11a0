#include "discinfo/db_file.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "discinfo/database.h"

namespace {

namespace fs = std::filesystem;

bool fault_injected() { return db_write_fault_hook && !db_write_fault_hook(); }

bool seek(std::FILE* file, uint64_t offset) {
    // Offsets of the database are 32-bit signed; anything larger is not ours.
    if (offset > INT32_MAX) return false;
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

unsigned long own_process_id() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

bool process_running(unsigned long id) {
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;  // denied: it runs
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
#endif
}

// Data and metadata of an open file on the disk, not only in the system's cache.
bool sync_to_disk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Renames so that the new name is on the disk when it returns.
bool rename_through(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    const fs::path folder = to.has_parent_path() ? to.parent_path() : ".";
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir < 0) return true;  // renamed; only the extra flush was not possible
    fsync(dir);
    close(dir);
    return true;
#endif
}

std::string prefix_of_new_files(const fs::path& target) { return target.filename().string() + ".new-"; }

// NAME.new-PROCESS-TICKS-COUNT: the writing process, so a later writer can
// tell a file left by a killed one from one being written.
fs::path temp_beside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string name = prefix_of_new_files(target);
    name.append(std::to_string(own_process_id())).append("-");
    name.append(std::to_string(static_cast<unsigned long long>(ticks))).append("-");
    name.append(std::to_string(counter.fetch_add(1)));
    fs::path temp = target;
    temp.replace_filename(name);
    return temp;
}

// Removes the new files of writers that are gone. One untouched for a minute
// is also required, since a process id from another machine sharing the
// folder names nothing here.
void remove_stale_new_files(const fs::path& target) {
    const std::string prefix = prefix_of_new_files(target);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const auto now = fs::file_time_type::clock::now();
    std::vector<fs::path> stale;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) continue;
        char* end = nullptr;
        const unsigned long writer = std::strtoul(name.c_str() + prefix.size(), &end, 10);
        if (*end != '-' || writer == 0 || writer > INT32_MAX || writer == own_process_id() ||
            process_running(writer))
            continue;
        std::error_code time_ec;
        const auto written = fs::last_write_time(it->path(), time_ec);
        if (!time_ec && now - written > std::chrono::minutes(1)) stale.push_back(it->path());
    }
    for (const fs::path& path : stale) fs::remove(path, ec);
}

// NAME.damaged-YYYYMMDD-HHMMSS, with "-2", "-3", ... when that is taken.
// A hard link costs no space; where the file system has none, a copy.
fs::path keep_copy(const fs::path& target) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (int n = 1; n < 100; ++n) {
        std::string name = target.filename().string();
        name.append(".damaged-").append(stamp);
        if (n > 1) name.append("-").append(std::to_string(n));
        fs::path copy = target;
        copy.replace_filename(name);
        std::error_code ec;
        if (fs::exists(copy, ec) || ec) continue;
        fs::create_hard_link(target, copy, ec);
        if (!ec || fs::copy_file(target, copy, fs::copy_options::none, ec)) return copy;
    }
    return {};
}

}  // namespace

FileReader::FileReader(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return;  // a folder opens on some systems
    file_ = std::fopen(path.string().c_str(), "rb");
    if (!file_) return;
    const auto size = fs::file_size(path, ec);
    size_ = ec ? 0 : size;
}

void FileReader::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool FileReader::read_at(uint64_t offset, void* buffer, size_t count) {
    if (!file_ || offset > size_ || count > size_ - offset) return false;
    if (count == 0) return true;
    if (seek(file_, offset) && std::fread(buffer, 1, count, file_) == count) return true;
    failed_ = true;
    return false;
}

bool FileReader::read_string(uint64_t offset, uint64_t count, std::string& out) {
    if (!file_ || offset > size_ || count > size_ - offset) return false;
    out.resize(count);
    return read_at(offset, out.data(), count);
}

FileReplacement::FileReplacement(const fs::path& target) : target_(target), temp_(temp_beside(target)) {
    file_ = std::fopen(temp_.string().c_str(), "wb");
    if (file_) std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

FileReplacement::~FileReplacement() {
    if (file_) {
        std::fclose(file_);
        std::error_code ec;
        fs::remove(temp_, ec);
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

bool FileReplacement::commit(bool keep_old_copy) {
    if (!file_ || failed_) return false;
    // On the disk before the rename, so a power loss leaves the old file or all of the new one.
    const bool written = std::fflush(file_) == 0 && sync_to_disk(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    std::error_code ec;
    if (!written || !closed || fault_injected() || (keep_old_copy && (old_copy_ = keep_copy(target_)).empty())) {
        fs::remove(temp_, ec);
        return false;
    }
    // On Windows the rename fails while another process has the database open
    // for a moment; such opens are short, so a few retries ride them out.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (rename_through(temp_, target_)) {
            remove_stale_new_files(target_);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    fs::remove(temp_, ec);
    return false;
}
