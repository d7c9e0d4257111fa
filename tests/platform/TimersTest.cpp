#include "platform/SystemTimers.h"
#include "support/ManualTimers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A flag a timer callback raises and a test waits for, without a time limit
// that could fail on a slow machine before the event it waits for.
class Signal {
public:
    void Raise() {
        std::lock_guard lock(FMutex);
        FRaised = true;
        FChanged.notify_all();
    }
    bool WaitFor(std::chrono::milliseconds limit) {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, limit, [&] { return FRaised; });
    }

private:
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FRaised = false;
};

TEST(SystemTimersTest, OneShotFiresOnceNoEarlierThanItsDelay) {
    platform::SystemTimers timers;
    Signal fired;
    std::atomic<int> calls{0};
    const auto started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration waited{};
    timers.startOneShot(20, [&] {
        waited = std::chrono::steady_clock::now() - started;
        calls.fetch_add(1);
        fired.Raise();
    });
    ASSERT_TRUE(fired.WaitFor(10s));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_GE(waited, 20ms);
}

TEST(SystemTimersTest, FiresInDeadlineOrder) {
    platform::SystemTimers timers;
    std::mutex mutex;
    std::vector<int> order;
    Signal last;
    auto record = [&](int n) {
        std::lock_guard lock(mutex);
        order.push_back(n);
    };
    timers.startOneShot(30, [&] {
        record(3);
        last.Raise();
    });
    timers.startOneShot(10, [&] { record(1); });
    timers.startOneShot(20, [&] { record(2); });
    ASSERT_TRUE(last.WaitFor(10s));
    std::lock_guard lock(mutex);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(SystemTimersTest, CancelledTimerNeverFires) {
    platform::SystemTimers timers;
    std::atomic<bool> fired{false};
    const platform::TimerId id = timers.startOneShot(30, [&] { fired = true; });
    EXPECT_TRUE(timers.cancel(id));
    EXPECT_FALSE(timers.cancel(id)) << "a second cancel finds nothing";
    Signal later;
    timers.startOneShot(60, [&] { later.Raise(); });
    ASSERT_TRUE(later.WaitFor(10s));
    EXPECT_FALSE(fired.load());
}

TEST(SystemTimersTest, CancelWaitsForCallbackAlreadyRunning) {
    platform::SystemTimers timers;
    Signal entered;
    std::atomic<bool> finished{false};
    const platform::TimerId id = timers.startOneShot(0, [&] {
        entered.Raise();
        std::this_thread::sleep_for(50ms);
        finished = true;
    });
    ASSERT_TRUE(entered.WaitFor(10s));
    EXPECT_FALSE(timers.cancel(id)) << "it had already fired";
    EXPECT_TRUE(finished.load()) << "cancel returned while the callback still ran";
}

TEST(SystemTimersTest, PeriodRequestsAreCounted) {
    platform::SystemTimers timers;
    timers.beginPeriod();
    timers.beginPeriod();
    EXPECT_EQ(timers.heldPeriods(), 2);
    timers.endPeriod();
    timers.endPeriod();
    EXPECT_EQ(timers.heldPeriods(), 0);
}

TEST(SystemTimersTest, ClockAdvancesInMilliseconds) {
    platform::SystemTimers timers;
    const std::uint32_t before = timers.now();
    std::this_thread::sleep_for(15ms);
    const std::uint32_t elapsed = timers.now() - before; // modulo 2^32, as every elapsed time
    EXPECT_GE(elapsed, 15u);
}

TEST(ManualTimersTest, AdvanceFiresDueTimersInOrderAtTheirDeadlines) {
    testing_support::ManualTimers timers(0xFFFFFFF0u); // about to wrap
    std::vector<std::uint32_t> firedAt;
    timers.startOneShot(30, [&] { firedAt.push_back(timers.now()); });
    timers.startOneShot(10, [&] { firedAt.push_back(timers.now()); });
    const platform::TimerId cancelled = timers.startOneShot(20, [&] { firedAt.push_back(1); });
    EXPECT_TRUE(timers.cancel(cancelled));

    timers.advance(15);
    EXPECT_EQ(firedAt, (std::vector<std::uint32_t>{0xFFFFFFFAu}));
    timers.advance(100);
    EXPECT_EQ(firedAt, (std::vector<std::uint32_t>{0xFFFFFFFAu, 14u}));
    EXPECT_EQ(timers.now(), 0xFFFFFFF0u + 115u);
    EXPECT_TRUE(timers.pendingDelays().empty());
}

} // namespace
