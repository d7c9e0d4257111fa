#pragma once

#include <QApplication>

#include <exception>
#include <functional>
#include <string>

namespace platform {

// The program's application object. An exception that escapes an event
// handler is caught here, shown in an error box, and the program carries on
// with the next event.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the error box for an exception (or hands it to the sink a test set).
    static void ShowException(const std::string& message);

    // Runs an event handler, showing any exception it raises.
    template <class Handler> static void Guarded(Handler&& handler) {
        try {
            handler();
        } catch (const std::exception& error) {
            ShowException(error.what());
        }
    }

    // Replaces the error box, so tests can record instead of blocking on it.
    // An empty sink restores the box.
    using ExceptionSink = std::function<void(const std::string& message)>;
    static void SetExceptionSink(ExceptionSink sink);
};

} // namespace platform
