#include "MainFormFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <string>
#include <vector>

namespace {

constexpr int kPort = 1;

// A continuous tone as played: attack, six or more whole sustain buffers, release.
bool IsContinuousTone(std::size_t samples) {
    return samples >= 623 && (samples - 23) % 100 == 0;
}

class RecordingTest : public MainFormFixture {
protected:
    TMainForm& StartRecording() {
        TMainForm& form = CreateForm();
        form.edText->clear();
        Press(form.edText, Qt::Key_F5);
        EXPECT_EQ(form.lbStatus->text(), "Recording");
        return form;
    }

    std::vector<std::string> Log() {
        std::vector<std::string> lines;
        for (int i = 0; i < Form->Lines().Count(); ++i)
            lines.push_back(Form->Lines().Strings(i));
        return lines;
    }
};

TEST_F(RecordingTest, PressAndReleaseWithTheMonitorLogTwoLinesAndSoundATone) {
    StartRecording();
    EXPECT_TRUE(Serial.Dtr(kPort));
    EXPECT_EQ(Timers.heldPeriods(), 1);
    Key(kPort, true);
    EXPECT_EQ(TWaveOutTh::Running(), 1) << "the sidetone sounds while the key is down";
    Timers.advance(80);
    Key(kPort, false);
    EXPECT_EQ(Log(), (std::vector<std::string>{"0\t1", "80\t0"}));
    const std::vector<std::size_t> tones = ToneLengths();
    ASSERT_EQ(tones.size(), 1u);
    EXPECT_TRUE(IsContinuousTone(tones[0])) << tones[0];
    Form->miClosePort->trigger();
    EXPECT_EQ(Timers.heldPeriods(), 0);
    EXPECT_EQ(Form->lbStatus->text(), "Not opened");
    EXPECT_FALSE(Serial.Dtr(kPort));
}

TEST_F(RecordingTest, WithoutTheMonitorKeyChangesAreOnlyLogged) {
    TMainForm& form = StartRecording();
    form.cbRealtimeMonitor->setChecked(false);
    Key(kPort, true);
    Timers.advance(30);
    Key(kPort, false);
    EXPECT_EQ(Log(), (std::vector<std::string>{"0\t1", "30\t0"}));
    EXPECT_TRUE(ToneLengths().empty());
}

TEST_F(RecordingTest, UntickingWhileHeldSilencesAndTickingAgainWaitsForTheNextPress) {
    TMainForm& form = StartRecording();
    Key(kPort, true);
    form.cbRealtimeMonitor->setChecked(false);
    const std::vector<std::size_t> stopped = ToneLengths(); // returns once it has ended
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_TRUE(IsContinuousTone(stopped[0])) << stopped[0];
    form.cbRealtimeMonitor->setChecked(true);
    EXPECT_EQ(TWaveOutTh::Running(), 0);
    Key(kPort, false);
    Key(kPort, true);
    EXPECT_EQ(TWaveOutTh::Running(), 1);
    form.miClosePort->trigger();
    EXPECT_EQ(ToneLengths().size(), 2u);
}

TEST_F(RecordingTest, StopWhileHeldSilencesAndKeepsTheLog) {
    TMainForm& form = StartRecording();
    Key(kPort, true);
    Press(form.edText, Qt::Key_F4);
    const std::vector<std::size_t> tones = ToneLengths(); // returns once it has ended
    ASSERT_EQ(tones.size(), 1u);
    EXPECT_TRUE(IsContinuousTone(tones[0])) << tones[0];
    EXPECT_EQ(Log(), std::vector<std::string>{"0\t1"});
    EXPECT_EQ(Serial.OpenLines(kPort), 0);
    EXPECT_EQ(Timers.heldPeriods(), 0);
}

TEST_F(RecordingTest, OpenWhileRecordingReopensOnceAndReportsEachChangeOnce) {
    TMainForm& form = StartRecording();
    Key(kPort, true);
    Timers.advance(500);
    Press(form.edText, Qt::Key_F5);
    EXPECT_EQ(Serial.OpenLines(kPort), 1);
    EXPECT_EQ(Timers.heldPeriods(), 1) << "requested once";
    Key(kPort, false); // the new recording's first change starts again at 0
    EXPECT_EQ(Log(), (std::vector<std::string>{"0\t1", "0\t0"}));
    form.miClosePort->trigger();
    EXPECT_EQ(Timers.heldPeriods(), 0);
}

TEST_F(RecordingTest, DeleteAllDuringRecordingStartsTheTimesAgain) {
    TMainForm& form = StartRecording();
    Key(kPort, true);
    Timers.advance(700);
    Key(kPort, false);
    Press(form.edText, Qt::Key_E, Qt::ControlModifier);
    Timers.advance(300);
    Key(kPort, true);
    EXPECT_EQ(Log(), std::vector<std::string>{"0\t1"});
}

struct FailedOpen {
    const char* name;
    int selected; // index in the port list
    bool held;    // the port is held by another program
};

class FailedOpenTest : public RecordingTest, public ::testing::WithParamInterface<FailedOpen> {};

TEST_P(FailedOpenTest, ShowsOpenErrorAndRecordsNothing) {
    TMainForm& form = CreateForm();
    Serial.SetHeldElsewhere(kPort, GetParam().held);
    form.cbPort->setCurrentIndex(GetParam().selected);
    form.btnOpenPort->click();
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0].text, "Open error");
    EXPECT_EQ(Messages.Shown[0].owner, &form);
    EXPECT_EQ(form.lbStatus->text(), "Not opened");
    EXPECT_EQ(Timers.heldPeriods(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedOpenTest,
                         ::testing::Values(FailedOpen{"NoPortSelected", -1, false},
                                           FailedOpen{"PortHeldElsewhere", 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordingTest, FailedReopenEndsTheRecordingItReplaced) {
    TMainForm& form = StartRecording();
    Serial.SetHeldElsewhere(2, true);
    form.cbPort->setCurrentIndex(1);
    Press(form.edText, Qt::Key_F5);
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(form.lbStatus->text(), "Not opened");
    EXPECT_EQ(Timers.heldPeriods(), 0) << "the replaced recording's request is returned";
    EXPECT_EQ(Serial.OpenLines(kPort), 0);
}

TEST_F(RecordingTest, KeyChangeArrivingAfterStopIsLoggedButSoundsNothing) {
    TMainForm& form = StartRecording();
    form.miClosePort->trigger();
    platform::PostMessage(form.Handle(), WM_KEYCHANGE, 1, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(Log(), std::vector<std::string>{"40\t1"});
    EXPECT_EQ(TWaveOutTh::Running(), 0);
}

} // namespace

namespace {

TEST_F(RecordingTest, ExitStopsTheRecordingBeforeTheWindowCloses) {
    TMainForm& form = StartRecording();
    Key(kPort, true);
    Press(form.edText, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Serial.OpenLines(kPort), 0);
    EXPECT_EQ(Timers.heldPeriods(), 0);
    EXPECT_TRUE(Dir.Exists("Tappolog.ini"));
    EXPECT_EQ(ToneLengths().size(), 1u) << "the sidetone was stopped and has ended";
}

} // namespace

namespace {

TEST_F(RecordingTest, CloseBoxSavesTheSettingsFirstAndStopsTheRecordingAtDestruction) {
    TMainForm& form = StartRecording();
    form.close(); // the close box: no Exit command runs
    EXPECT_TRUE(Dir.Exists("Tappolog.ini"));
    EXPECT_EQ(Serial.OpenLines(kPort), 1) << "still recording until the window is destroyed";
    DestroyForm();
    EXPECT_EQ(Serial.OpenLines(kPort), 0);
    EXPECT_EQ(Timers.heldPeriods(), 0);
}

} // namespace
