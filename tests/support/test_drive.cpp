#include "support/test_drive.h"

#include "base/owned_handles.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// The mount manager's Wine extension that winecfg uses to define drives.
struct UnixDrive {
    ULONG size, type, fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset, device_offset, label_offset;
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
    if (!unix_folder.empty()) d->mount_point_offset = sizeof(UnixDrive);
    unix_folder.copy(buffer.data() + sizeof(UnixDrive), unix_folder.size());
    const OwnedHandle manager{CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)};
    DWORD got = 0;
    return DeviceIoControl(manager.get(), kDefineUnixDrive, buffer.data(), d->size, nullptr, 0, &got, nullptr);
}

}  // namespace

TestDrive::TestDrive(char letter) : letter_(letter) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "brd-vdrive-" + letter;
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
    std::filesystem::create_directory(folder_, error);
    const std::string unix = unix_path_of(folder_);
    EXPECT_FALSE(unix.empty()) << "not running under Wine";
    EXPECT_TRUE(define_drive(letter, unix)) << "cannot define drive " << letter;
    EXPECT_EQ(GetDriveTypeA(element().append("\\").c_str()), static_cast<UINT>(DRIVE_CDROM));
}

TestDrive::~TestDrive() {
    if (GetEnvironmentVariableA("BRD_KEEP_DRIVE", nullptr, 0)) return;  // to look at after a failure
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
    define_drive(letter_, {});
}

void TestDrive::insert_cue(const std::string& cue, int32_t bin_frames) {
    remove_disc();
    // One byte at the very end: the host file system leaves the rest sparse.
    const OwnedHandle bin{CreateFileA(path("disc.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
    LARGE_INTEGER last{};
    last.QuadPart = static_cast<LONGLONG>(bin_frames) * 2352 - 1;
    DWORD written = 0;
    ASSERT_TRUE(SetFilePointerEx(bin.get(), last, nullptr, FILE_BEGIN) && WriteFile(bin.get(), "", 1, &written, nullptr));
    put("disc.cue", cue);
    put("brdvcd.state", "tray=closed\nmode=stopped\nposition=0\n");
}

void TestDrive::insert(const std::vector<int32_t>& starts, int32_t lead_out, bool last_is_data) {
    std::string cue = "FILE \"disc.bin\" BINARY\n";
    for (size_t i = 0; i < starts.size(); ++i) {
        const int32_t f = starts[i] - 150;
        char line[80];
        std::snprintf(line, sizeof line, "  TRACK %02zu %s\n    INDEX 01 %02d:%02d:%02d\n", i + 1,
                      last_is_data && i + 1 == starts.size() ? "MODE1/2352" : "AUDIO", f / 4500, f / 75 % 60, f % 75);
        cue += line;
    }
    insert_cue(cue, lead_out - 150);
}

void TestDrive::insert_seconds(const std::vector<int32_t>& seconds, bool last_is_data) {
    std::vector<int32_t> starts;
    int32_t at = 150;
    for (int32_t s : seconds) starts.push_back(at), at += s * 75;
    insert(starts, at, last_is_data);
}

void TestDrive::remove_disc() const {
    DeleteFileA(path("disc.cue").c_str());
    DeleteFileA(path("disc.bin").c_str());
}

void TestDrive::put(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary | std::ios::trunc) << bytes;
}

std::string TestDrive::contents(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> TestDrive::log_lines(const std::string& command) const {
    std::vector<std::string> lines;
    std::istringstream in(log());
    for (std::string line; std::getline(in, line);)
        if (line.find(" " + command + " ") != std::string::npos) lines.push_back(line);
    return lines;
}
