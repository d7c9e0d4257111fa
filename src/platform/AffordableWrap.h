#pragma once

class QPlainTextEdit;

namespace platform {

// Keeps the word wrap of a text box affordable. To wrap at word boundaries
// Qt looks for the end of the word from every wrapped line, so a line that is
// one endless word (binary junk, a pasted megabyte without a space) costs
// time quadratic in its length: a 1 MiB word froze the window for minutes.
// Once the text holds such a word, the box breaks lines anywhere, which costs
// linear time; when the box is emptied it wraps at word boundaries again.
void KeepWordWrapAffordable(QPlainTextEdit& memo);

} // namespace platform
