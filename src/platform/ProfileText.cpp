#include "ProfileText.h"

#include <vector>

namespace platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

// One line of the file: where it starts, its content without the line end,
// and where the next line starts.
struct Line {
    std::size_t begin;
    std::string_view content;
    std::size_t end; // just past the line end, if any
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t newline = text.find('\n', pos);
        const std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        std::size_t contentEnd = newline == std::string_view::npos ? text.size() : newline;
        if (contentEnd > pos && text[contentEnd - 1] == '\r')
            --contentEnd;
        lines.push_back({pos, text.substr(pos, contentEnd - pos), next});
        pos = next;
    }
    return lines;
}

std::optional<std::string_view> SectionName(std::string_view content) {
    const std::string_view trimmed = Trim(content);
    if (trimmed.empty() || trimmed.front() != '[')
        return std::nullopt;
    std::string_view name = trimmed.substr(1);
    const std::size_t close = name.find(']');
    if (close != std::string_view::npos)
        name = name.substr(0, close);
    return Trim(name);
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> SplitKeyLine(std::string_view content) {
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{Trim(content.substr(0, equals)), Trim(content.substr(equals + 1))};
}

// The lines of the first section with this name: [first, last) indexes into
// lines, the header excluded; nothing when there is no such section.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(const std::vector<Line>& lines,
                                                               std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].content);
        if (!name || !SameName(*name, section))
            continue;
        std::size_t last = i + 1;
        while (last < lines.size() && !SectionName(lines[last].content))
            ++last;
        return std::make_pair(i + 1, last);
    }
    return std::nullopt;
}

std::string_view LineEndOf(std::string_view text) {
    const std::size_t newline = text.find('\n');
    if (newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r')
        return "\r\n";
    return "\n";
}

// Ends the text's last line before more is added after it. A last line that
// ends in a lone CR gets the LF that makes it a whole line end, so its value
// keeps no stray CR.
void EndLastLine(std::string& text, std::string_view lineEnd) {
    if (text.empty() || text.back() == '\n')
        return;
    text.append(text.back() == '\r' ? std::string_view("\n") : lineEnd);
}

} // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    const std::vector<Line> lines = SplitLines(text);
    const auto range = FindSection(lines, section);
    if (!range)
        return std::nullopt;
    for (std::size_t i = range->first; i < range->second; ++i) {
        const auto entry = SplitKeyLine(lines[i].content);
        if (!entry || !SameName(entry->key, key))
            continue;
        std::string_view value = entry->value;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

std::string SetProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value) {
    const std::string_view lineEnd = LineEndOf(text);
    const std::vector<Line> lines = SplitLines(text);
    const std::string keyLine = std::string(key) + "=" + std::string(value);

    std::string result;
    result.reserve(text.size() + keyLine.size() + section.size() + 8);
    const auto range = FindSection(lines, section);
    if (!range) {
        result.append(text);
        EndLastLine(result, lineEnd);
        result.append("[").append(section).append("]").append(lineEnd);
        result.append(keyLine).append(lineEnd);
        return result;
    }

    for (std::size_t i = range->first; i < range->second; ++i) {
        const auto entry = SplitKeyLine(lines[i].content);
        if (!entry || !SameName(entry->key, key))
            continue;
        // Keep the line's own spelling of the key and its line end.
        const Line& line = lines[i];
        result.append(text.substr(0, line.begin));
        result.append(entry->key).append("=").append(value);
        result.append(text.substr(line.begin + line.content.size()));
        return result;
    }

    // A new key goes after the section's last non-blank line, so blank lines
    // that separate it from the next section stay where they are.
    std::size_t after = range->first - 1; // the header
    for (std::size_t i = range->first; i < range->second; ++i) {
        if (!Trim(lines[i].content).empty())
            after = i;
    }
    const Line& anchor = lines[after];
    result.append(text.substr(0, anchor.end));
    EndLastLine(result, lineEnd);
    result.append(keyLine).append(lineEnd);
    result.append(text.substr(anchor.end));
    return result;
}

} // namespace platform
