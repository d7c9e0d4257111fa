#include "SystemTimers.h"

#include <sys/prctl.h>
#include <time.h>

namespace platform {

namespace {
// Timer slack of a thread whose wake-ups must land within the millisecond.
constexpr unsigned long kTightSlackNs = 1000;
} // namespace

SystemTimers::SystemTimers() : FThread(&SystemTimers::RunTimerThread, this) {}

SystemTimers::~SystemTimers() {
    {
        std::lock_guard lock(FMutex);
        FStopping = true;
    }
    FChanged.notify_all();
    FThread.join();
}

std::uint32_t SystemTimers::now() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

// Timer slack is a per-thread setting that new threads inherit from their
// creator. The period request is made on the GUI thread, which creates the
// tone threads, so while a request is held they start with a tight slack.
void SystemTimers::beginPeriod() {
    if (FHeldPeriods.fetch_add(1) == 0)
        prctl(PR_SET_TIMERSLACK, kTightSlackNs, 0, 0, 0);
}

void SystemTimers::endPeriod() {
    if (FHeldPeriods.fetch_sub(1) == 1)
        prctl(PR_SET_TIMERSLACK, 0, 0, 0, 0); // 0 restores the default slack
}

TimerId SystemTimers::startOneShot(std::uint32_t delayMs, std::function<void()> callback) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(delayMs);
    TimerId id;
    {
        std::lock_guard lock(FMutex);
        id = FNextId++;
        if (FNextId == kNoTimer)
            FNextId = 1;
        FQueue.emplace(deadline, Pending{id, std::move(callback)});
    }
    FChanged.notify_all();
    return id;
}

bool SystemTimers::cancel(TimerId id) {
    if (id == kNoTimer)
        return false;
    std::unique_lock lock(FMutex);
    for (auto it = FQueue.begin(); it != FQueue.end(); ++it) {
        if (it->second.id == id) {
            FQueue.erase(it);
            return true;
        }
    }
    if (FRunning == id && std::this_thread::get_id() != FThread.get_id())
        FChanged.wait(lock, [&] { return FRunning != id; });
    return false;
}

void SystemTimers::sleep(std::uint32_t delayMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
}

void SystemTimers::RunTimerThread() {
    prctl(PR_SET_TIMERSLACK, kTightSlackNs, 0, 0, 0);
    std::unique_lock lock(FMutex);
    while (!FStopping) {
        if (FQueue.empty()) {
            FChanged.wait(lock);
            continue;
        }
        const auto first = FQueue.begin();
        if (Clock::now() < first->first) {
            FChanged.wait_until(lock, first->first);
            continue;
        }
        Pending due = std::move(first->second);
        FQueue.erase(first);
        FRunning = due.id;
        lock.unlock();
        try {
            due.callback();
        } catch (...) {
            // A timer callback only posts a message; should one throw, the
            // timer thread must go on serving the others.
        }
        lock.lock();
        FRunning = kNoTimer;
        FChanged.notify_all();
    }
}

} // namespace platform
