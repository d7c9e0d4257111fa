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
    {
        std::lock_guard lock(FTerminateMutex);
        FTerminated.store(true, std::memory_order_release);
    }
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
    if (FreeOnTerminate.load(std::memory_order_acquire))
        delete this;
}

} // namespace platform
