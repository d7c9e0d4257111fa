#include "MainFormFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <set>
#include <string>
#include <vector>

namespace {

class PlaybackTest : public MainFormFixture {
protected:
    void ExpectIdle(TMainForm& form) {
        EXPECT_EQ(form.lbStatus->text(), "Not opened");
        EXPECT_TRUE(form.miOpenPort->isEnabled());
        EXPECT_TRUE(form.cbRealtimeMonitor->isEnabled());
        EXPECT_TRUE(Timers.pendingDelays().empty());
        EXPECT_EQ(Timers.heldPeriods(), 0);
    }
};

TEST_F(PlaybackTest, SampleLogPlaysAsTheWorkedExample) {
    TMainForm& form = CreateForm();
    Press(form.edText, Qt::Key_F2);
    EXPECT_EQ(form.lbStatus->text(), "Playing");
    EXPECT_FALSE(form.miOpenPort->isEnabled());
    EXPECT_FALSE(form.cbRealtimeMonitor->isEnabled());
    EXPECT_EQ(Timers.heldPeriods(), 1);
    EXPECT_EQ(Timers.pendingDelays(), std::vector<std::uint32_t>{501});

    // Each step: the wait it was set for, and the timer it sets next.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> steps = {
        {501, 51}, {51, 50},  {50, 50}, {50, 50},  {50, 52},  {52, 50}, {50, 51},
        {51, 247}, {247, 50}, {50, 50}, {50, 153}, {153, 48}, {48, 52}};
    std::uint32_t at = 0;
    for (const auto& [wait, next] : steps) {
        Step(wait);
        at += wait;
        EXPECT_EQ(Timers.pendingDelays(), std::vector<std::uint32_t>{next}) << "step at " << at;
        EXPECT_EQ(form.lbStatus->text(), "Playing");
    }
    Step(52); // 1455 ms: the last line is due and the walk passes the end
    ExpectIdle(form);
    EXPECT_EQ(TonesPlayed(), (std::multiset<std::size_t>{
                                 ToneSamples(51), ToneSamples(50), ToneSamples(52), ToneSamples(51),
                                 ToneSamples(50), ToneSamples(153), ToneSamples(52)}));
}

struct LogCase {
    const char* name;
    const char* log;
    std::vector<std::uint32_t> firstTimers; // pending right after Play
    std::multiset<std::size_t> tones;       // every tone, once playback has ended
};

class PlaybackLogTest : public PlaybackTest, public ::testing::WithParamInterface<LogCase> {};

TEST_P(PlaybackLogTest, PlaysTheLogAndEnds) {
    const LogCase& c = GetParam();
    TMainForm& form = CreateForm();
    form.edText->setPlainText(QString::fromLatin1(c.log));
    form.miPlay->trigger();
    EXPECT_EQ(Timers.pendingDelays(), c.firstTimers);
    for (int i = 0; i < 10 && !Timers.pendingDelays().empty(); ++i)
        Step(Timers.pendingDelays().front());
    ExpectIdle(form);
    EXPECT_EQ(TonesPlayed(), c.tones);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, PlaybackLogTest,
    ::testing::Values(
        LogCase{"Empty", "", {}, {}}, LogCase{"AllLinesDueAtOnce", "0\t1\n-5\t0\n", {}, {}},
        LogCase{"NoLineInTheFormat", "remark\n501 1\n", {}, {}},
        LogCase{"LastLineKeyDownSoundsNothing", "0\t0\n100\t1\n", {100}, {}},
        LogCase{"FirstLineDownAtZeroSoundsAtOnce", "0\t1\n60\t0\n", {60}, {ToneSamples(60)}},
        LogCase{"BlankLineSilencesItsInterval",
                "0\t1\n\n100\t0\n200\t1\n260\t0\n",
                {100},
                {ToneSamples(60)}},
        LogCase{"TwoDownLinesGiveTwoTones",
                "0\t1\n40\t1\n100\t0\n",
                {40},
                {ToneSamples(40), ToneSamples(60)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaybackTest, ClockWrappingDuringPlaybackChangesNothing) {
    Timers.set(0xFFFFFFF0u);
    TMainForm& form = CreateForm();
    form.edText->setPlainText("10\t1\n60\t0\n");
    form.miPlay->trigger();
    Step(10); // the clock wraps here
    EXPECT_EQ(Timers.pendingDelays(), std::vector<std::uint32_t>{50});
    Step(50);
    ExpectIdle(form);
    EXPECT_EQ(TonesPlayed(), std::multiset<std::size_t>{ToneSamples(50)});
}

TEST_F(PlaybackTest, RestartDropsThePendingStepOfTheEarlierRun) {
    TMainForm& form = CreateForm();
    form.miPlay->trigger();
    Step(501);
    form.btnPlay->click();
    EXPECT_EQ(Timers.pendingDelays(), std::vector<std::uint32_t>{501}) << "one chain only";
    EXPECT_EQ(Timers.heldPeriods(), 1);
    EXPECT_EQ(form.lbStatus->text(), "Playing");

    // A step already posted when Play restarts is passed over too.
    Timers.advance(501); // fires and posts, not yet delivered
    form.miPlay->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(Timers.pendingDelays(), std::vector<std::uint32_t>{501});
}

TEST_F(PlaybackTest, StopDuringAToneLetsItEndAndStartsNoOther) {
    TMainForm& form = CreateForm();
    form.miPlay->trigger();
    Step(501); // a 51 ms tone starts
    Press(form.edText, Qt::Key_F4);
    ExpectIdle(form);
    EXPECT_EQ(TonesPlayed(), std::multiset<std::size_t>{ToneSamples(51)});
}

TEST_F(PlaybackTest, DeleteAllEndsPlaybackAtTheNextStep) {
    TMainForm& form = CreateForm();
    form.miPlay->trigger();
    Press(form.edText, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(form.lbStatus->text(), "Playing");
    Step(501);
    ExpectIdle(form);
}

TEST_F(PlaybackTest, PlayWhileRecordingEndsTheRecordingFirst) {
    TMainForm& form = CreateForm();
    Press(form.edText, Qt::Key_F5);
    ASSERT_EQ(form.lbStatus->text(), "Recording");
    Press(form.edText, Qt::Key_F2);
    EXPECT_EQ(Serial.OpenLines(1), 0) << "the port is closed";
    EXPECT_EQ(form.lbStatus->text(), "Playing");
    EXPECT_EQ(Timers.heldPeriods(), 1);
}

TEST_F(PlaybackTest, OpenButtonStillRecordsDuringPlayback) {
    TMainForm& form = CreateForm();
    form.miPlay->trigger();
    Press(form.edText, Qt::Key_F5); // the menu item is disabled: nothing
    EXPECT_EQ(Serial.OpenLines(1), 0);
    form.btnOpenPort->click();
    EXPECT_EQ(Serial.OpenLines(1), 1);
    EXPECT_EQ(form.lbStatus->text(), "Recording");
    EXPECT_EQ(Timers.pendingDelays(), std::vector<std::uint32_t>{501}) << "playback goes on";
    EXPECT_EQ(Timers.heldPeriods(), 2);
    form.miClosePort->trigger();
    ExpectIdle(form);
}

TEST_F(PlaybackTest, WindowGoingAwayTakesItsPendingStepAlong) {
    TMainForm& form = CreateForm();
    form.miPlay->trigger();
    ASSERT_FALSE(Timers.pendingDelays().empty());
    DestroyForm();
    EXPECT_TRUE(Timers.pendingDelays().empty());
    EXPECT_EQ(Timers.heldPeriods(), 0);
}

} // namespace
