// Playback: the keying log walked against a millisecond clock started by
// Play, every key-down interval sounded as one tone of exactly its length.
#include "Main.h"

#include "KeyingLog.h"

#include <QAction>
#include <QCheckBox>

void TMainForm::StartPlay() {
    ClosePort();
    if (!FPlaying)
        FServices.Timers.beginPeriod();
    CancelPendingStep();
    FPlayIndex = 0;
    FPlayStart = FServices.Timers.now();
    FPlaying = true;
    miOpenPort->setEnabled(false);
    cbRealtimeMonitor->setEnabled(false);
    PlayStep(); // a line due at 0 sounds at once
    UpdateStatus();
}

void TMainForm::StopPlay() {
    if (FPlaying)
        FServices.Timers.endPeriod();
    CancelPendingStep();
    FPlayIndex = -1;
    FPlaying = false;
    miOpenPort->setEnabled(true);
    cbRealtimeMonitor->setEnabled(true);
    UpdateStatus();
}

void TMainForm::CancelPendingStep() {
    if (FPlayTimer == platform::kNoTimer)
        return;
    // A timer that has fired already has posted its step: that one is passed over.
    if (!FServices.Timers.cancel(FPlayTimer))
        ++FStaleSteps;
    FPlayTimer = platform::kNoTimer;
}

void TMainForm::PlayTimerProc(const platform::HWND& Window) {
    platform::PostMessage(Window, WM_PLAYSTEP, 0, 0);
}

void TMainForm::PlayStep() {
    if (FStaleSteps > 0) {
        --FStaleSteps;
        return;
    }
    FPlayTimer = platform::kNoTimer; // this is its step
    if (!FPlaying)
        return;
    // Measured from the start every time, so lateness never adds up.
    const auto elapsed = static_cast<std::int32_t>(FServices.Timers.now() - FPlayStart);
    std::int32_t pending = -1;
    std::int32_t wait = 0;
    const platform::TMemoLines lines = Lines();
    // The walk starts at the last due line, so a step reads only that line,
    // the lines due since, and the first line not yet due.
    for (std::int32_t i = FPlayIndex;; ++i) {
        if (i >= lines.Count()) {
            StopPlay();
            return;
        }
        const std::string text = lines.Strings(i);
        std::int32_t state = -1;
        const std::int32_t result = ParseLogLine(text.c_str(), elapsed, state);
        if (result > 0) {
            wait = result;
            break;
        }
        FPlayIndex = i;
        pending = state; // -1 for a line not in the format: silence
    }
    if (pending == 1)
        StartTone(wait);
    const platform::HWND window = Handle();
    FPlayTimer = FServices.Timers.startOneShot(static_cast<std::uint32_t>(wait),
                                               [window] { PlayTimerProc(window); });
}
