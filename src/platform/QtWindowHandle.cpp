#include "QtWindowHandle.h"

#include <QSocketNotifier>

#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

namespace {

int NewEventFd() {
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("no eventfd for the window's messages");
    return fd;
}

} // namespace

QtWindowHandle::QtWindowHandle(QObject* window, std::function<void()> onWake)
    : FEventFd(NewEventFd()), FNotifier(new QSocketNotifier(FEventFd, QSocketNotifier::Read)) {
    QObject::connect(
        FNotifier, &QSocketNotifier::activated, window, [this, onWake = std::move(onWake)] {
            std::uint64_t count = 0;
            // Reading resets the counter; the queue says what waits.
            [[maybe_unused]] const ssize_t got = ::read(FEventFd, &count, sizeof count);
            onWake();
        });
}

QtWindowHandle::~QtWindowHandle() {
    ::close(FEventFd);
}

void QtWindowHandle::Wake() {
    const std::uint64_t one = 1;
    // Only fails when the counter is already huge: the window is woken anyway.
    [[maybe_unused]] const ssize_t written = ::write(FEventFd, &one, sizeof one);
}

bool QtWindowHandle::Post(const TMessage& message) {
    std::lock_guard lock(FMutex);
    if (!FOpen)
        return false;
    FQueue.push_back(message);
    if (!FWindowTold) {
        FWindowTold = true;
        Wake();
    }
    return true;
}

std::optional<TMessage> QtWindowHandle::TakeNext() {
    std::lock_guard lock(FMutex);
    if (FQueue.empty()) {
        FWindowTold = false;
        return std::nullopt;
    }
    const TMessage message = FQueue.front();
    FQueue.pop_front();
    return message;
}

void QtWindowHandle::ContinueLater() {
    std::lock_guard lock(FMutex);
    if (!FOpen || FQueue.empty()) {
        FWindowTold = false;
        return;
    }
    // Seen at the event loop's next turn, after what is ready meanwhile.
    Wake();
}

std::size_t QtWindowHandle::Queued() {
    std::lock_guard lock(FMutex);
    return FQueue.size();
}

void QtWindowHandle::Close() {
    {
        std::lock_guard lock(FMutex);
        FOpen = false;
        FQueue.clear();
    }
    delete FNotifier;
    FNotifier = nullptr;
}

} // namespace platform
