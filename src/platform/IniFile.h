#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A settings file in INI format. It keeps nothing open and caches nothing:
// every read and every write goes to the file, so the object may live for the
// whole run while the user edits the file in between.
class TIniFile {
public:
    explicit TIniFile(std::string FileName) : FFileName(std::move(FileName)) {}

    const std::string& FileName() const { return FFileName; }

    // The value as text; Default when the file, the section or the key is missing.
    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) const;
    // The value as a 32-bit integer (see ParseInteger); Default when it is
    // missing or not such a number.
    std::int32_t ReadInteger(const std::string& Section, const std::string& Ident,
                             std::int32_t Default) const;

    // Writes one key, creating the file and the section as needed. Throws
    // EIniFileException naming the file when the file cannot be written.
    void WriteString(const std::string& Section, const std::string& Ident,
                     const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Ident, std::int32_t Value);

private:
    std::optional<std::string> ReadValue(const std::string& Section,
                                         const std::string& Ident) const;

    std::string FFileName;
};

} // namespace platform
