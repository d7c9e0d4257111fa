#pragma once

#include <memory>
#include <string>

namespace platform {

// One open serial device, as the key input uses it: DTR driven, DSR read and
// waited on. The object stays valid after Close(); every call on a closed or
// vanished device fails and never reaches another device.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Raw 9600 baud with the receiver on and modem control ignored; DTR
    // asserted until Close(). False when the device refused a setting.
    virtual bool ApplyLineSettings() = 0;

    // Blocks until DSR changes; a change since the previous wait returns at
    // once. False when the wait failed, the device vanished, or Close() ran
    // (from any thread: it ends a pending wait promptly).
    virtual bool WaitDsrChange() = 0;
    // True while DSR is asserted; false when closed or failing.
    virtual bool Dsr() = 0;

    // Bytes written or read, -1 on failure. Read waits at most timeoutMs in
    // total, and at most 1 ms when timeoutMs is 0 or negative.
    virtual int Write(const void* buffer, int length) = 0;
    virtual int Read(void* buffer, int length, int timeoutMs) = 0;

    // Drops whatever waits in the buffers, both ways.
    virtual void Purge() = 0;
    // Ends any pending wait, drops DTR and releases the device.
    virtual void Close() = 0;
};

// The serial ports COM1, COM2, ... as the port list numbers them.
class SerialPorts {
public:
    virtual ~SerialPorts() = default;

    // The device a port number opens; empty when there is none (port 0).
    virtual std::string DevicePath(int portNumber) const = 0;
    // Opens the port exclusively; nothing when it does not exist, another
    // program holds it, or access is denied.
    virtual std::unique_ptr<SerialLine> Open(int portNumber) = 0;
};

} // namespace platform
