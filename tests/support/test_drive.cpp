#include "support/test_drive.h"

#include "base/owned_handles.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// The mount manager's Wine extension that winecfg uses to define drives.
struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

std::string unix_path_of(const std::string& windows_path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto to_unix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    const std::wstring w(windows_path.begin(), windows_path.end());
    char* unix = to_unix ? to_unix(w.c_str()) : nullptr;
    if (!unix) return {};
    std::string out = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

// Maps `letter` to a host folder as a CD-ROM drive, or removes the letter
// when unix_folder is empty.
bool define_drive(char letter, const std::string& unix_folder) {
    std::vector<char> buffer(sizeof(UnixDrive) + unix_folder.size() + 1, 0);
    auto* d = reinterpret_cast<UnixDrive*>(buffer.data());
    d->size = static_cast<ULONG>(buffer.size());
    d->letter = static_cast<WCHAR>(letter | 0x20);
    d->type = unix_folder.empty() ? DRIVE_NO_ROOT_DIR : DRIVE_CDROM;
    if (!unix_folder.empty()) {
        d->mount_point_offset = sizeof(UnixDrive);
        std::copy(unix_folder.begin(), unix_folder.end(), buffer.begin() + sizeof(UnixDrive));
    }
    HANDLE mgr = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (mgr == INVALID_HANDLE_VALUE) return false;
    const OwnedHandle manager{mgr};
    DWORD got = 0;
    return DeviceIoControl(manager.get(), kDefineUnixDrive, buffer.data(), d->size, nullptr, 0, &got, nullptr);
}

// Removes the folder's files, or only those with these extensions.
void remove_files(const std::string& folder, std::vector<std::string> extensions = {}) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string ext = entry.path().extension().string();
        if (extensions.empty() || std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
            std::filesystem::remove(entry.path(), error);
    }
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A file of `bytes` with one byte written at its very end: the host file
// system leaves the rest sparse.
bool write_sparse(const std::string& path, LONGLONG bytes) {
    HANDLE created = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (created == INVALID_HANDLE_VALUE) return false;
    const OwnedHandle file{created};
    LARGE_INTEGER last{};
    last.QuadPart = bytes - 1;
    DWORD written = 0;
    return SetFilePointerEx(file.get(), last, nullptr, FILE_BEGIN) &&
           WriteFile(file.get(), "", 1, &written, nullptr) && written == 1;
}

}  // namespace

TestDrive::TestDrive(char letter) : letter_(letter) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "brd-vdrive-" + letter;
    CreateDirectoryA(folder_.c_str(), nullptr);
    remove_files(folder_);
    const std::string unix = unix_path_of(folder_);
    EXPECT_FALSE(unix.empty()) << "not running under Wine";
    EXPECT_TRUE(define_drive(letter, unix)) << "cannot define drive " << letter;
    EXPECT_EQ(GetDriveTypeA(element().append("\\").c_str()), static_cast<UINT>(DRIVE_CDROM));
}

TestDrive::~TestDrive() {
    if (GetEnvironmentVariableA("BRD_KEEP_DRIVE", nullptr, 0)) return;  // to look at after a failure
    remove_files(folder_);
    define_drive(letter_, {});
}

void TestDrive::insert_cue(const std::string& cue, const std::string& bin_name, int32_t bin_frames) {
    remove_disc();
    ASSERT_TRUE(write_sparse(path(bin_name), static_cast<LONGLONG>(bin_frames) * 2352));
    write_file(path("disc.cue"), cue);
    write_state("tray=closed\nmode=stopped\nposition=0\n");
}

void TestDrive::insert(const std::vector<TestTrack>& tracks, int32_t lead_out) {
    std::string cue = "FILE \"disc.bin\" BINARY\n";
    for (size_t i = 0; i < tracks.size(); ++i) {
        const int32_t f = tracks[i].start - 150;
        char line[80];
        std::snprintf(line, sizeof line, "  TRACK %02zu %s\n    INDEX 01 %02d:%02d:%02d\n", i + 1,
                      tracks[i].audio ? "AUDIO" : "MODE1/2352", f / 4500, f / 75 % 60, f % 75);
        cue += line;
    }
    insert_cue(cue, "disc.bin", lead_out - 150);
}

void TestDrive::remove_disc() { remove_files(folder_, {".cue", ".bin"}); }
void TestDrive::write_state(const std::string& text) const { write_file(path("brdvcd.state"), text); }
void TestDrive::enable_log() const { write_file(path("brdvcd.log"), ""); }

std::string TestDrive::log() const {
    std::ifstream in(path("brdvcd.log"), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> TestDrive::log_lines(const std::string& command) const {
    std::vector<std::string> lines;
    std::istringstream in(log());
    for (std::string line; std::getline(in, line);)
        if (line.find(" " + command + " ") != std::string::npos) lines.push_back(line);
    return lines;
}

std::vector<TestTrack> tracks_of_seconds(const std::vector<int32_t>& seconds, int32_t* lead_out) {
    std::vector<TestTrack> tracks;
    int32_t at = 150;
    for (int32_t s : seconds) {
        tracks.push_back({at});
        at += s * 75;
    }
    *lead_out = at;
    return tracks;
}

DWORD run_this_program(const std::string& gtest_filter, const char* variable, const char* value) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command = std::string("\"") + exe + "\" --gtest_filter=" + gtest_filter;
    SetEnvironmentVariableA(variable, value);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(variable, nullptr);
    if (!started) return static_cast<DWORD>(-1);
    const OwnedHandle process{pi.hProcess};
    const OwnedHandle thread{pi.hThread};
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
    return code;
}
