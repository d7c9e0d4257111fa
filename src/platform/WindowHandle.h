#pragma once

#include "Message.h"

#include <memory>
#include <mutex>

class QObject;

namespace platform {

// The address other threads use to reach a window: a message posted through it
// is queued for the window's thread and handled there in posting order. Once
// the window has gone, posting fails and delivers nothing.
class WindowHandle {
public:
    explicit WindowHandle(QObject* window) : FWindow(window) {}

    // Any thread. False when the window no longer exists.
    bool Post(const TMessage& message);
    // The window's thread, before the window is destroyed.
    void Close();
    bool IsOpen() const;

private:
    // Written by Close() on the window's thread, read by posting threads. The
    // lock makes "still there" and "queue the event" one step, so no event is
    // ever queued for a window being destroyed.
    mutable std::mutex FMutex;
    QObject* FWindow;
};

using HWND = std::shared_ptr<WindowHandle>;

// Queues a message for the window; false (and nothing delivered) when the
// handle is empty or its window has gone.
bool PostMessage(const HWND& window, std::uint32_t msg, std::int32_t wParam, std::int32_t lParam);

} // namespace platform
