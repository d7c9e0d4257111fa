#pragma once

#include "Message.h"

#include <cstdint>
#include <memory>

namespace platform {

// The address other threads use to reach a window: a message posted through it
// is queued for the window's thread and handled there in posting order. Once
// the window has gone, posting fails and delivers nothing.
class WindowHandle {
public:
    virtual ~WindowHandle() = default;
    // Any thread. False when the window no longer exists.
    virtual bool Post(const TMessage& message) = 0;
};

using HWND = std::shared_ptr<WindowHandle>;

// Queues a message for the window; false (and nothing delivered) when the
// handle is empty or its window has gone.
inline bool PostMessage(const HWND& window, std::uint32_t msg, std::int32_t wParam,
                        std::int32_t lParam) {
    return window && window->Post(TMessage{msg, wParam, lParam, 0});
}

} // namespace platform
