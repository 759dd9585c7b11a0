#pragma once
// Cuts a text into tokens the way the server list, the match list and the
// sites reply need: a token ends at the next of its separators, a run of
// separators counts as one and separators in front of a token are skipped.
#include <optional>
#include <string_view>

class Tokens {
    std::string_view rest_;

public:
    explicit Tokens(std::string_view text) : rest_(text) {}

    // The next token up to one of the separators (which is consumed), or
    // absent when only separators are left.
    std::optional<std::string_view> next(std::string_view separators) {
        const size_t start = rest_.find_first_not_of(separators);
        if (start == std::string_view::npos) {
            rest_ = {};
            return std::nullopt;
        }
        rest_.remove_prefix(start);
        const size_t end = rest_.find_first_of(separators);
        const std::string_view token = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return token;
    }
};
