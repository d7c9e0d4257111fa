#include "KeyingLog.h"
#include "MainFormFixture.h"

#include <QAction>
#include <QClipboard>
#include <QPlainTextEdit>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kPort = 1;

// Logs as users paste them, through the clipboard into the window's editor.
class PastedLogTest : public MainFormFixture {
protected:
    void Paste(const QString& text) {
        Form->edText->clear();
        QApplication::clipboard()->setText(text);
        Form->edText->paste();
    }
    void PlayToTheEnd() {
        Form->miPlay->trigger();
        for (int i = 0; i < 100 && !Timers.pendingDelays().empty(); ++i)
            Step(Timers.pendingDelays().front());
        ASSERT_TRUE(Timers.pendingDelays().empty()) << "playback should have ended";
    }
    // Records one key-down and returns once its line is in the log.
    void RecordOneKeyDown() {
        Form->miOpenPort->trigger();
        Key(kPort, true);
        Form->miClosePort->trigger();
    }
};

struct PastedCase {
    const char* name;
    QString text;
    int lines;
};

// Every case is the same keying, 50 ms down, 50 ms up, 30 ms down, dressed
// differently.
const std::multiset<std::size_t> kTones = {ToneSamples(50), ToneSamples(30)};

QString Latin1(const char* text, std::size_t length) {
    return QString::fromLatin1(text, static_cast<qsizetype>(length));
}

class PastedLogCaseTest : public PastedLogTest, public ::testing::WithParamInterface<PastedCase> {};

TEST_P(PastedLogCaseTest, PlaysTheSameAndTakesNewLinesAfterIt) {
    const PastedCase& c = GetParam();
    TMainForm& form = CreateForm();
    Paste(c.text);
    ASSERT_EQ(form.Lines().Count(), c.lines);
    const std::string lastBefore = form.Lines().Strings(c.lines - 1);

    PlayToTheEnd();
    EXPECT_EQ(TonesPlayed(), kTones);

    // A recording appends its line as a line of its own, whatever the
    // pasted text ended with; the lines before it stay as they were.
    RecordOneKeyDown();
    ASSERT_EQ(form.Lines().Count(), c.lines + 1);
    EXPECT_EQ(form.Lines().Strings(c.lines - 1), lastBefore);
    EXPECT_EQ(form.Lines().Strings(c.lines), "0\t1");
}

const std::string kLongZeros(1 << 20, '0');
const std::string kLongRemark(1 << 20, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, PastedLogCaseTest,
    ::testing::Values(
        PastedCase{"LineFeeds", "0\t1\n50\t0\n100\t1\n130\t0\n", 4},
        PastedCase{"CarriageReturnLineFeeds", "0\t1\r\n50\t0\r\n100\t1\r\n130\t0\r\n", 4},
        PastedCase{"CarriageReturnsOnlyAndNoBreakAtTheEnd", "0\t1\r50\t0\r100\t1\r130\t0", 4},
        PastedCase{"MixedLineEnds", "0\t1\r\n50\t0\r100\t1\n130\t0", 4},
        // A line is read up to a NUL, as the reader takes a C string; the
        // NUL costs at most its own line, never its neighbours.
        PastedCase{"NulBytes", Latin1("0\t1\0 note\n50\t0\n7\0\t1\n100\t1\0\n130\t0\n", 33), 5},
        // Characters above 0x7F are text like any other, invalid UTF-8 included.
        PastedCase{"CharactersAbove7F",
                   QString::fromUtf8("0\t1\xc3\xa9\n50\t0\xc2\xa0\n\xe2\x80\x94 remark\n"
                                     "100\t1 \xf0\x9f\x94\x91\n130\t0\xff\n"),
                   5},
        PastedCase{"VeryLongLines",
                   QString::fromStdString("0\t1\n" + kLongZeros + "50\t0\n" + kLongRemark +
                                          "\n100\t1" + kLongRemark + "\n130\t0\n"),
                   5}),
    [](const auto& info) { return std::string(info.param.name); });

// A line of one endless word would take Qt's word-boundary wrap minutes to
// lay out; the box breaks such text anywhere instead, until it is emptied.
TEST_F(PastedLogTest, AnEndlessWordSwitchesToWrappingAnywhereUntilDeleteAll) {
    TMainForm& form = CreateForm();
    Paste("0\t1 a remark of ordinary words that wraps at word boundaries\n");
    EXPECT_EQ(form.edText->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    Paste(QString::fromStdString("0\t1\n" + kLongRemark + "\n50\t0\n"));
    EXPECT_EQ(form.edText->wordWrapMode(), QTextOption::WrapAnywhere);
    EXPECT_EQ(form.Lines().Count(), 3);
    form.miDeleteAll->trigger();
    EXPECT_EQ(form.edText->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}

TEST_F(PastedLogTest, AMillionLinesPlayFromWhereverTheClockIsAndTakeTheNextLine) {
    constexpr int kLines = 1'000'000;
    std::string log;
    log.reserve(kLines * 11);
    for (int i = 0; i < kLines; ++i)
        log += FormatLogLine(i * 10, i % 2 == 0 ? 1 : 0) + "\n";
    TMainForm& form = CreateForm();
    Paste(QString::fromStdString(log));
    ASSERT_EQ(form.Lines().Count(), kLines);
    EXPECT_EQ(form.Lines().Strings(kLines - 1), "9999990\t0");

    form.miPlay->trigger();
    EXPECT_EQ(Timers.pendingDelays(), std::vector<std::uint32_t>{10});
    // Half way in one step: the walk passes half a million due lines and
    // sounds what is left of the key-down interval it lands in.
    Step(5'000'005);
    EXPECT_EQ(Timers.pendingDelays(), std::vector<std::uint32_t>{5});
    Step(5'000'000);
    EXPECT_TRUE(Timers.pendingDelays().empty());
    EXPECT_EQ(TonesPlayed(), (std::multiset<std::size_t>{ToneSamples(10), ToneSamples(5)}));

    RecordOneKeyDown();
    ASSERT_EQ(form.Lines().Count(), kLines + 1);
    EXPECT_EQ(form.Lines().Strings(kLines), "0\t1");
}

} // namespace
