#pragma once

#include "WindowHandle.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

class QObject;
class QSocketNotifier;

namespace platform {

// A window handle that queues messages for the window's thread. The messages
// wait in the handle's own queue and an eventfd wakes the window's event
// loop, so nothing of Qt's crosses threads: the queue's lock is the one
// hand-over, and the thread sanitizer sees all of it.
//
// The window takes a batch of messages, one by one, and is woken again if
// more are left, behind its other events. So a flood of messages (a bouncing
// key) keeps its timers, input and painting waiting for one batch at most,
// not until the whole flood is through.
class QtWindowHandle final : public WindowHandle {
public:
    // Messages the window handles before its other events get a turn.
    static constexpr int kBatch = 64;

    // Made on the window's thread; onWake runs there when messages wait.
    QtWindowHandle(QObject* window, std::function<void()> onWake);
    ~QtWindowHandle() override;
    QtWindowHandle(const QtWindowHandle&) = delete;
    QtWindowHandle& operator=(const QtWindowHandle&) = delete;

    bool Post(const TMessage& message) override;

    // The window's thread, when woken: the next message in posting order, or
    // none when the queue is empty.
    std::optional<TMessage> TakeNext();
    // The window's thread, after a whole batch: wakes it again if messages are left.
    void ContinueLater();
    // Messages posted and not yet taken.
    std::size_t Queued();
    // The window's thread, before the window is destroyed: messages still
    // queued are dropped and later posts fail.
    void Close();

private:
    void Wake();

    const int FEventFd;
    QSocketNotifier* FNotifier; // the window's thread only; owned until Close()
    // The lock makes "still there" and "queue the message" one step, so no
    // message is ever queued for a window being destroyed.
    std::mutex FMutex;
    bool FOpen = true;
    std::deque<TMessage> FQueue;
    // The window has been woken and not yet found the queue empty: a post
    // need not wake it again.
    bool FWindowTold = false;
};

} // namespace platform
