#pragma once

#include <QEvent>

namespace platform {

// Tells a window that posted messages wait in its handle's queue.
class MessagesWaitingEvent final : public QEvent {
public:
    MessagesWaitingEvent() : QEvent(EventType()) {}

    static QEvent::Type EventType();
};

} // namespace platform
