#include "MainFormFixture.h"
#include "platform/OutputWatchdog.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <chrono>

namespace {

using namespace std::chrono_literals;
constexpr int kPort = 1;

// The window's tones against an output that renders at the real pace, so a
// tone is still sounding when the output dies or the program exits.
class WindowAudioFaultTest : public MainFormFixture {
protected:
    void SetUp() override {
        MainFormFixture::SetUp();
        Capture.SetRealTime(true);
    }

    bool AwaitTonesRunning(int running) {
        return ProcessEventsUntil([&] { return TWaveOutTh::Running() <= running; });
    }
    void AwaitVoices(std::size_t voices) {
        ProcessEventsUntil([&] { return Capture.Voices().size() >= voices; });
    }
};

TEST_F(WindowAudioFaultTest, OutputDyingMidToneEndsTheToneAndTheWindowCarriesOn) {
    platform::OutputWatchdog watchdog(
        Audio, [this] { return Capture.Running(); }, 200ms, 10ms);
    TMainForm& form = CreateForm();
    form.edText->setPlainText("0\t1\n60000\t0\n");
    form.miPlay->trigger(); // a minute-long tone starts at once
    AwaitVoices(1);
    ASSERT_EQ(TWaveOutTh::Running(), 1);

    Capture.Fail();
    ASSERT_TRUE(AwaitTonesRunning(0)) << "the tone waits for a dead output";
    EXPECT_EQ(form.lbStatus->text(), "Playing") << "playback goes on, silent";
    EXPECT_EQ(Timers.pendingDelays(), std::vector<std::uint32_t>{60000});

    // Recording still logs every change; the monitor's tone is silent and ends at key-up.
    form.edText->clear();
    form.btnOpenPort->click();
    Key(kPort, true);
    Key(kPort, false);
    ASSERT_TRUE(AwaitTonesRunning(0));
    EXPECT_EQ(form.Lines().Count(), 2);
    EXPECT_EQ(Capture.Voices().size(), 1u) << "later tones get no voice";
    form.miClosePort->trigger();
    EXPECT_EQ(form.lbStatus->text(), "Not opened");
}

// Exit while a minute-long tone plays, the monitor's tone sounds, a playback
// step is pending and a recording runs: everything ends promptly, the way
// the program's own exit does it.
TEST_F(WindowAudioFaultTest, ExitWithTonesAndTimersInFlightEndsPromptly) {
    TMainForm& form = CreateForm();
    form.edText->setPlainText("0\t1\n60000\t0\n");
    form.miPlay->trigger();
    form.btnOpenPort->click(); // records while the playback goes on
    Key(kPort, true);
    AwaitVoices(2);
    ASSERT_EQ(TWaveOutTh::Running(), 2);
    ASSERT_FALSE(Timers.pendingDelays().empty());

    const auto began = std::chrono::steady_clock::now();
    form.miExit->trigger();
    Form.reset();
    TWaveOutTh::EndAll(Capture, Audio);
    const auto took = std::chrono::steady_clock::now() - began;

    EXPECT_LT(took, 5s) << "exit waited for the tones to play out";
    EXPECT_EQ(TWaveOutTh::Running(), 0);
    EXPECT_TRUE(Timers.pendingDelays().empty());
    EXPECT_EQ(Timers.heldPeriods(), 0);
    EXPECT_EQ(Serial.OpenLines(kPort), 0);
    EXPECT_TRUE(Dir.Exists("Tappolog.ini"));
}

} // namespace
