#include "QtWindowHandle.h"

#include "MessagesWaitingEvent.h"

#include <QCoreApplication>

namespace platform {

QEvent::Type MessagesWaitingEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool QtWindowHandle::Post(const TMessage& message) {
    std::lock_guard lock(FMutex);
    if (FWindow == nullptr)
        return false;
    FQueue.push_back(message);
    if (!FWindowTold) {
        FWindowTold = true;
        QCoreApplication::postEvent(FWindow, new MessagesWaitingEvent);
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
    if (FWindow == nullptr || FQueue.empty()) {
        FWindowTold = false;
        return;
    }
    // Behind whatever else the window's thread has queued meanwhile.
    QCoreApplication::postEvent(FWindow, new MessagesWaitingEvent);
}

std::size_t QtWindowHandle::Queued() {
    std::lock_guard lock(FMutex);
    return FQueue.size();
}

void QtWindowHandle::Close() {
    std::lock_guard lock(FMutex);
    FWindow = nullptr;
    FQueue.clear();
}

} // namespace platform
