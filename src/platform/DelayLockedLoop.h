#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

namespace platform {

// Smooths the times at which an audio callback runs into a steady clock of
// its periods: a second-order delay-locked loop, so scheduling jitter of a
// single callback does not move the times later starts are placed by.
class DelayLockedLoop {
public:
    DelayLockedLoop(double periodSeconds, double bandwidthHz) {
        const double omega = 2 * std::numbers::pi * bandwidthHz * periodSeconds;
        FB = std::sqrt(2.0) * omega;
        FC = omega * omega;
        FPeriodNs = periodSeconds * 1e9;
    }

    // Feeds the time this callback ran; returns the smoothed time of it.
    // A callback far off the loop (a stall, the first call) restarts it.
    std::int64_t Update(std::int64_t nowNs) {
        const double error = static_cast<double>(nowNs) - FNext;
        if (!FLocked || std::abs(error) > 4 * FPeriodNs) {
            FLocked = true;
            FCurrent = static_cast<double>(nowNs);
            FNext = FCurrent + FPeriodNs;
            FStep = FPeriodNs;
            return nowNs;
        }
        FCurrent = FNext;
        FNext += FB * error + FStep;
        FStep += FC * error;
        return static_cast<std::int64_t>(FCurrent);
    }

private:
    double FB = 0, FC = 0, FPeriodNs = 0;
    bool FLocked = false;
    double FCurrent = 0, FNext = 0, FStep = 0;
};

} // namespace platform
