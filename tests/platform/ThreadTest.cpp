#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Runs until told to stop, counting its turns; reports its own destruction.
class Spinner : public platform::TThread {
public:
    Spinner(bool suspended, std::atomic<bool>* destroyed = nullptr)
        : TThread(suspended), FDestroyed(destroyed) {}
    ~Spinner() override {
        // Execute() reads Turns, a member of this class: stop it while it exists.
        Terminate();
        WaitFor();
        if (FDestroyed)
            FDestroyed->store(true);
    }
    std::atomic<int> Turns{0};

protected:
    void Execute() override {
        while (!Terminated()) {
            Turns.fetch_add(1);
            std::this_thread::sleep_for(1ms);
        }
    }

private:
    std::atomic<bool>* FDestroyed;
};

// Ends by itself after one turn.
class OneShot : public platform::TThread {
public:
    explicit OneShot(std::atomic<bool>* destroyed) : TThread(true), FDestroyed(destroyed) {}
    ~OneShot() override { FDestroyed->store(true); }

protected:
    void Execute() override {}

private:
    std::atomic<bool>* FDestroyed;
};

template <class Predicate> bool Eventually(Predicate predicate) {
    for (int i = 0; i < 5000; ++i) {
        if (predicate())
            return true;
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

TEST(ThreadTest, CreatedRunningStartsAndStopsOnTerminate) {
    auto* thread = platform::NewThread<Spinner>(false);
    EXPECT_FALSE(thread->Suspended());
    EXPECT_TRUE(Eventually([&] { return thread->Turns.load() > 0; }));
    thread->Terminate();
    EXPECT_TRUE(thread->Terminated());
    thread->WaitFor();
    EXPECT_TRUE(thread->Finished());
    delete thread;
}

TEST(ThreadTest, CreatedSuspendedRunsOnlyAfterStart) {
    Spinner thread(true);
    thread.AfterConstruction();
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(thread.Suspended());
    EXPECT_EQ(thread.Turns.load(), 0);
    thread.Start();
    EXPECT_TRUE(Eventually([&] { return thread.Turns.load() > 0; }));
    thread.Terminate();
}

TEST(ThreadTest, DestructorTerminatesAndWaitsForRunningThread) {
    std::atomic<bool> destroyed{false};
    auto* thread = platform::NewThread<Spinner>(false, &destroyed);
    ASSERT_TRUE(Eventually([&] { return thread->Turns.load() > 0; }));
    delete thread; // must not hang, must not leave Execute running on freed memory
    EXPECT_TRUE(destroyed.load());
}

TEST(ThreadTest, FreeOnTerminateDeletesItselfWhenExecuteReturns) {
    std::atomic<bool> destroyed{false};
    auto* thread = new OneShot(&destroyed);
    thread->FreeOnTerminate = true;
    thread->Start();
    EXPECT_TRUE(Eventually([&] { return destroyed.load(); }));
}

// Busy until told to stop, then frees itself at once: the race between a
// Terminate() still signalling and the object going away.
class FreesItselfWhenTold : public platform::TThread {
public:
    explicit FreesItselfWhenTold(std::atomic<int>* destroyed)
        : TThread(true), FDestroyed(destroyed) {
        FreeOnTerminate = true;
    }
    ~FreesItselfWhenTold() override { FDestroyed->fetch_add(1); }

protected:
    void Execute() override {
        while (!Terminated())
            std::this_thread::yield();
    }

private:
    std::atomic<int>* FDestroyed;
};

TEST(ThreadTest, TerminatingASelfFreeingThreadNeverOutlivesIt) {
    constexpr int kRounds = 300;
    std::atomic<int> destroyed{0};
    for (int i = 0; i < kRounds; ++i) {
        auto* thread = new FreesItselfWhenTold(&destroyed);
        thread->Start();
        thread->Terminate(); // the sanitizers watch this call against the self-delete
    }
    EXPECT_TRUE(Eventually([&] { return destroyed.load() == kRounds; }));
}

TEST(ThreadTest, NeverStartedThreadDestroysQuietly) {
    std::atomic<bool> destroyed{false};
    { Spinner thread(true, &destroyed); }
    EXPECT_TRUE(destroyed.load());
}

} // namespace
