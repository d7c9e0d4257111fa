#include "Thread.h"

namespace platform {

TThread::TThread(bool CreateSuspended) : FCreateSuspended(CreateSuspended) {}

TThread::~TThread() {
    if (FThread.joinable()) {
        if (FThread.get_id() == std::this_thread::get_id()) {
            // Deleting itself at the end of a FreeOnTerminate run.
            FThread.detach();
        } else {
            Terminate();
            FThread.join();
        }
    }
}

void TThread::Terminate() {
    // Signalled under the lock: a thread that frees itself takes the lock
    // before it goes, so it never frees the signal while this call still uses it.
    std::lock_guard lock(FTerminateMutex);
    FTerminated.store(true, std::memory_order_release);
    FTerminateSignal.notify_all();
}

void TThread::SleepUnlessTerminated(std::chrono::milliseconds duration) {
    std::unique_lock lock(FTerminateMutex);
    FTerminateSignal.wait_for(lock, duration, [this] { return Terminated(); });
}

void TThread::AfterConstruction() {
    if (!FCreateSuspended)
        Start();
}

void TThread::Start() {
    if (FStarted)
        return;
    FStarted = true;
    FThread = std::thread(&TThread::Run, this);
    FStartGate.store(true, std::memory_order_release);
    FStartGate.notify_one();
}

void TThread::WaitFor() {
    if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id())
        FThread.join();
}

void TThread::Run() {
    FStartGate.wait(false, std::memory_order_acquire);
    try {
        Execute();
    } catch (...) {
        // A worker has nobody to report to; its run simply ends.
    }
    FFinished.store(true, std::memory_order_release);
    if (FreeOnTerminate.load(std::memory_order_acquire)) {
        // Execute() may have seen the flag of a Terminate() that is still
        // signalling; wait for it to finish before the object goes.
        { const std::lock_guard lock(FTerminateMutex); }
        delete this;
    }
}

} // namespace platform
