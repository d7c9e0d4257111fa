#pragma once

#include "platform/MultimediaTimers.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace testing_support {

// A clock that moves only when a test says so, and one-shot timers that fire
// on the test's thread as advance() passes their deadlines, in deadline order.
class ManualTimers final : public platform::MultimediaTimers {
public:
    explicit ManualTimers(std::uint32_t start = 1000) : FNow(start) {}

    std::uint32_t now() const override { return FNow.load(); }
    void set(std::uint32_t ms) { FNow.store(ms); }

    void beginPeriod() override { ++FHeldPeriods; }
    void endPeriod() override { --FHeldPeriods; }
    int heldPeriods() const override { return FHeldPeriods.load(); }

    platform::TimerId startOneShot(std::uint32_t delayMs, std::function<void()> callback) override {
        std::lock_guard lock(FMutex);
        const platform::TimerId id = FNextId++;
        // Deadlines are kept as 64-bit offsets from the start so that a test
        // may run the 32-bit clock across its wrap.
        FPending.emplace(FElapsed + delayMs, Pending{id, delayMs, std::move(callback)});
        return id;
    }

    bool cancel(platform::TimerId id) override {
        std::lock_guard lock(FMutex);
        for (auto it = FPending.begin(); it != FPending.end(); ++it) {
            if (it->second.id == id) {
                FPending.erase(it);
                return true;
            }
        }
        return false;
    }

    // Sleeps for real: threads that poll (the tone threads) must not move
    // the clock the test moves by hand.
    void sleep(std::uint32_t delayMs) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    }

    // Moves the clock forward by ms, firing every timer that falls due on the way.
    void advance(std::uint32_t ms) {
        const std::uint64_t target = FElapsed + ms;
        for (;;) {
            Pending due;
            {
                std::lock_guard lock(FMutex);
                if (FPending.empty() || FPending.begin()->first > target)
                    break;
                auto first = FPending.begin();
                FNow.fetch_add(static_cast<std::uint32_t>(first->first - FElapsed));
                FElapsed = first->first;
                due = std::move(first->second);
                FPending.erase(first);
            }
            due.callback();
        }
        std::lock_guard lock(FMutex);
        FNow.fetch_add(static_cast<std::uint32_t>(target - FElapsed));
        FElapsed = target;
    }

    // The delays of the timers still pending, in deadline order.
    std::vector<std::uint32_t> pendingDelays() const {
        std::lock_guard lock(FMutex);
        std::vector<std::uint32_t> delays;
        for (const auto& entry : FPending)
            delays.push_back(entry.second.delayMs);
        return delays;
    }

private:
    struct Pending {
        platform::TimerId id = platform::kNoTimer;
        std::uint32_t delayMs = 0;
        std::function<void()> callback;
    };

    std::atomic<std::uint32_t> FNow;
    std::atomic<int> FHeldPeriods{0};
    mutable std::mutex FMutex;
    std::uint64_t FElapsed = 0; // guarded by FMutex
    platform::TimerId FNextId = 1;
    std::multimap<std::uint64_t, Pending> FPending;
};

} // namespace testing_support
