#include "vdrive/drive_folder.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/owned_handles.h"

namespace {

// CreateFile reports failure as INVALID_HANDLE_VALUE, the owners as null.
OwnedHandle file_handle(HANDLE h) { return OwnedHandle{h == INVALID_HANDLE_VALUE ? nullptr : h}; }

std::wstring widen(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

OwnedHandle open_for_reading(const std::wstring& path) {
    return file_handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The first `limit` bytes of a file, or all of it when `whole` and it is no larger.
std::optional<std::string> read_start(const std::wstring& path, DWORD limit, bool whole) {
    OwnedHandle f = open_for_reading(path);
    if (!f) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.get(), &size) || (whole && size.QuadPart > limit)) return std::nullopt;
    std::string text(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, limit)), '\0');
    DWORD got = 0;
    if (!text.empty() && !ReadFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
        return std::nullopt;
    text.resize(got);
    return text;
}

}  // namespace

DriveFolder::DriveFolder(char letter) : letter_(letter), root_{wchar_t(letter), L':', L'\\'} {}

std::wstring DriveFolder::path(const std::wstring& name) const { return root_ + name; }

std::wstring DriveFolder::image_path(const std::string& name) const { return path(widen(name)); }

OwnedHandle DriveFolder::open_image(const std::string& name) const { return open_for_reading(image_path(name)); }

DiscReading DriveFolder::read_disc() const {
    KeptDisc& kept = *kept_;
    const std::lock_guard held(kept.mutex);
    if (kept.files.empty() || stamps_of(kept.files) != kept.stamps) {
        std::vector<std::wstring> files;
        kept.reading = read_disc_from_files(files);
        kept.stamps = stamps_of(files);
        kept.files = std::move(files);
    }
    return kept.reading;
}

std::vector<DriveFolder::Stamp> DriveFolder::stamps_of(const std::vector<std::wstring>& files) {
    std::vector<Stamp> stamps;
    for (const std::wstring& file : files) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        Stamp& stamp = stamps.emplace_back();
        if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) continue;
        stamp.written = static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
        stamp.size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    }
    return stamps;
}

DiscReading DriveFolder::read_disc_from_files(std::vector<std::wstring>& files) const {
    files.push_back(root_);
    std::vector<std::wstring> sheets;
    WIN32_FIND_DATAW found{};
    if (HANDLE first = FindFirstFileW(path(L"*.cue").c_str(), &found); first != INVALID_HANDLE_VALUE) {
        const Owned<HANDLE, FindClose> search{first};
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) sheets.push_back(found.cFileName);
        } while (FindNextFileW(search.get(), &found));
    }
    if (sheets.empty()) return {std::nullopt, "no disc"};
    std::sort(sheets.begin(), sheets.end());
    files.push_back(path(sheets.front()));
    const std::optional<std::string> cue = read_start(files.back(), 1 << 20, true);
    if (!cue) return {std::nullopt, "cannot read the CUE sheet"};
    auto open_image = [this, &files](const std::string& name, size_t head_bytes) -> std::optional<ImageFile> {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const std::wstring file = files.emplace_back(image_path(name));
        if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return std::nullopt;
        ImageFile image{static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow, {}};
        if (head_bytes) image.head = read_start(file, static_cast<DWORD>(head_bytes), false).value_or("");
        return image;
    };
    return read_cue(*cue, open_image);
}

DriveState DriveFolder::read_state() const {
    // A file that is there but cannot be opened is being replaced right now:
    // reading a default state instead would stop a playing drive.
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::optional<std::string> text = read_start(path(widen(kStateFileName)), 4096, true);
        if (text) return parse_state(*text);
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) break;
        Sleep(2);
    }
    return DriveState{};
}

bool DriveFolder::write_state(const DriveState& s) const {
    const std::wstring temp = path(widen(kStateFileName) + L"." + std::to_wstring(GetCurrentProcessId()));
    const std::string text = format_state(s);
    {
        OwnedHandle f = file_handle(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
        if (!f) return false;
        DWORD written = 0;
        if (!WriteFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size())
            return false;
    }
    // Replacing a file that another thread or process is reading that very
    // moment is refused; the reader is done within a few milliseconds.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (MoveFileExW(temp.c_str(), path(widen(kStateFileName)).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        Sleep(2);
    }
    DeleteFileW(temp.c_str());
    return false;
}

// The lock is byte 0 of brdvcd.state.lock. Wine turns LockFileEx into a
// POSIX lock on the file, the one vdrivectl takes, but reports a native
// process's lock as a conflict at once instead of waiting for it.
DriveFolder::StateLock DriveFolder::lock_state() const {
    OwnedHandle file = file_handle(CreateFileW(path(widen(kStateLockFileName)).c_str(), GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    OVERLAPPED at{};
    while (file && !LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        // A folder or file system without locks has no other writer to wait for.
        if (GetLastError() != ERROR_LOCK_VIOLATION) return StateLock(OwnedHandle{});
        Sleep(1);
    }
    return StateLock(std::move(file));
}

DriveFolder::StateLock::~StateLock() {
    OVERLAPPED at{};
    if (file_) UnlockFileEx(file_.get(), 0, 1, 0, &at);
}

void DriveFolder::log(const std::string& line) const {
    OwnedHandle f = file_handle(CreateFileW(path(widen(kLogFileName)).c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (!f) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

OwnedHandle DriveFolder::open_capture() const {
    return file_handle(CreateFileW(path(widen(kCaptureFileName)).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
}

DriveFolder::Claim DriveFolder::claim(bool shareable, OwnedHandle& held) const {
    // File sharing modes do the bookkeeping: shareable opens share read
    // access with each other, an exclusive open shares nothing.
    HANDLE h = CreateFileW(path(widen(kLockFileName)).c_str(), GENERIC_READ, shareable ? FILE_SHARE_READ : 0,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        held.reset(h);
        return Claim::Taken;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? Claim::Refused : Claim::Taken;
}

int64_t wall_clock_ms() {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    const int64_t ticks = static_cast<int64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
    return ticks / 10000 - 11644473600000LL;  // 100 ns since 1601 to ms since 1970
}
