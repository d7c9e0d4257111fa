#include "PacedOutput.h"

#include <chrono>
#include <vector>

namespace platform {

PacedOutput::PacedOutput(Mixer& mixer, int factor, int mixSamplesPerPeriod)
    : FMixer(mixer), FRenderer(mixer, factor, mixSamplesPerPeriod) {
    FMixer.SetOutputRunning(true);
    FThread = std::thread([this] { Run(); });
}

PacedOutput::~PacedOutput() {
    Stop();
}

void PacedOutput::Stop() {
    if (FThread.joinable()) {
        FRunning.store(false);
        FThread.join();
    }
    FMixer.SetOutputRunning(false);
}

void PacedOutput::Run() {
    std::vector<float> period(static_cast<std::size_t>(FRenderer.FramesPerPeriod()));
    const auto length = std::chrono::nanoseconds(std::int64_t{FRenderer.FramesPerPeriod()} *
                                                 1'000'000'000 / FRenderer.OutputRate());
    // A card's clock is steady: each period leaves at its own scheduled time,
    // however late this thread wakes to render it.
    auto next = std::chrono::steady_clock::now();
    while (FRunning.load()) {
        std::this_thread::sleep_until(next);
        const std::int64_t scheduled =
            std::chrono::duration_cast<std::chrono::nanoseconds>(next.time_since_epoch()).count();
        next += length;
        const std::int64_t began = SteadyNowNs();
        FRenderer.RenderPeriod(period.data(), scheduled);
        FRenderNs.fetch_add(SteadyNowNs() - began);
    }
}

} // namespace platform
