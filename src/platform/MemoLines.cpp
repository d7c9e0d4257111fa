#include "MemoLines.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace platform {

int TMemoLines::Count() const {
    const QTextDocument* document = FMemo.document();
    const int blocks = document->blockCount();
    // The document always holds one block; an empty last block is the text
    // after the final line break, not a line.
    return document->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

std::string TMemoLines::Strings(int index) const {
    if (index < 0 || index >= Count())
        return std::string();
    return FMemo.document()->findBlockByNumber(index).text().toStdString();
}

void TMemoLines::Add(const std::string& line) {
    QTextDocument* document = FMemo.document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    QString text = QString::fromStdString(line) + QLatin1Char('\n');
    if (document->lastBlock().length() > 1)
        text.prepend(QLatin1Char('\n')); // the last line had no line break yet
    cursor.insertText(text);
}

void TMemoLines::Clear() {
    FMemo.clear();
}

} // namespace platform
