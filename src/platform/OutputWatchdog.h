#pragma once

#include "Mixer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

// Notices an output that has died: its stream says it stopped, or a voice is
// waiting while no render has come for a while (a sound server that went
// away, a card unplugged). The mixer is then shut down, so every tone thread
// waiting for its buffers finishes and later tones are silent, instead of
// each of them waiting for good.
class OutputWatchdog {
public:
    // streamAlive is asked from the watchdog's own thread.
    OutputWatchdog(Mixer& mixer, std::function<bool()> streamAlive,
                   std::chrono::milliseconds stallLimit = std::chrono::seconds(2),
                   std::chrono::milliseconds interval = std::chrono::milliseconds(100));
    ~OutputWatchdog();
    OutputWatchdog(const OutputWatchdog&) = delete;
    OutputWatchdog& operator=(const OutputWatchdog&) = delete;

    bool OutputLost() const { return FLost.load(); }

private:
    void Run();

    Mixer& FMixer;
    const std::function<bool()> FStreamAlive;
    const std::chrono::milliseconds FStallLimit;
    const std::chrono::milliseconds FInterval;
    std::atomic<bool> FLost{false};
    std::mutex FMutex;
    std::condition_variable FWake;
    bool FStopping = false; // guarded by FMutex
    std::thread FThread;
};

} // namespace platform
