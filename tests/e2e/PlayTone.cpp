// Plays one timed tone through the program's real output path (the mixer,
// the upsampler and the PortAudio stream on the default device), waits for
// it to end, and says whether an output was running. Used by the sound
// server test; without a device it must end at once, silently.
#include "Waveoutth.h"
#include "platform/AudioOutput.h"
#include "platform/Mixer.h"
#include "platform/SystemTimers.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    const int durationMs = argc > 1 ? std::atoi(argv[1]) : 100;
    platform::SystemTimers timers;
    platform::Mixer mixer;
    const auto started = std::chrono::steady_clock::now();
    auto output = platform::OpenDefaultOutput(mixer);
    const double openMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    std::printf("output: %s (opened in %.1f ms)\n", output->Running() ? "running" : "none", openMs);

    // The program opens its stream at start-up, long before the first tone;
    // likewise let this stream run steadily before playing.
    const auto settleUntil = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (output->Running() && mixer.RenderedSamples() < platform::Mixer::kRate &&
           std::chrono::steady_clock::now() < settleUntil)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    auto* tone = new TWaveOutTh(durationMs, mixer, timers);
    tone->Start();
    TWaveOutTh::WaitForAll();
    // Let the stream carry the tone's tail out before it stops.
    std::this_thread::sleep_for(std::chrono::milliseconds(output->Running() ? 300 : 0));
    output->Stop();
    mixer.Shutdown();
    std::printf("late starts: %llu\n", static_cast<unsigned long long>(mixer.LateStarts()));
    return 0;
}
