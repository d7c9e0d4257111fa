// What pasting big logs costs the real window: a million lines, and a line
// of one endless word, each pasted through the clipboard and laid out; then
// one recorded line appended after them.
//
// bench_paste_cost
#include "KeyingLog.h"
#include "WindowBench.h"
#include "platform/SteadyClock.h"

#include <QClipboard>
#include <QPlainTextEdit>

#include <cstdio>
#include <string>

namespace {

double PasteMs(TMainForm& form, const QString& text) {
    form.edText->clear();
    QApplication::clipboard()->setText(text);
    const std::int64_t began = platform::SteadyNowNs();
    form.edText->paste();
    QCoreApplication::processEvents(); // the layout and paint that follow
    return (platform::SteadyNowNs() - began) / 1e6;
}

double AppendMs(TMainForm& form) {
    const std::int64_t began = platform::SteadyNowNs();
    form.Lines().Add(FormatLogLine(0, 1));
    QCoreApplication::processEvents();
    return (platform::SteadyNowNs() - began) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    WindowBench bench(argc, argv);
    TMainForm& form = bench.Window();
    form.show();

    std::string log;
    for (int i = 0; i < 1'000'000; ++i)
        log += FormatLogLine(i * 10, i % 2 == 0 ? 1 : 0) + "\n";
    // Each paste is timed before its append: argument order is unspecified.
    const double millionPaste = PasteMs(form, QString::fromStdString(log));
    const double millionAppend = AppendMs(form);
    std::printf("a million lines (%zu bytes): paste %.0f ms, append one line %.2f ms\n", log.size(),
                millionPaste, millionAppend);
    for (int length : {16 * 1024, 128 * 1024, 1024 * 1024}) {
        const QString word(length, QLatin1Char('x'));
        const double paste = PasteMs(form, QStringLiteral("0\t1\n") + word + QStringLiteral("\n"));
        const double append = AppendMs(form);
        std::printf("a line of one %d-character word: paste %.0f ms, append one line %.2f ms\n",
                    length, paste, append);
    }
    return 0;
}
