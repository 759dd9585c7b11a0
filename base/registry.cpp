#include "base/registry.h"

#include <vector>

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

void RegKey::close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

std::optional<int32_t> RegKey::read_dword(const char* name) const {
    if (!key_) return std::nullopt;
    int32_t value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<DWORD> RegKey::value_type(const char* name) const {
    DWORD type = 0;
    if (!key_ || RegQueryValueExA(key_, name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) return std::nullopt;
    return type;
}

void RegKey::write_dword(const char* name, int32_t value) const {
    if (key_) RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

std::optional<std::string> RegKey::read_string(const char* name, size_t buffer_size) const {
    if (!key_ || buffer_size == 0) return std::nullopt;
    std::vector<char> buffer(buffer_size, '\0');
    DWORD size = static_cast<DWORD>(buffer_size);
    if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    buffer.back() = '\0';
    return std::string(buffer.data());
}

void RegKey::write_string(const char* name, const std::string& value) const {
    if (key_)
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                       static_cast<DWORD>(value.size()));
}

RegKey OpenKey(HKEY parent, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return RegKey{};
    return RegKey{key};
}

SoftwareSubkey CreateSoftwareSubkey(const char* subkey) {
    SoftwareSubkey result;
    result.software = OpenKey(HKEY_CURRENT_USER, "Software");
    if (!result.software) return result;
    HKEY key = nullptr;
    DWORD disposition = 0;
    char empty_class[] = "";
    if (RegCreateKeyExA(result.software.get(), subkey, 0, empty_class, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) == ERROR_SUCCESS) {
        result.key = RegKey{key};
        result.created = disposition == REG_CREATED_NEW_KEY;
    }
    return result;
}
