// A flood of overlapping timed tones: a log with a key-down line every
// millisecond, played by the real window with the real timers, tone threads,
// mixer and paced output. Reports the most voices and tone threads at once,
// and the heap and resident memory before and after.
//
// bench_tone_flood [lines]   (default 10000, one a millisecond)
#include "Figures.h"
#include "WindowBench.h"
#include "platform/PacedOutput.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <string>

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 10, '\n');
    }
    return -1;
}

struct Memory {
    std::size_t heap;
    long residentKiB;
};

Memory MemoryNow() {
    return {mallinfo2().uordblks, ResidentKiB()};
}

} // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 10'000;
    WindowBench bench(argc, argv);
    platform::Mixer& mixer = bench.Mixer;
    platform::PacedOutput output(mixer);
    TMainForm& form = bench.Window();

    std::string log;
    for (int i = 0; i < lines; ++i)
        log += std::to_string(i) + "\t1\n";
    log += std::to_string(lines) + "\t0\n";
    form.edText->setPlainText(QString::fromStdString(log));

    int peakVoices = 0;
    int peakThreads = 0;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] {
        peakVoices = std::max(peakVoices, mixer.BusyVoices());
        peakThreads = std::max(peakThreads, TWaveOutTh::Running());
        if (form.lbStatus->text() != QLatin1String("Playing"))
            bench.Application.quit();
    });
    auto play = [&] {
        form.miPlay->trigger();
        sample.start(1);
        bench.Application.exec();
        sample.stop();
        TWaveOutTh::WaitForAll();
        while (mixer.BusyVoices() > 0) // closed voices are freed by the next render
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    };

    play(); // fills the caches of Qt and the C++ library
    peakVoices = peakThreads = 0;
    const Memory before = MemoryNow();
    const double cpuBefore = ProcessCpuSeconds();
    const auto began = std::chrono::steady_clock::now();
    play();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const Memory after = MemoryNow();

    std::printf("%d tones of 1 ms, one a millisecond, in %.1f s\n", lines, seconds);
    std::printf("most at once: %d voices (of %d), %d tone threads\n", peakVoices,
                platform::Mixer::kVoices, peakThreads);
    std::printf("heap in use: %zu -> %zu bytes (%+lld); resident: %ld -> %ld KiB\n", before.heap,
                after.heap,
                static_cast<long long>(after.heap) - static_cast<long long>(before.heap),
                before.residentKiB, after.residentKiB);
    std::printf("voices busy after: %d, tone threads after: %d\n", mixer.BusyVoices(),
                TWaveOutTh::Running());
    std::printf("processor: %.0f%% of one core\n", 100.0 * cpu / seconds);
    TWaveOutTh::EndAll(output, mixer);
    return 0;
}
