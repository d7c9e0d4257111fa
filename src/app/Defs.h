#pragma once

#include "platform/SerialPort.h"

#include <atomic>
#include <memory>
#include <string>

// Error codes of the serial port; ErrorText gives their texts.
enum : int {
    ceNone = 0,
    ceAlreadyOpen = 1,
    ceOpenError = 2,
    ceDeviceClosed = 3,
    ceWriteError = 4,
    ceReadError = 5,
};

// The serial port the key is wired to: DTR asserted while open, the key read
// on DSR. Opened and closed on the GUI thread; the key watcher waits on it
// and reads DSR from its own thread.
class TCommPort {
public:
    explicit TCommPort(platform::SerialPorts& Ports) : FPorts(Ports) {}
    virtual ~TCommPort() { TCommPort::Close(); }

    TCommPort(const TCommPort&) = delete;
    TCommPort& operator=(const TCommPort&) = delete;

    virtual bool Open(int portNumber);
    virtual bool Setup();
    virtual void Close();
    virtual int Write(const void* buffer, int length);
    virtual int Read(void* buffer, int length, int timeoutMs);

    // Any thread. False when the port is closed, the wait failed, or Close()
    // ran meanwhile.
    bool WaitDsrChange();
    // Any thread. True while DSR is asserted; false when closed or failing.
    bool GetDsr();

    static std::string ErrorText(int code);

    bool IsOpen() const { return FHandle.load() != nullptr; }

    // The open device, null exactly while the port is closed. Written by the
    // GUI thread (Open, Close); read by the key watcher before every wait.
    std::atomic<platform::SerialLine*> FHandle{nullptr};
    // The last failure; kept until the next one. GUI thread only.
    int FError = ceNone;

private:
    platform::SerialPorts& FPorts;
    // GUI thread: the device FHandle points at while open, and the one closed
    // last. A watcher that loaded FHandle just before Close() still calls into
    // a live (closed) device, whose calls then fail; by the next Close() that
    // watcher has long been waited for.
    std::unique_ptr<platform::SerialLine> FLine;
    std::unique_ptr<platform::SerialLine> FClosedLine;
};
