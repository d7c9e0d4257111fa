#include "IniFile.h"

#include "Exception.h"
#include "FileText.h"
#include "IntegerText.h"
#include "ProfileText.h"

#include <system_error>

namespace platform {

std::optional<std::string> TIniFile::ReadValue(const std::string& Section,
                                               const std::string& Ident) const {
    std::optional<std::string> text;
    try {
        text = ReadWholeFile(FFileName);
    } catch (const std::system_error&) {
        // A file that cannot be read is treated like a missing one: defaults.
        return std::nullopt;
    }
    if (!text)
        return std::nullopt;
    return FindProfileValue(*text, Section, Ident);
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
    return ReadValue(Section, Ident).value_or(Default);
}

std::int32_t TIniFile::ReadInteger(const std::string& Section, const std::string& Ident,
                                   std::int32_t Default) const {
    const auto value = ReadValue(Section, Ident);
    if (!value)
        return Default;
    return ParseInteger(*value).value_or(Default);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
    try {
        // A file that exists but cannot be read is never overwritten: that
        // would lose whatever else it holds.
        const std::string text = ReadWholeFile(FFileName).value_or(std::string());
        ReplaceWholeFile(FFileName, SetProfileValue(text, Section, Ident, Value));
    } catch (const std::system_error& error) {
        throw EIniFileException("Unable to write to " + FFileName + " (" + error.code().message() +
                                ")");
    }
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident,
                            std::int32_t Value) {
    WriteString(Section, Ident, std::to_string(Value));
}

} // namespace platform
