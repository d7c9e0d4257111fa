// What one playback step and one recorded line cost with logs of 100, 10^4
// and 10^6 lines (a step must not grow with the log), and the processor time
// of the program idle, recording with the key still, and playing silence.
#include "Figures.h"
#include "Main.h"
#include "platform/Application.h"
#include "platform/PacedOutput.h"
#include "platform/SteadyClock.h"
#include "platform/SystemTimers.h"
#include "support/FakeSerial.h"
#include "support/ManualTimers.h"
#include "support/RecordedMessageBoxes.h"

#include <QAction>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string AlternatingLog(int lines, int spacingMs) {
    std::string log;
    log.reserve(static_cast<std::size_t>(lines) * 12);
    for (int i = 0; i < lines; ++i)
        log += std::to_string(500 + i * spacingMs) + (i % 2 == 0 ? "\t1\n" : "\t0\n");
    return log;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void MeasureCosts(int lines) {
    testing_support::ManualTimers timers;
    testing_support::FakeSerialPorts serial;
    testing_support::RecordedMessageBoxes messages;
    platform::Mixer mixer; // no output: the tones are silent and end at once
    const platform::Services services{timers, serial, mixer, messages, "/nonexistent/"};
    TMainForm form(nullptr, services);
    form.edText->setPlainText(QString::fromStdString(AlternatingLog(lines, 40)));

    std::vector<double> steps;
    form.miPlay->trigger();
    for (int i = 0; i < 200 && !timers.pendingDelays().empty(); ++i) {
        timers.advance(timers.pendingDelays().front()); // posts the step
        const std::int64_t began = platform::SteadyNowNs();
        QCoreApplication::processEvents();
        steps.push_back((platform::SteadyNowNs() - began) / 1e3);
    }
    form.miClosePort->trigger();
    TWaveOutTh::WaitForAll();

    std::vector<double> appends;
    for (int i = 0; i < 200; ++i) {
        platform::PostMessage(form.Handle(), WM_KEYCHANGE, i % 2, i);
        const std::int64_t began = platform::SteadyNowNs();
        QCoreApplication::processEvents();
        appends.push_back((platform::SteadyNowNs() - began) / 1e3);
    }
    std::printf("log of %7d lines: one step %7.1f us, one recorded line %7.1f us (medians)\n",
                lines, Median(steps), Median(appends));
}

double CpuShareWhileRunning(QApplication& application, int ms) {
    const double before = ProcessCpuSeconds();
    QTimer::singleShot(ms, &application, &QCoreApplication::quit);
    application.exec();
    return 100.0 * (ProcessCpuSeconds() - before) / (ms / 1000.0);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::TApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    for (int lines : {100, 10000, 1000000})
        MeasureCosts(lines);

    platform::SystemTimers timers;
    testing_support::FakeSerialPorts serial;
    testing_support::RecordedMessageBoxes messages;
    platform::Mixer mixer;
    platform::PacedOutput output(mixer);
    const platform::Services services{timers, serial, mixer, messages, "/nonexistent/"};
    TMainForm form(nullptr, services);
    std::printf("processor time, idle:                   %.2f%% of one core\n",
                CpuShareWhileRunning(application, 3000));
    form.miOpenPort->trigger();
    std::printf("processor time, recording, key still:   %.2f%% of one core\n",
                CpuShareWhileRunning(application, 3000));
    form.miClosePort->trigger();
    std::string silence;
    for (int i = 0; i < 200; ++i)
        silence += std::to_string(i * 50) + "\t0\n";
    form.edText->setPlainText(QString::fromStdString(silence));
    form.miPlay->trigger();
    std::printf("processor time, playing silence:        %.2f%% of one core\n",
                CpuShareWhileRunning(application, 3000));
    form.miClosePort->trigger();
    output.Stop();
    mixer.Shutdown();
    return 0;
}
