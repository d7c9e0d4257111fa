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
    // outlierPeriods: how far off the loop, in periods, a callback is taken
    // for an outlier rather than for the clock's own drift.
    DelayLockedLoop(double periodSeconds, double bandwidthHz, double outlierPeriods = 1)
        : FOutlierPeriods(outlierPeriods) {
        const double omega = 2 * std::numbers::pi * bandwidthHz * periodSeconds;
        FB = std::sqrt(2.0) * omega;
        FC = omega * omega;
        FPeriodNs = periodSeconds * 1e9;
    }

    // Feeds the time this callback ran; returns the smoothed time of it.
    //
    // A callback far off the loop is an outlier: a stall and the burst of
    // catch-up callbacks after it say nothing about the device's clock, so
    // the loop runs on at its own pace through them. Only a lasting offset
    // (the stream restarted) or the first call sets it anew.
    std::int64_t Update(std::int64_t nowNs) {
        const double error = static_cast<double>(nowNs) - FNext;
        if (FLocked && std::abs(error) > FOutlierPeriods * FPeriodNs &&
            ++FOutliers <= kOutliersBeforeReset) {
            FCurrent = FNext;
            FNext += FStep;
            return static_cast<std::int64_t>(FCurrent);
        }
        if (!FLocked || FOutliers > kOutliersBeforeReset) {
            FLocked = true;
            FOutliers = 0;
            FCurrent = static_cast<double>(nowNs);
            FNext = FCurrent + FPeriodNs;
            FStep = FPeriodNs;
            return nowNs;
        }
        FOutliers = 0;
        FCurrent = FNext;
        FNext += FB * error + FStep;
        FStep += FC * error;
        return static_cast<std::int64_t>(FCurrent);
    }

private:
    static constexpr int kOutliersBeforeReset = 8;

    double FOutlierPeriods;
    double FB = 0, FC = 0, FPeriodNs = 0;
    int FOutliers = 0;
    bool FLocked = false;
    double FCurrent = 0, FNext = 0, FStep = 0;
};

} // namespace platform
