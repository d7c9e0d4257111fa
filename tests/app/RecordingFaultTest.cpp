#include "MainFormFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

constexpr int kPort = 1;
constexpr int kStormChanges = 100'000;

struct LogLine {
    long time;
    int state;
};

LogLine ParseLine(const std::string& line) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab + 2 != line.size())
        return {-1, -1};
    return {std::strtol(line.c_str(), nullptr, 10), line[tab + 1] - '0'};
}

// Recording through the fake device while it misbehaves.
class RecordingFaultTest : public MainFormFixture {
protected:
    TMainForm& StartRecording(bool monitor) {
        TMainForm& form = CreateForm();
        form.edText->clear();
        form.cbRealtimeMonitor->setChecked(monitor);
        form.miOpenPort->trigger();
        EXPECT_EQ(form.lbStatus->text(), "Recording");
        return form;
    }

    // Runs the GUI thread's event loop until done() or a minute has passed,
    // counting how often a 5 ms timer got through meanwhile: the window
    // answering while the reports pour in.
    template <class Done> int RunEventsUntil(Done done) {
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(5);
        ProcessEventsUntil(done, std::chrono::minutes(1));
        return ticks;
    }

    // Every line well formed, times never decreasing; returns the states.
    std::string CheckedStates() {
        std::string states;
        long previous = 0;
        for (int i = 0; i < Form->Lines().Count(); ++i) {
            const LogLine line = ParseLine(Form->Lines().Strings(i));
            if (line.state < 0 || line.time < previous) {
                ADD_FAILURE() << "line " << i << ": " << Form->Lines().Strings(i);
                break;
            }
            previous = line.time;
            states += static_cast<char>('0' + line.state);
        }
        return states;
    }

    void ExpectStopped(TMainForm& form) {
        EXPECT_EQ(form.lbStatus->text(), "Not opened");
        EXPECT_EQ(Serial.OpenLines(kPort), 0);
        EXPECT_FALSE(Serial.Dtr(kPort));
        EXPECT_EQ(Timers.heldPeriods(), 0);
    }
};

// Each change is made as soon as the watcher has taken the one before: the
// fastest rate at which every change is its own report. Not one may be lost.
TEST_F(RecordingFaultTest, EveryChangeOfAStormIsLoggedInOrder) {
    TMainForm& form = StartRecording(false);
    std::atomic<bool> driven{false};
    std::thread driver([&] {
        for (int i = 0; i < kStormChanges; ++i) {
            Serial.AwaitChangesTaken(kPort);
            Timers.set(Timers.now() + (i % 3 == 0 ? 1 : 0)); // the clock moves on meanwhile
            Serial.SetDsr(kPort, i % 2 == 0);
        }
        driven.store(true);
    });
    const int ticks =
        RunEventsUntil([&] { return driven.load() && form.Lines().Count() >= kStormChanges; });
    driver.join();

    ASSERT_EQ(form.Lines().Count(), kStormChanges);
    std::string alternating;
    for (int i = 0; i < kStormChanges; ++i)
        alternating += i % 2 == 0 ? '1' : '0';
    EXPECT_TRUE(CheckedStates() == alternating) << "states out of order";
    EXPECT_EQ(ParseLine(form.Lines().Strings(0)).time, 0);
    EXPECT_EQ(ParseLine(form.Lines().Strings(kStormChanges - 1)).time, (kStormChanges - 1) / 3);
    EXPECT_GT(ticks, 0) << "the window's timers went unanswered during the storm";

    form.miClosePort->trigger();
    ExpectStopped(form);
}

// Changes as fast as the device can toggle, with the monitor sounding, and a
// Stop in the middle: quick changes between two waits are one report (the
// level read after them), but every report becomes exactly one line, the
// reports after the Stop included, and the Stop itself ends the watcher.
TEST_F(RecordingFaultTest, UnpacedStormWithMonitorLogsEveryReportAndStopsMidway) {
    TMainForm& form = StartRecording(true);
    Serial.AwaitWaiter(kPort);
    std::atomic<int> made{0};
    std::thread driver([&] {
        for (int i = 0; i < kStormChanges; ++i) {
            Serial.SetDsr(kPort, i % 2 == 0);
            made.store(i + 1);
        }
    });
    RunEventsUntil([&] { return made.load() >= kStormChanges / 2; });
    form.miClosePort->trigger();
    ExpectStopped(form);
    const int reports = Serial.Reports(kPort);
    driver.join();
    RunEventsUntil([&] { return !form.MessagesWaiting(); });

    EXPECT_GT(reports, 0);
    EXPECT_EQ(form.Lines().Count(), reports);
    EXPECT_EQ(CheckedStates().size(), static_cast<std::size_t>(reports));
    EXPECT_EQ(Serial.Reports(kPort), reports) << "nothing is reported after the Stop";
    TWaveOutTh::WaitForAll();
    // A closed voice is freed by the output's next render.
    RunEventsUntil([&] { return Audio.BusyVoices() == 0; });
    EXPECT_EQ(Audio.BusyVoices(), 0);
}

// The adapter is pulled out mid-recording: every wait and read fails from
// then on. The watcher backs off instead of spinning, the lines logged stay,
// and Stop and Exit work.
TEST_F(RecordingFaultTest, VanishedDeviceCostsNothingKeepsTheLogAndStops) {
    TMainForm& form = StartRecording(true);
    int logged = 0;
    for (bool down : {true, false, true}) {
        Serial.AwaitChangesTaken(kPort);
        Serial.SetDsr(kPort, down);
        ++logged;
        RunEventsUntil([&] { return form.Lines().Count() == logged; });
    }
    ASSERT_EQ(form.Lines().Count(), 3);
    const std::string lastLine = form.Lines().Strings(2);

    Serial.Unplug(kPort);
    const int waitsBefore = Serial.WaitCalls(kPort);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    RunEventsUntil([&] { return std::chrono::steady_clock::now() >= until; });
    const int waitsInASecond = Serial.WaitCalls(kPort) - waitsBefore;
    EXPECT_LE(waitsInASecond, 20) << "a failing device is retried at a growing pace";
    EXPECT_EQ(form.Lines().Count(), 3);
    EXPECT_EQ(form.Lines().Strings(2), lastLine);
    EXPECT_EQ(TWaveOutTh::Running(), 1) << "the key was down when the device went";

    form.miClosePort->trigger();
    ExpectStopped(form);
    EXPECT_EQ(form.Lines().Count(), 3);
    TWaveOutTh::WaitForAll();

    form.miExit->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(Dir.Exists("Tappolog.ini"));
}

} // namespace
