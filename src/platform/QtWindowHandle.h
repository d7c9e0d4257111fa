#pragma once

#include "WindowHandle.h"

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

class QObject;

namespace platform {

// A window handle that queues messages for a widget's thread. The messages
// wait in the handle's own queue, and one Qt event tells the window they are
// there; the window then takes a batch of them, one by one, and asks to be
// told again if more are left. So a flood of messages (a bouncing key) keeps
// the window's timers, input and painting waiting for one batch at most, not
// until the whole flood is through.
class QtWindowHandle final : public WindowHandle {
public:
    // Messages the window handles before its other events get a turn.
    static constexpr int kBatch = 64;

    explicit QtWindowHandle(QObject* window) : FWindow(window) {}

    bool Post(const TMessage& message) override;

    // The window's thread, on a MessagesWaitingEvent: the next message in
    // posting order, or none when the queue is empty.
    std::optional<TMessage> TakeNext();
    // The window's thread, after a whole batch: another event if messages are left.
    void ContinueLater();
    // Messages posted and not yet taken.
    std::size_t Queued();
    // The window's thread, before the window is destroyed: messages still
    // queued are dropped and later posts fail.
    void Close();

private:
    // The lock makes "still there" and "queue the message" one step, so no
    // message is ever queued for a window being destroyed.
    std::mutex FMutex;
    QObject* FWindow;
    std::deque<TMessage> FQueue;
    // An event is on its way, or the window is taking messages: a post need
    // not send another.
    bool FWindowTold = false;
};

} // namespace platform
