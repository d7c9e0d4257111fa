#include "Commth.h"

#include "Messages.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr auto kFirstRetryPause = std::chrono::milliseconds(5);
constexpr auto kLongestRetryPause = std::chrono::milliseconds(100);
} // namespace

TCommTh::TCommTh(TCommPort* Port, platform::HWND Wnd, platform::MultimediaTimers& Clock,
                 bool CreateSuspended)
    : TThread(CreateSuspended), FPort(Port), FWnd(std::move(Wnd)), FClock(Clock) {}

TCommTh::~TCommTh() {
    Terminate();
    WaitFor();
}

void TCommTh::Execute() {
    for (;;) {
        if (!FPort->IsOpen() || Terminated())
            return;
        if (!FPort->WaitDsrChange()) {
            PauseAfterFailedWait();
            continue;
        }
        FFailedWaits = 0;
        // The time base seen or set here is the one this change is measured
        // against, whatever a reset does meanwhile.
        std::uint32_t timeBase = FStartTime.load();
        if (timeBase == kNoTimeBase) {
            timeBase = FClock.now();
            FStartTime.store(timeBase);
        }
        const bool keyDown = FPort->GetDsr();
        const std::uint32_t now = FClock.now();
        const std::uint32_t elapsed = now - timeBase; // modulo 2^32 across the clock's wrap
        platform::PostMessage(FWnd, WM_KEYCHANGE, keyDown ? 1 : 0,
                              static_cast<std::int32_t>(elapsed));
    }
}

void TCommTh::PauseAfterFailedWait() {
    if (!FPort->IsOpen() || Terminated())
        return;
    const auto pause =
        std::min(kFirstRetryPause * (1 << std::min(FFailedWaits, 5)), kLongestRetryPause);
    ++FFailedWaits;
    SleepUnlessTerminated(pause);
}
