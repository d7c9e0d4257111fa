// Key bounce storms against the real window: how many key changes a second
// a recording takes with none lost, how long the window's own timers wait
// meanwhile, and how long Stop takes. The fake device stands in for the
// port; the clock and timers are the real ones.
//
// bench_key_storm [changes]   (default 100000)
#include "Figures.h"
#include "WindowBench.h"
#include "platform/SteadyClock.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

constexpr int kPort = 1;

struct Storm {
    double seconds = 0;
    double longestTimerGapMs = 0;
    double stopMs = 0;
};

// Drives the storm on its own thread while this (the GUI) thread runs the
// window's events; a 1 ms timer measures how long the window goes unanswered.
template <class Drive, class Done> Storm RunStorm(TMainForm& form, Drive drive, Done done) {
    Storm storm;
    std::int64_t lastTickNs = platform::SteadyNowNs();
    std::int64_t longestGapNs = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const std::int64_t now = platform::SteadyNowNs();
        longestGapNs = std::max(longestGapNs, now - lastTickNs);
        lastTickNs = now;
    });
    ticker.start(1);
    const std::int64_t began = platform::SteadyNowNs();
    std::thread driver(drive);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    storm.seconds = (platform::SteadyNowNs() - began) / 1e9;
    const std::int64_t stopBegan = platform::SteadyNowNs();
    form.miClosePort->trigger();
    storm.stopMs = (platform::SteadyNowNs() - stopBegan) / 1e6;
    driver.join();
    while (form.MessagesWaiting())
        QCoreApplication::processEvents();
    storm.longestTimerGapMs = longestGapNs / 1e6;
    return storm;
}

// Lines in the time<TAB>state format with times never decreasing.
int OrderedLines(TMainForm& form) {
    long previous = 0;
    int ordered = 0;
    for (int i = 0; i < form.Lines().Count(); ++i) {
        const std::string line = form.Lines().Strings(i);
        const long time = std::strtol(line.c_str(), nullptr, 10);
        if (line.find('\t') != std::string::npos && time >= previous)
            ++ordered;
        previous = time;
    }
    return ordered;
}

} // namespace

int main(int argc, char** argv) {
    const int changes = argc > 1 ? std::atoi(argv[1]) : 100'000;
    WindowBench bench(argc, argv); // no output: the monitor's tones are silent
    testing_support::FakeSerialPorts& serial = bench.Serial;
    TMainForm& form = bench.Window();
    form.show();

    // Each change made once the watcher has taken the one before.
    form.edText->clear();
    form.cbRealtimeMonitor->setChecked(false);
    form.miOpenPort->trigger();
    double cpu = ProcessCpuSeconds();
    std::atomic<bool> driven{false};
    const Storm paced = RunStorm(
        form,
        [&] {
            for (int i = 0; i < changes; ++i) {
                serial.AwaitChangesTaken(kPort);
                serial.SetDsr(kPort, i % 2 == 0);
            }
            driven.store(true);
        },
        [&] { return driven.load() && form.Lines().Count() >= changes; });
    cpu = ProcessCpuSeconds() - cpu;
    const int lines = form.Lines().Count();
    std::printf("paced storm: %d changes in %.2f s = %.0f changes/s; %d lines, %d lost, %d out "
                "of order\n",
                changes, paced.seconds, changes / paced.seconds, lines, changes - lines,
                lines - OrderedLines(form));
    std::printf("  longest wait of the window's 1 ms timer: %.1f ms; Stop: %.2f ms; "
                "processor: %.0f%% of one core\n",
                paced.longestTimerGapMs, paced.stopMs, 100.0 * cpu / paced.seconds);

    // As fast as the device toggles, the monitor ticked, stopped when done.
    form.edText->clear();
    form.cbRealtimeMonitor->setChecked(true);
    serial.SetDsr(kPort, false);
    form.miOpenPort->trigger();
    serial.AwaitWaiter(kPort);
    const int reportsBefore = serial.Reports(kPort);
    std::atomic<bool> toggled{false};
    const Storm unpaced = RunStorm(
        form,
        [&] {
            for (int i = 0; i < changes; ++i)
                serial.SetDsr(kPort, i % 2 == 0);
            toggled.store(true);
        },
        [&] { return toggled.load(); });
    const int reports = serial.Reports(kPort) - reportsBefore;
    std::printf("unpaced storm: %d changes in %.3f s, %d reports (quick changes between two "
                "waits are one), %d lines, %d lost\n",
                changes, unpaced.seconds, reports, form.Lines().Count(),
                reports - form.Lines().Count());
    std::printf("  longest wait of the window's 1 ms timer: %.1f ms; Stop: %.2f ms\n",
                unpaced.longestTimerGapMs, unpaced.stopMs);
    TWaveOutTh::WaitForAll();
    return 0;
}
