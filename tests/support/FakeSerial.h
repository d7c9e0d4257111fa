#pragma once

#include "platform/SerialPort.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace testing_support {

// In-process serial ports whose DSR line a test drives. Each change of DSR is
// counted; a line's wait returns when the count moved since its previous wait,
// as the kernel's change counters make it, so changes between waits are not
// lost and several quick ones are reported once, with the level read after.
class FakeSerialPorts final : public platform::SerialPorts {
public:
    std::string DevicePath(int portNumber) const override;
    std::unique_ptr<platform::SerialLine> Open(int portNumber) override;

    // What a test controls and sees of port n.
    void SetDsr(int port, bool level);
    bool Dsr(int port);
    bool Dtr(int port);
    int OpenLines(int port);
    int WaitCalls(int port);
    // Blocks until a thread is inside the port's wait (the watcher is idle).
    void AwaitWaiter(int port);
    // Blocks until a thread waits again having taken every change made so
    // far: the next change is then reported on its own.
    void AwaitChangesTaken(int port);
    // How many waits returned a change.
    int Reports(int port);
    // A port that is not there, or that another program holds.
    void SetMissing(int port, bool missing);
    void SetHeldElsewhere(int port, bool held);
    // A device that fails every wait and read from now on (unplugged).
    void Unplug(int port);
    // Runs just before each DSR read, on the reading thread.
    void OnDsrRead(int port, std::function<void()> hook);

    struct Device;

private:
    std::shared_ptr<Device> DeviceOf(int port);
    // Runs use(device) under the device's lock and returns what it returns.
    template <class Use> auto Locked(int port, Use use);

    std::mutex FMutex; // guards FDevices
    std::map<int, std::shared_ptr<Device>> FDevices;
};

struct FakeSerialPorts::Device {
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Dsr = false;
    unsigned long Changes = 0;
    bool Dtr = false;
    int OpenLines = 0;
    int Waiters = 0;
    int WaitCalls = 0;
    int Reports = 0;
    unsigned long ChangesSeenByWaiter = 0; // by the line now waiting
    bool Missing = false;
    bool HeldElsewhere = false;
    bool Unplugged = false;
    std::function<void()> BeforeDsrRead;
};

} // namespace testing_support
