#pragma once

#include "WindowHandle.h"

#include <mutex>

class QObject;

namespace platform {

// A window handle that queues messages as Qt events for a widget's thread.
class QtWindowHandle final : public WindowHandle {
public:
    explicit QtWindowHandle(QObject* window) : FWindow(window) {}

    bool Post(const TMessage& message) override;
    // The window's thread, before the window is destroyed.
    void Close();

private:
    // Written by Close() on the window's thread, read by posting threads. The
    // lock makes "still there" and "queue the event" one step, so no event is
    // ever queued for a window being destroyed.
    std::mutex FMutex;
    QObject* FWindow;
};

} // namespace platform
