#pragma once

#include <cstdint>
#include <functional>

namespace platform {

using TimerId = std::uint32_t;
constexpr TimerId kNoTimer = 0;

// The millisecond clock, timer resolution requests and one-shot timers that
// the program's timing code is written against. The program gets one instance
// at start-up; tests hand in a manual one and move time by hand.
class MultimediaTimers {
public:
    virtual ~MultimediaTimers() = default;

    // Milliseconds of a monotonic clock as an unsigned 32-bit count: it wraps
    // after about 49.7 days, so elapsed times are differences modulo 2^32.
    virtual std::uint32_t now() const = 0;

    // A request for 1 ms timer resolution. Requests are counted and must be
    // balanced; heldPeriods() lets tests check that they are.
    virtual void beginPeriod() = 0;
    virtual void endPeriod() = 0;
    virtual int heldPeriods() const = 0;

    // Runs callback once, delayMs milliseconds from now, on the timer thread.
    virtual TimerId startOneShot(std::uint32_t delayMs, std::function<void()> callback) = 0;
    // Stops a timer that has not fired yet; returns false when it had already
    // fired or never existed. When cancel() returns, the callback is not running
    // and will not run (unless cancel() is called from the callback itself).
    virtual bool cancel(TimerId id) = 0;

    // Blocks the calling thread for about delayMs milliseconds.
    virtual void sleep(std::uint32_t delayMs) = 0;
};

} // namespace platform
