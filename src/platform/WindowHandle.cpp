#include "WindowHandle.h"

#include "MessageEvent.h"

#include <QCoreApplication>

namespace platform {

QEvent::Type MessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool WindowHandle::Post(const TMessage& message) {
    std::lock_guard lock(FMutex);
    if (FWindow == nullptr)
        return false;
    QCoreApplication::postEvent(FWindow, new MessageEvent(message));
    return true;
}

void WindowHandle::Close() {
    std::lock_guard lock(FMutex);
    FWindow = nullptr;
}

bool WindowHandle::IsOpen() const {
    std::lock_guard lock(FMutex);
    return FWindow != nullptr;
}

bool PostMessage(const HWND& window, std::uint32_t msg, std::int32_t wParam, std::int32_t lParam) {
    return window && window->Post(TMessage{msg, wParam, lParam, 0});
}

} // namespace platform
