#pragma once

#include <optional>
#include <string>

namespace platform {

// The whole content of a file; nothing when it does not exist.
// Throws std::system_error when it exists but cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file's content so that a reader sees either the old text or the
// new one, never a part: a new file beside it, renamed over it. An existing
// file keeps its mode; a symbolic link keeps pointing at the file it named.
// Throws std::system_error when any step fails; the old file is then untouched.
void ReplaceWholeFile(const std::string& path, const std::string& content);

} // namespace platform
