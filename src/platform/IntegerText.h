#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// Reads a whole text as a 32-bit signed integer: decimal with an optional sign,
// or hexadecimal after "$" or "0x". Hexadecimal takes any 32-bit pattern
// ("$FFFFFFFF" is -1); decimal must lie within the signed range. Anything else,
// including an empty text or trailing characters, gives no value.
std::optional<std::int32_t> ParseInteger(std::string_view text);

} // namespace platform
