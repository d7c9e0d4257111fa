#pragma once

#include "platform/WindowHandle.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace testing_support {

// A window handle that keeps what is posted to it, for threads that post
// without a GUI around them.
class RecordingWindow final : public platform::WindowHandle {
public:
    bool Post(const platform::TMessage& message) override {
        std::lock_guard lock(FMutex);
        FMessages.push_back(message);
        FPosted.notify_all();
        return true;
    }

    // Waits until at least count messages arrived (or a generous limit passed,
    // so a fault fails the test instead of hanging it), and returns them all.
    std::vector<platform::TMessage> AwaitMessages(std::size_t count) {
        std::unique_lock lock(FMutex);
        FPosted.wait_for(lock, std::chrono::seconds(10), [&] { return FMessages.size() >= count; });
        return FMessages;
    }

    std::vector<platform::TMessage> Messages() {
        std::lock_guard lock(FMutex);
        return FMessages;
    }

private:
    std::mutex FMutex;
    std::condition_variable FPosted;
    std::vector<platform::TMessage> FMessages;
};

} // namespace testing_support
