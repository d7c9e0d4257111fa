#include "QtWindowHandle.h"

#include "MessageEvent.h"

#include <QCoreApplication>

namespace platform {

QEvent::Type MessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool QtWindowHandle::Post(const TMessage& message) {
    std::lock_guard lock(FMutex);
    if (FWindow == nullptr)
        return false;
    QCoreApplication::postEvent(FWindow, new MessageEvent(message));
    return true;
}

void QtWindowHandle::Close() {
    std::lock_guard lock(FMutex);
    FWindow = nullptr;
}

} // namespace platform
