#include "discinfo/db_file.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <optional>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "discinfo/database.h"

namespace {

namespace fs = std::filesystem;

bool fault_injected() { return db_write_fault_hook && !db_write_fault_hook(); }

// An index may lie past 2 GiB: texts start below it, their index records need not.
bool seek(std::FILE* file, uint64_t offset) {
    if (offset > INT64_MAX) return false;
#ifdef _WIN32
    return _fseeki64(file, static_cast<int64_t>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

unsigned long own_process_id() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

std::optional<FileIdentity> identity_of(std::FILE* file) {
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), &info))
        return std::nullopt;
    const auto wide = [](DWORD high, DWORD low) { return uint64_t{high} << 32 | low; };
    return FileIdentity{info.dwVolumeSerialNumber, wide(info.nFileIndexHigh, info.nFileIndexLow),
                        wide(info.nFileSizeHigh, info.nFileSizeLow),
                        wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
#else
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                        static_cast<uint64_t>(info.st_size),
                        static_cast<uint64_t>(info.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(info.st_mtim.tv_nsec)};
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

// NAME.new-PROCESS-TICKS-COUNT: a name no other writer uses, which tells a
// person what wrote it.
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

// Removes the new files of killed writers. Every writer holds the lock while
// its new file exists, so under the lock any other is a leftover, whatever
// process (ids are reused) its name holds. One untouched for a minute is also
// required, for a writer that cannot see the lock (another machine sharing
// the folder through a file system without locks).
void remove_stale_new_files(const fs::path& target) {
    const std::string prefix = prefix_of_new_files(target);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const auto now = fs::file_time_type::clock::now();
    std::vector<fs::path> stale;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (!it->path().filename().string().starts_with(prefix)) continue;
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

#ifdef _WIN32
// Another process's rename over the file holds it for a moment, and Windows
// refuses an open meanwhile: a reader asks again. It shares deletion, so a
// writer may rename over a file being read.
std::FILE* open_for_reading(const fs::path& path) {
    for (int attempt = 0;; ++attempt) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
            if (descriptor < 0) {
                CloseHandle(file);
                return nullptr;
            }
            std::FILE* stream = _fdopen(descriptor, "rb");
            if (!stream) _close(descriptor);
            return stream;
        }
        const DWORD error = GetLastError();
        std::error_code ec;
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || fs::is_directory(path, ec) ||
            attempt == 40)
            return nullptr;
        Sleep(25);
    }
}
#else
std::FILE* open_for_reading(const fs::path& path) { return std::fopen(path.c_str(), "rb"); }
#endif

}  // namespace

FileReader::FileReader(const fs::path& path) {
    file_ = open_for_reading(path);
    if (!file_) return;
    // The size of the file opened, which the path may no longer name; a folder opens on some systems.
    const auto identity = identity_of(file_);
    if (!identity) {
        close();
        return;
    }
    identity_ = *identity;
    size_ = identity_.size;
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

fs::path followed(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path target = fs::canonical(path, ec);
    return ec ? path : target;
}

WriterLock::WriterLock(const fs::path& target, std::chrono::milliseconds wait) {
    static std::timed_mutex one_writer_here;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    turn_ = std::unique_lock(one_writer_here, deadline);
    if (!turn_) return;
    const auto poll = [&](auto try_lock) {
        while (!try_lock()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    };
    fs::path name = target;
    name += ".lock";
    // The first byte, locked for this open of the file: the lock Wine takes
    // for LockFileEx, so the player under Wine and a native brd-db take turns too.
#ifdef _WIN32
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE && poll([&] {
            OVERLAPPED first_byte{};
            return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &first_byte) != 0;
        })) {
        lock_file_ = file;
        return;
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
#else
    const int file = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (file >= 0 && poll([&] {
            struct flock first_byte{};
            first_byte.l_type = F_WRLCK;
            first_byte.l_whence = SEEK_SET;
            first_byte.l_len = 1;
            return fcntl(file, F_OFD_SETLK, &first_byte) == 0;
        })) {
        lock_file_ = file;
        return;
    }
    if (file >= 0) close(file);
#endif
    turn_.unlock();
}

WriterLock::~WriterLock() {
    // Closing the lock file releases its lock.
#ifdef _WIN32
    if (lock_file_) CloseHandle(lock_file_);
#else
    if (lock_file_ >= 0) close(lock_file_);
#endif
}

bool WriterLock::held() const { return turn_.owns_lock(); }

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

bool FileReplacement::write_start(const void* data, size_t count) {
    if (file_ && !failed_ && std::fflush(file_) == 0 && seek(file_, 0) && write(data, count) &&
        std::fseek(file_, 0, SEEK_END) == 0)
        return true;
    failed_ = true;
    return false;
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
