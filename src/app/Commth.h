#pragma once

#include "Defs.h"
#include "platform/MultimediaTimers.h"
#include "platform/Thread.h"
#include "platform/WindowHandle.h"

#include <atomic>
#include <cstdint>

// The key watcher of one recording: waits for each change of DSR, stamps it
// in milliseconds against the recording's time base and posts it to the main
// window as WM_KEYCHANGE (wParam the state, lParam the elapsed time). The stamp
// is taken here, as the wait returns, so the time the GUI thread takes to get
// to the message never enters the log.
class TCommTh : public platform::TThread {
public:
    // The time base value that means "not set: the next change starts one".
    static constexpr std::uint32_t kNoTimeBase = 0xFFFFFFFFu;

    TCommTh(TCommPort* Port, platform::HWND Wnd, platform::MultimediaTimers& Clock,
            bool CreateSuspended);
    ~TCommTh() override;

    // The clock reading at the first change since the recording started or
    // since the last reset. Set by the watcher; reset to kNoTimeBase by the
    // GUI thread (Delete All) at any time.
    std::atomic<std::uint32_t> FStartTime{kNoTimeBase};

protected:
    void Execute() override;

private:
    // After a failed wait, while the port is still open: a pause before the
    // next try, so a device that fails every wait at once (unplugged) costs
    // no processor time. The pause grows while the waits keep failing, and
    // Terminate() cuts it short. A change meanwhile is still caught by the
    // next wait.
    void PauseAfterFailedWait();

    TCommPort* const FPort;
    int FFailedWaits = 0; // watcher thread only
    const platform::HWND FWnd;
    platform::MultimediaTimers& FClock;
};
