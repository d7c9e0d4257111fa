// Playback timing: a long random keying log (15 to 40 words per minute)
// played by the real window with the real timers, tone threads and mixer into
// the paced output stand-in. For every tone: how far its first sample lies
// from the moment its line falls due (beyond the fixed start latency), and
// how far its length lies from its interval; and the drift from the first
// tones to the last.
//
// bench_playback_timing [minutes]   (default 10)
#include "Figures.h"
#include "WindowBench.h"
#include "platform/MixRenderer.h"
#include "platform/PacedOutput.h"
#include "platform/SteadyClock.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace {

struct Interval {
    std::int64_t downMs;
    std::int64_t lengthMs;
};

// Random Morse-like keying: elements of 1 or 3 dits, gaps of 1, 3 or 7 dits,
// the speed drawn per word between 15 and 40 words per minute.
std::vector<Interval> RandomKeying(std::int64_t totalMs, std::string& log) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> speed(15, 40), element(0, 1), letters(1, 6), elements(1, 5);
    std::vector<Interval> downs;
    std::int64_t t = 500;
    while (t < totalMs) {
        const double dit = 1200.0 / speed(random);
        for (int letter = letters(random); letter > 0; --letter) {
            for (int e = elements(random); e > 0; --e) {
                const auto length = static_cast<std::int64_t>(dit * (element(random) ? 3 : 1));
                downs.push_back({t, length});
                log += std::to_string(t) + "\t1\n" + std::to_string(t + length) + "\t0\n";
                t += length + static_cast<std::int64_t>(dit);
            }
            t += static_cast<std::int64_t>(2 * dit);
        }
        t += static_cast<std::int64_t>(4 * dit);
    }
    return downs;
}

// The mix samples each tone played: first and last.
class SpanTap final : public platform::MixTap {
public:
    void OnSample(std::uint64_t voice, std::int64_t index, std::uint8_t) override {
        std::lock_guard lock(FMutex);
        auto [it, added] = FSpans.try_emplace(voice, index, index);
        if (!added)
            it->second.second = index;
    }
    void OnWrite(std::uint64_t, const platform::WAVEHDR&) override {}
    std::map<std::uint64_t, std::pair<std::int64_t, std::int64_t>> Spans() {
        std::lock_guard lock(FMutex);
        return FSpans;
    }

private:
    std::mutex FMutex;
    std::map<std::uint64_t, std::pair<std::int64_t, std::int64_t>> FSpans;
};

void Report(const char* label, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    auto at = [&](double q) {
        return values[static_cast<std::size_t>(q * (values.size() - 1))];
    };
    std::printf("%-28s n=%zu  p50=%6.3f ms  p99=%6.3f ms  max=%6.3f ms  min=%6.3f ms\n", label,
                values.size(), at(0.5), at(0.99), values.back(), values.front());
}

// The median of a stretch: a stall of the machine moves one tone, not the figure.
double Median(const std::vector<double>& values, std::size_t from, std::size_t to) {
    std::vector<double> stretch(values.begin() + static_cast<std::ptrdiff_t>(from),
                                values.begin() + static_cast<std::ptrdiff_t>(to));
    std::sort(stretch.begin(), stretch.end());
    return stretch[stretch.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    WindowBench bench(argc, argv);
    platform::Mixer& mixer = bench.Mixer;
    SpanTap tap;
    mixer.SetTap(&tap); // the paced output renders on an ordinary thread
    platform::PacedOutput output(mixer);
    TMainForm& form = bench.Window();

    std::string log;
    const std::vector<Interval> downs =
        RandomKeying(static_cast<std::int64_t>(minutes * 60000), log);
    form.edText->setPlainText(QString::fromStdString(log));
    std::printf("log: %zu lines, %zu tones, %.1f minutes\n", downs.size() * 2, downs.size(),
                minutes);

    const std::int64_t originNs = platform::SteadyNowNs() / 1'000'000 * 1'000'000; // the ms clock
    const double cpuBefore = ProcessCpuSeconds();
    form.miPlay->trigger();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (form.lbStatus->text() != QLatin1String("Playing"))
            bench.Application.quit();
    });
    watch.start(100);
    bench.Application.exec();
    TWaveOutTh::WaitForAll();
    const double cpu = ProcessCpuSeconds() - cpuBefore;

    // Starts are placed a fixed time after each step: one period and a margin.
    const double placementMs = (40 * 125'000 + 2'000'000) / 1e6;
    // Each tone belongs to the last interval that began before it sounded.
    // A step held up longer than an interval walks past it: that interval
    // makes no sound, as playback is designed to do; those are counted, and
    // so is a second tone for one interval.
    std::vector<double> onset, length;
    std::vector<bool> sounded(downs.size(), false);
    std::size_t extra = 0;
    for (const auto& [voice, span] : tap.Spans()) {
        const double soundsMs = (mixer.TimeOfSample(span.first) - originNs) / 1e6 - placementMs;
        const auto after = std::upper_bound(downs.begin(), downs.end(), soundsMs + 0.5,
                                            [](double ms, const Interval& interval) {
                                                return ms < static_cast<double>(interval.downMs);
                                            });
        if (after == downs.begin()) {
            ++extra;
            continue;
        }
        const auto j = static_cast<std::size_t>(after - downs.begin() - 1);
        if (sounded[j]) {
            ++extra;
            continue;
        }
        sounded[j] = true;
        onset.push_back(soundsMs - static_cast<double>(downs[j].downMs));
        length.push_back((span.second - span.first + 1) / 8.0 -
                         static_cast<double>(downs[j].lengthMs));
    }
    const auto missed = static_cast<std::size_t>(std::count(sounded.begin(), sounded.end(), false));
    std::printf("start latency (constant):     %.3f ms\n", placementMs);
    std::printf(
        "intervals without a tone:     %zu of %zu (steps held up longer than the interval)\n",
        missed, downs.size());
    Report("onset error", onset);
    Report("length error", length);
    const std::size_t edge = std::min<std::size_t>(100, onset.size() / 2);
    std::printf("drift, median onset of the first %zu to the last %zu tones: %+.3f ms\n", edge,
                edge, Median(onset, onset.size() - edge, onset.size()) - Median(onset, 0, edge));
    std::printf("processor time during playback: %.2f%% of one core\n",
                100.0 * cpu / (minutes * 60.0));
    output.Stop();
    mixer.Shutdown();
    return 0;
}
