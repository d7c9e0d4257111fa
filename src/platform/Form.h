#pragma once

#include "Message.h"
#include "QtWindowHandle.h"

#include <QMainWindow>
#include <QSize>

#include <optional>

namespace platform {

// Base of the program's main window: it owns the window handle through which
// other threads post messages, routes posted messages to Dispatch(), reports
// the orderly hide at shutdown, and keeps the window's outer bounds (frame
// included) as the settings store them.
class TForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;

    // The handle other threads post to; it stops accepting messages when the
    // window is destroyed.
    HWND Handle() const { return FHandle; }
    // Whether posted messages still wait to be handled.
    bool MessagesWaiting() const { return FHandle->Queued() > 0; }

    // The message map. The base hands every message on to DefaultHandler().
    virtual void Dispatch(void* Message);

    // Outer bounds in screen pixels, the frame included where there is one.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left);
    void SetTop(int top);
    void SetWidth(int width);
    void SetHeight(int height);
    void SetBounds(int left, int top, int width, int height);

    // Asks the window to close; granted, it hides (running FormHide) and, being
    // the main window, ends the message loop.
    void Close() { close(); }

signals:
    // A message that no message map took, handed on to the default handling.
    void MessageHandedOn(platform::TMessage message);

protected:
    // The platform's own handling of a message no message map took. Window
    // messages of our own range have no meaning here, so it only reports them.
    virtual void DefaultHandler(TMessage& message);

    // The hide event: runs once, when the window is hidden at shutdown.
    // Minimising or the desktop unmapping the window does not count.
    virtual void DoHide() {}

    bool event(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Hands the messages waiting in the handle's queue to Dispatch(), a batch at a time.
    void DeliverMessages();
    QSize FrameExtra() const;
    void ApplyOuterSize();

    std::shared_ptr<QtWindowHandle> FHandle;
    // The outer size asked for before the window manager had told the frame's
    // size; applied again once the window is on screen and the frame is known.
    std::optional<QSize> FWantedOuterSize;
    bool FOuterSizeSettled = false;
};

} // namespace platform
