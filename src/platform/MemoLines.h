#pragma once

#include <string>

class QPlainTextEdit;

namespace platform {

// The lines of a multi-line text box as a list. A line is a paragraph of the
// text, however the box wraps it on screen; a line break after the last line
// does not make a further, empty line.
class TMemoLines {
public:
    explicit TMemoLines(QPlainTextEdit& memo) : FMemo(memo) {}

    int Count() const;
    // The text of line index, without its line break (UTF-8).
    std::string Strings(int index) const;
    // Appends a line as the new last line, ended by a line break.
    void Add(const std::string& line);
    void Clear();

private:
    QPlainTextEdit& FMemo;
};

} // namespace platform
