#pragma once

#include "Main.h"
#include "platform/Application.h"
#include "support/CaptureOutput.h"
#include "support/FakeSerial.h"
#include "support/ManualTimers.h"
#include "support/QtPrinters.h"
#include "support/RecordedMessageBoxes.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The samples a timed tone of durationMs plays: attack, sustain, release.
inline std::size_t ToneSamples(std::int32_t durationMs) {
    const auto plan = TWaveOutTh::PlanTimed(durationMs, 11);
    return static_cast<std::size_t>(11 + plan.sustainRepeats * 100 + plan.remainder + 12);
}

// The real main window on the offscreen platform, with its settings file in a
// fresh directory and error boxes recorded instead of shown.
class MainFormFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::TApplication::SetExceptionSink(
            [this](const std::string& message) { ErrorBoxes.push_back(message); });
    }

    void TearDown() override {
        DestroyForm();
        platform::TApplication::SetExceptionSink([](const std::string& message) {
            ADD_FAILURE() << "unexpected error box: " << message;
        });
    }

    // Creates and shows the window the way the program's entry does.
    TMainForm& CreateForm() {
        Form = std::make_unique<TMainForm>(
            nullptr, platform::Services{Timers, Serial, Audio, Messages, Dir.Path("")});
        Form->show();
        Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return *Form;
    }

    // The orderly shutdown: hidden (which saves the settings), then destroyed.
    void DestroyForm() {
        if (!Form)
            return;
        if (Form->isVisible())
            Form->hide();
        Form.reset();
        TWaveOutTh::WaitForAll();
    }

    // The sample count of every tone played, in the order their voices
    // opened, once all of them have ended.
    std::vector<std::size_t> ToneLengths() {
        TWaveOutTh::WaitForAll();
        std::vector<std::size_t> lengths;
        for (std::uint64_t voice : Capture.Voices())
            lengths.push_back(Capture.Samples(voice).size());
        return lengths;
    }

    // Moves the clock to the next timer and lets its step run.
    void Step(std::uint32_t delay) {
        Timers.advance(delay);
        QCoreApplication::processEvents();
    }

    // Every tone played, once all have ended, by its sample count.
    std::multiset<std::size_t> TonesPlayed() {
        const std::vector<std::size_t> lengths = ToneLengths();
        return std::multiset<std::size_t>(lengths.begin(), lengths.end());
    }

    // Runs the window's events until done() holds, or the limit has passed
    // so that a fault fails the test instead of hanging it; returns done().
    template <class Done>
    bool
    ProcessEventsUntil(Done done,
                       std::chrono::steady_clock::duration limitAfter = std::chrono::seconds(10)) {
        const auto limit = std::chrono::steady_clock::now() + limitAfter;
        while (!done() && std::chrono::steady_clock::now() < limit)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }

    // Changes the key on a fake port once the watcher has taken every earlier
    // change, and returns once the change is in the log.
    void Key(int port, bool down) {
        Serial.AwaitChangesTaken(port);
        const int before = Form->Lines().Count();
        Serial.SetDsr(port, down);
        ProcessEventsUntil([&] { return Form->Lines().Count() != before; });
    }

    void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }

    testing_support::TempDir Dir;
    testing_support::ManualTimers Timers;
    testing_support::FakeSerialPorts Serial;
    platform::Mixer Audio;
    testing_support::CaptureOutput Capture{Audio};
    testing_support::RecordedMessageBoxes Messages;
    std::unique_ptr<TMainForm> Form;
    std::vector<std::string> ErrorBoxes;
};
