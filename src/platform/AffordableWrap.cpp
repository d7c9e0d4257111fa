#include "AffordableWrap.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

namespace platform {

namespace {

// Far longer than any word a box this wide shows on one line; well short of
// where the search for a word's end starts to cost visible time.
constexpr int kLongestWord = 2000;

bool HoldsLongWord(const QString& text) {
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestWord)
            return true;
    }
    return false;
}

} // namespace

void KeepWordWrapAffordable(QPlainTextEdit& memo) {
    // Runs before the box lays out the changed text, so a long word is never
    // laid out with the costly wrap.
    QObject::connect(memo.document(), &QTextDocument::contentsChange, &memo,
                     [&memo](int position, int, int added) {
                         const QTextDocument& document = *memo.document();
                         if (document.isEmpty()) {
                             memo.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
                             return;
                         }
                         if (memo.wordWrapMode() == QTextOption::WrapAnywhere)
                             return;
                         for (QTextBlock block = document.findBlock(position);
                              block.isValid() && block.position() <= position + added;
                              block = block.next()) {
                             if (block.length() > kLongestWord && HoldsLongWord(block.text())) {
                                 memo.setWordWrapMode(QTextOption::WrapAnywhere);
                                 return;
                             }
                         }
                     });
}

} // namespace platform
