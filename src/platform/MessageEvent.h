#pragma once

#include "Message.h"

#include <QEvent>

namespace platform {

// A posted window message on its way through the Qt event queue.
class MessageEvent final : public QEvent {
public:
    explicit MessageEvent(const TMessage& message) : QEvent(EventType()), Message(message) {}

    static QEvent::Type EventType();

    TMessage Message;
};

} // namespace platform
