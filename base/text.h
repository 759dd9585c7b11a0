#pragma once
// A text of the program: absent and empty stay different.
#include <optional>
#include <string>

using Text = std::optional<std::string>;
