#pragma once

#include "MultimediaTimers.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace platform {

// The real clock and timers: CLOCK_MONOTONIC milliseconds, and one timer thread
// that runs every one-shot callback in deadline order.
class SystemTimers final : public MultimediaTimers {
public:
    SystemTimers();
    ~SystemTimers() override;

    std::uint32_t now() const override;
    void beginPeriod() override;
    void endPeriod() override;
    int heldPeriods() const override { return FHeldPeriods.load(); }
    TimerId startOneShot(std::uint32_t delayMs, std::function<void()> callback) override;
    bool cancel(TimerId id) override;
    void sleep(std::uint32_t delayMs) override;

private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        TimerId id;
        std::function<void()> callback;
    };

    void RunTimerThread();

    // Any thread; counts beginPeriod() minus endPeriod().
    std::atomic<int> FHeldPeriods{0};

    // Everything below is guarded by FMutex; the timer thread and the callers
    // of startOneShot()/cancel() meet there.
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::multimap<Clock::time_point, Pending> FQueue;
    TimerId FNextId = 1;
    TimerId FRunning = kNoTimer; // the callback running right now, if any
    bool FStopping = false;

    std::thread FThread; // last member: it starts once the rest exists
};

} // namespace platform
