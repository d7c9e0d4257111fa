#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace platform {

// Base class of the program's worker threads. A derived class puts its work in
// Execute() and polls Terminated() to learn when it should stop.
//
// A thread created running starts as soon as the constructor of the most
// derived class has finished: C++ cannot start a virtual Execute() from the
// base constructor, so such threads are made with NewThread<T>(...), which
// calls AfterConstruction(). A thread created suspended starts at Start().
//
// With FreeOnTerminate set, the object deletes itself on its own thread once
// Execute() returns; nobody may touch it after Start() then.
//
// The destructor sets the terminate flag and waits for a running thread. A
// derived class whose Execute() uses its own members must wait in its own
// destructor (WaitFor) so that those members outlive the run.
class TThread {
public:
    explicit TThread(bool CreateSuspended);
    virtual ~TThread();

    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts the thread unless it was created suspended.
    void AfterConstruction();
    // Starts Execute() on a new thread; later calls do nothing.
    void Start();
    // Asks Execute() to stop; it does so the next time it looks at Terminated().
    void Terminate();
    // Waits until Execute() has returned. Never call it on a FreeOnTerminate thread.
    void WaitFor();

    bool Terminated() const { return FTerminated.load(std::memory_order_acquire); }
    bool Finished() const { return FFinished.load(std::memory_order_acquire); }
    bool Suspended() const { return !FStarted; }

    // Written by the owner before or while the thread runs, read by the thread
    // when Execute() has returned.
    std::atomic<bool> FreeOnTerminate{false};

protected:
    virtual void Execute() = 0;

    // Sleeps for the given time, or less when Terminate() is called meanwhile.
    void SleepUnlessTerminated(std::chrono::milliseconds duration);

private:
    void Run();

    const bool FCreateSuspended;
    bool FStarted = false; // owner thread only
    std::thread FThread;   // written by Start() before the thread passes its gate
    // Released by Start() once FThread is assigned, so the thread itself may
    // read FThread (to detach before deleting itself).
    std::atomic<bool> FStartGate{false};
    // Written by the owner (any thread), read by Execute().
    std::atomic<bool> FTerminated{false};
    // Wakes SleepUnlessTerminated() when Terminate() is called.
    std::mutex FTerminateMutex;
    std::condition_variable FTerminateSignal;
    // Written by the thread when Execute() has returned.
    std::atomic<bool> FFinished{false};
};

// Constructs a thread object and starts it unless it was created suspended.
template <class T, class... Args> T* NewThread(Args&&... args) {
    T* thread = new T(std::forward<Args>(args)...);
    thread->AfterConstruction();
    return thread;
}

} // namespace platform
