#pragma once

#include "platform/AudioOutput.h"
#include "platform/Mixer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace testing_support {

// An output that renders the mix as fast as it can, with no clock, and keeps
// the exact stream each handle played and every buffer written to it. It
// renders only while a voice is open, so idle tests cost nothing. It can be
// set to render at the real pace instead, and be made to fail (stop
// rendering for good, as a stream whose server went away).
class CaptureOutput final : public platform::MixTap, public platform::AudioOutput {
public:
    struct Write {
        std::uint32_t length;
        std::uint32_t loops;
        bool operator==(const Write&) const = default;
    };

    explicit CaptureOutput(platform::Mixer& mixer) : FMixer(mixer) {
        FMixer.SetTap(this);
        FMixer.SetOutputRunning(true);
        FThread = std::thread([this] { Run(); });
    }
    ~CaptureOutput() override {
        Stop();
        FMixer.SetTap(nullptr);
    }

    // --- The output's side ---
    bool Running() const override { return !FStop.load() && !FFailed.load(); }
    void Stop() override {
        FStop.store(true);
        if (FThread.joinable())
            FThread.join();
        FMixer.SetOutputRunning(false);
    }
    std::int64_t OutputLatencyNs() const override { return 0; }

    // Renders 80 samples every 10 ms from now on, so tones last as long as they sound.
    void SetRealTime(bool realTime) { FRealTime.store(realTime); }
    // Keeps nothing from now on (call while no voice is open), so a test can
    // watch the program's own memory.
    void KeepNothing() {
        FMixer.SetTap(nullptr);
        FKeepMix.store(false);
    }
    // Renders nothing more, without telling the mixer.
    void Fail() { FFailed.store(true); }

    void OnSample(std::uint64_t voice, std::int64_t, std::uint8_t sample) override {
        std::lock_guard lock(FMutex);
        FSamples[voice].push_back(sample);
    }
    void OnWrite(std::uint64_t voice, const platform::WAVEHDR& header) override {
        std::lock_guard lock(FMutex);
        FWrites[voice].push_back({header.dwBufferLength, header.dwLoops});
    }

    // The handles opened so far, by their serial numbers, in order of opening.
    std::vector<std::uint64_t> Voices() {
        std::lock_guard lock(FMutex);
        std::vector<std::uint64_t> voices;
        for (const auto& [voice, writes] : FWrites)
            voices.push_back(voice);
        return voices;
    }
    std::vector<std::uint8_t> Samples(std::uint64_t voice) {
        std::lock_guard lock(FMutex);
        return FSamples[voice];
    }
    std::vector<Write> Writes(std::uint64_t voice) {
        std::lock_guard lock(FMutex);
        return FWrites[voice];
    }
    // The mixed stream, as the output got it.
    std::vector<float> Mix() {
        std::lock_guard lock(FMutex);
        return FMix;
    }

private:
    void Run() {
        constexpr int kBlock = 80;
        float block[kBlock];
        auto next = std::chrono::steady_clock::now();
        while (!FStop.load()) {
            if (FFailed.load() || FMixer.BusyVoices() == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                next = std::chrono::steady_clock::now();
                continue;
            }
            std::fill(std::begin(block), std::end(block), 0.0f);
            FMixer.Render(block, kBlock);
            if (FKeepMix.load()) {
                std::lock_guard lock(FMutex);
                FMix.insert(FMix.end(), std::begin(block), std::end(block));
            }
            if (FRealTime.load()) {
                next += std::chrono::milliseconds(10);
                std::this_thread::sleep_until(next);
            }
        }
    }

    platform::Mixer& FMixer;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FFailed{false};
    std::atomic<bool> FRealTime{false};
    std::atomic<bool> FKeepMix{true};
    std::mutex FMutex;
    std::map<std::uint64_t, std::vector<std::uint8_t>> FSamples;
    std::map<std::uint64_t, std::vector<Write>> FWrites;
    std::vector<float> FMix;
    std::thread FThread;
};

} // namespace testing_support
