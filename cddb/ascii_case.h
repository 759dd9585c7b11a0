#pragma once
// Case changes of protocol words (categories, protocols, mail extensions),
// byte by byte as the C locale sees them.
#include <cctype>
#include <string>
#include <string_view>

inline std::string recased(std::string_view text, int (*to)(int)) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(to(static_cast<unsigned char>(c)));
    return result;
}
inline std::string lower(std::string_view text) { return recased(text, std::tolower); }
inline std::string upper(std::string_view text) { return recased(text, std::toupper); }
inline bool equal_ignoring_case(std::string_view a, std::string_view b) { return lower(a) == lower(b); }
