#pragma once
// Registry access the way the program's settings need it: keys below
// HKEY_CURRENT_USER\Software, 4-byte numbers and bounded strings.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

inline constexpr char kSettingsKey[] = "Brindle\\Settings";
inline constexpr char kServersKey[] = "Brindle\\Servers";
inline constexpr char kSubmitKey[] = "Brindle\\Submit";

class RegKey {
    HKEY key_{};

public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    ~RegKey() { close(); }
    RegKey(RegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    void close();

    // Reads into a 4-byte buffer; the stored type is not checked.
    std::optional<int32_t> read_dword(const char* name) const;
    // The value's type (REG_DWORD, REG_SZ, ...), or absent when there is no such value.
    std::optional<DWORD> value_type(const char* name) const;
    void write_dword(const char* name, int32_t value) const;
    // Reads at most buffer_size - 1 characters, as into a zero-terminated buffer.
    std::optional<std::string> read_string(const char* name, size_t buffer_size) const;
    // Stored without its terminating zero.
    void write_string(const char* name, const std::string& value) const;
};

// Opens an existing key with KEY_ALL_ACCESS; empty when it cannot.
RegKey OpenKey(HKEY parent, const char* path);

// "Software" opened, and the subkey below it created or opened; the
// disposition tells whether it had to be created.
struct SoftwareSubkey {
    RegKey software;
    RegKey key;
    bool created = false;
};
SoftwareSubkey CreateSoftwareSubkey(const char* subkey);
