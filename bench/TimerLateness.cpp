// How late the one-shot timers fire: playback sets one timer per keying-log
// line, so their lateness is the floor of playback's timing error.
//
// Prints lateness percentiles in microseconds, with and without a 1 ms period
// request held, next to a plain sleep to the same deadlines (what the machine
// itself allows), and the processor time used.
#include "platform/SystemTimers.h"

#include "Figures.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<double> MeasureLateness(platform::SystemTimers& timers, int count) {
    std::mt19937 random(42);
    std::uniform_int_distribution<std::uint32_t> delays(1, 20);
    std::vector<double> lateness;
    lateness.reserve(static_cast<std::size_t>(count));
    std::mutex mutex;
    std::condition_variable fired;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t delay = delays(random);
        const auto due = Clock::now() + std::chrono::milliseconds(delay);
        bool done = false;
        timers.startOneShot(delay, [&] {
            const auto late = Clock::now() - due;
            std::lock_guard lock(mutex);
            lateness.push_back(std::chrono::duration<double, std::micro>(late).count());
            done = true;
            fired.notify_one();
        });
        std::unique_lock lock(mutex);
        fired.wait(lock, [&] { return done; });
    }
    std::sort(lateness.begin(), lateness.end());
    return lateness;
}

// The machine's own floor: a plain sleep to the same deadlines.
std::vector<double> MeasureSleepLateness(int count) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> delays(1, 20);
    std::vector<double> lateness;
    for (int i = 0; i < count; ++i) {
        const auto due = Clock::now() + std::chrono::milliseconds(delays(random));
        std::this_thread::sleep_until(due);
        lateness.push_back(std::chrono::duration<double, std::micro>(Clock::now() - due).count());
    }
    std::sort(lateness.begin(), lateness.end());
    return lateness;
}

void Report(const char* label, const std::vector<double>& sorted) {
    auto at = [&](double q) {
        return sorted[static_cast<std::size_t>(q * (sorted.size() - 1))];
    };
    std::printf("%-24s n=%zu  p50=%7.1f us  p99=%7.1f us  max=%7.1f us\n", label, sorted.size(),
                at(0.50), at(0.99), sorted.back());
}

} // namespace

int main() {
    platform::SystemTimers timers;
    constexpr int kCount = 1000;

    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = Clock::now();
    Report("one-shot lateness", MeasureLateness(timers, kCount));
    timers.beginPeriod();
    Report("with 1 ms period held", MeasureLateness(timers, kCount));
    timers.endPeriod();
    Report("plain sleep (machine)", MeasureSleepLateness(kCount));
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    std::printf("processor time: %.1f%% of one core over %.1f s\n",
                100.0 * (ProcessCpuSeconds() - cpuBefore) / wall, wall);
    return 0;
}
