#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace csv::detail {

// The NFC form of UTF-8 text, so that canonically equivalent texts compare equal; nothing for
// text that is not well-formed UTF-8.
std::optional<std::string> canonicalForm(std::string_view text);

} // namespace csv::detail
