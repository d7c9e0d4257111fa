// Sidetone figures:
// - latency from StartTone(-1) (and from the tone thread's restart) to the
//   moment the tone's first sample leaves the output, with its jitter;
// - processor time of one continuous tone, and of the mixer with 32 voices.
//
// "bench_tone_latency" measures on the paced output stand-in (everything but
// the sound card); "bench_tone_latency device" on the real default output.
#include "Waveoutth.h"
#include "platform/AudioOutput.h"
#include "platform/Mixer.h"
#include "platform/PacedOutput.h"
#include "platform/SystemTimers.h"

#include "Figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

void Report(const char* label, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) {
        return ms[static_cast<std::size_t>(q * (ms.size() - 1))];
    };
    std::printf("%-36s n=%zu  p50=%6.2f ms  p99=%6.2f ms  max=%6.2f ms  jitter(p99-p1)=%5.2f ms\n",
                label, ms.size(), at(0.5), at(0.99), ms.back(), at(0.99) - at(0.01));
}

double CpuShare(std::chrono::milliseconds span) {
    const double before = ProcessCpuSeconds();
    std::this_thread::sleep_for(span);
    return 100.0 * (ProcessCpuSeconds() - before) / std::chrono::duration<double>(span).count();
}

} // namespace

int main(int argc, char** argv) {
    const bool device = argc > 1 && std::strcmp(argv[1], "device") == 0;
    platform::SystemTimers timers;
    platform::Mixer mixer;
    std::unique_ptr<platform::AudioOutput> output;
    platform::PacedOutput* paced = nullptr;
    if (device) {
        output = platform::OpenDefaultOutput(mixer);
        if (!output->Running()) {
            std::printf("no output device\n");
            return 1;
        }
    } else {
        auto stand_in = std::make_unique<platform::PacedOutput>(mixer);
        paced = stand_in.get();
        output = std::move(stand_in);
    }
    const double outputMs = output->OutputLatencyNs() / 1e6;
    std::printf("%s output, %.2f ms from render to output\n", device ? "device" : "paced",
                outputMs);
    // Let the stream settle: a sound server may hold a new stream back for a
    // second or more before it runs at its pace.
    const auto settleUntil = std::chrono::steady_clock::now() + 5s;
    while (mixer.RenderedSamples() < 2 * platform::Mixer::kRate &&
           std::chrono::steady_clock::now() < settleUntil)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(500ms);

    constexpr int kTones = 300;
    std::vector<double> fromStartTone, fromRestart;
    for (int i = 0; i < kTones; ++i) {
        const std::int64_t previous = mixer.LatestStart();
        const std::int64_t asked = platform::SteadyNowNs();
        auto* tone = new TWaveOutTh(TWaveOutTh::kContinuous, mixer, timers); // as StartTone(-1)
        tone->Start();
        while (mixer.LatestStart() == previous)
            std::this_thread::sleep_for(100us);
        const std::int64_t sounds = mixer.TimeOfSample(mixer.LatestStart());
        fromStartTone.push_back((sounds - asked) / 1e6 + outputMs);
        fromRestart.push_back((sounds - mixer.LatestRestartNs()) / 1e6 + outputMs);
        tone->Stop();
        TWaveOutTh::WaitForAll();
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + (i * 397) % 5000));
    }
    Report("StartTone(-1) to first sample out", fromStartTone);
    Report("placement anchor to first sample out", fromRestart);
    std::printf("late starts: %llu of %d\n", static_cast<unsigned long long>(mixer.LateStarts()),
                kTones);

    const double idle = CpuShare(1s);
    auto* one = new TWaveOutTh(TWaveOutTh::kContinuous, mixer, timers);
    one->Start();
    std::printf("processor time, idle output:        %.2f%% of one core\n", idle);
    std::printf("processor time, one continuous tone: %.2f%% of one core\n", CpuShare(2s));
    one->Stop();
    TWaveOutTh::WaitForAll();

    std::vector<TWaveOutTh*> voices;
    for (int i = 0; i < 32; ++i) {
        voices.push_back(new TWaveOutTh(TWaveOutTh::kContinuous, mixer, timers));
        voices.back()->Start();
    }
    std::this_thread::sleep_for(200ms);
    const std::int64_t renderBefore = paced ? paced->RenderNs() : 0;
    std::printf("processor time, 32 continuous tones: %.2f%% of one core (tone threads included)\n",
                CpuShare(2s));
    if (paced)
        std::printf("mixer alone with 32 voices:          %.3f%% of one core\n",
                    100.0 * (paced->RenderNs() - renderBefore) / 2e9);
    for (TWaveOutTh* voice : voices)
        voice->Stop();
    TWaveOutTh::WaitForAll();
    output->Stop();
    mixer.Shutdown();
    return 0;
}
