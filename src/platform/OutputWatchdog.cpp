#include "OutputWatchdog.h"

namespace platform {

OutputWatchdog::OutputWatchdog(Mixer& mixer, std::function<bool()> streamAlive,
                               std::chrono::milliseconds stallLimit,
                               std::chrono::milliseconds interval)
    : FMixer(mixer), FStreamAlive(std::move(streamAlive)), FStallLimit(stallLimit),
      FInterval(interval), FThread([this] { Run(); }) {}

OutputWatchdog::~OutputWatchdog() {
    {
        std::lock_guard lock(FMutex);
        FStopping = true;
    }
    FWake.notify_all();
    FThread.join();
}

void OutputWatchdog::Run() {
    using Clock = std::chrono::steady_clock;
    std::int64_t lastRendered = FMixer.RenderedSamples();
    Clock::time_point lastProgress = Clock::now();
    std::unique_lock lock(FMutex);
    while (!FWake.wait_for(lock, FInterval, [this] { return FStopping; })) {
        const std::int64_t rendered = FMixer.RenderedSamples();
        const Clock::time_point now = Clock::now();
        // An output may rest while no voice sounds; only a voice left waiting
        // counts as a stall.
        if (rendered != lastRendered || FMixer.BusyVoices() == 0) {
            lastRendered = rendered;
            lastProgress = now;
        }
        if (FStreamAlive() && now - lastProgress < FStallLimit)
            continue;
        FMixer.SetOutputRunning(false);
        FMixer.Shutdown();
        FLost.store(true);
        return;
    }
}

} // namespace platform
