#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The INI text format as the settings file uses it: "[section]" header lines,
// "key=value" lines, names matched without regard to ASCII case, the first of
// duplicate sections or keys winning. Every byte the program does not change
// is kept as it was, comments and unknown lines included.

// The value of section/key, blanks around it and one pair of enclosing quotes
// removed; nothing when the section or key is missing.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// The text with section/key set to value: the key's line replaced in place,
// or the key added at the end of its section, or the section added at the end.
std::string SetProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value);

} // namespace platform
