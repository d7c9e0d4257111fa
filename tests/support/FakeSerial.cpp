#include "FakeSerial.h"

namespace testing_support {

namespace {

class FakeLine final : public platform::SerialLine {
public:
    explicit FakeLine(std::shared_ptr<FakeSerialPorts::Device> device)
        : FDevice(std::move(device)) {
        FSeenChanges = FDevice->Changes;
    }
    ~FakeLine() override { Close(); }

    bool ApplyLineSettings() override {
        std::lock_guard lock(FDevice->Mutex);
        if (FClosed)
            return false;
        FDevice->Dtr = true;
        return true;
    }

    bool WaitDsrChange() override {
        std::unique_lock lock(FDevice->Mutex);
        ++FDevice->WaitCalls;
        ++FDevice->Waiters;
        FDevice->ChangesSeenByWaiter = FSeenChanges;
        FDevice->Changed.notify_all();
        FDevice->Changed.wait(lock, [&] {
            return FClosed || FDevice->Unplugged || FDevice->Changes != FSeenChanges;
        });
        --FDevice->Waiters;
        if (FClosed || FDevice->Unplugged)
            return false;
        FSeenChanges = FDevice->Changes;
        ++FDevice->Reports;
        return true;
    }

    bool Dsr() override {
        std::function<void()> hook;
        {
            std::lock_guard lock(FDevice->Mutex);
            hook = FDevice->BeforeDsrRead;
        }
        if (hook)
            hook();
        std::lock_guard lock(FDevice->Mutex);
        return !FClosed && !FDevice->Unplugged && FDevice->Dsr;
    }

    int Write(const void*, int length) override {
        std::lock_guard lock(FDevice->Mutex);
        return FClosed || FDevice->Unplugged ? -1 : length;
    }

    int Read(void*, int, int) override {
        std::lock_guard lock(FDevice->Mutex);
        return FClosed || FDevice->Unplugged ? -1 : 0; // nothing ever arrives
    }

    void Purge() override {}

    void Close() override {
        std::lock_guard lock(FDevice->Mutex);
        if (FClosed)
            return;
        FClosed = true;
        FDevice->Dtr = false;
        --FDevice->OpenLines;
        FDevice->Changed.notify_all();
    }

private:
    const std::shared_ptr<FakeSerialPorts::Device> FDevice;
    bool FClosed = false;           // guarded by the device's mutex
    unsigned long FSeenChanges = 0; // guarded by the device's mutex
};

} // namespace

template <class Use> auto FakeSerialPorts::Locked(int port, Use use) {
    const std::shared_ptr<Device> device = DeviceOf(port);
    std::lock_guard lock(device->Mutex);
    return use(*device);
}

std::shared_ptr<FakeSerialPorts::Device> FakeSerialPorts::DeviceOf(int port) {
    std::lock_guard lock(FMutex);
    auto& device = FDevices[port];
    if (!device)
        device = std::make_shared<Device>();
    return device;
}

std::string FakeSerialPorts::DevicePath(int portNumber) const {
    return portNumber > 0 ? "fake:COM" + std::to_string(portNumber) : std::string();
}

std::unique_ptr<platform::SerialLine> FakeSerialPorts::Open(int portNumber) {
    if (portNumber <= 0)
        return nullptr;
    const auto device = DeviceOf(portNumber);
    std::lock_guard lock(device->Mutex);
    if (device->Missing || device->HeldElsewhere || device->OpenLines > 0)
        return nullptr;
    ++device->OpenLines;
    return std::make_unique<FakeLine>(device);
}

void FakeSerialPorts::SetDsr(int port, bool level) {
    const auto device = DeviceOf(port);
    std::lock_guard lock(device->Mutex);
    if (device->Dsr == level)
        return;
    device->Dsr = level;
    ++device->Changes;
    device->Changed.notify_all();
}

bool FakeSerialPorts::Dsr(int port) {
    return Locked(port, [](Device& device) { return device.Dsr; });
}

bool FakeSerialPorts::Dtr(int port) {
    return Locked(port, [](Device& device) { return device.Dtr; });
}

int FakeSerialPorts::OpenLines(int port) {
    return Locked(port, [](Device& device) { return device.OpenLines; });
}

int FakeSerialPorts::WaitCalls(int port) {
    return Locked(port, [](Device& device) { return device.WaitCalls; });
}

void FakeSerialPorts::AwaitWaiter(int port) {
    const auto device = DeviceOf(port);
    std::unique_lock lock(device->Mutex);
    device->Changed.wait(lock, [&] { return device->Waiters > 0; });
}

void FakeSerialPorts::AwaitChangesTaken(int port) {
    const auto device = DeviceOf(port);
    std::unique_lock lock(device->Mutex);
    device->Changed.wait(lock, [&] {
        return device->Waiters > 0 && device->ChangesSeenByWaiter == device->Changes;
    });
}

int FakeSerialPorts::Reports(int port) {
    return Locked(port, [](Device& device) { return device.Reports; });
}

void FakeSerialPorts::SetMissing(int port, bool missing) {
    Locked(port, [&](Device& device) { device.Missing = missing; });
}

void FakeSerialPorts::SetHeldElsewhere(int port, bool held) {
    Locked(port, [&](Device& device) { device.HeldElsewhere = held; });
}

void FakeSerialPorts::Unplug(int port) {
    const auto device = DeviceOf(port);
    std::lock_guard lock(device->Mutex);
    device->Unplugged = true;
    device->Changed.notify_all();
}

void FakeSerialPorts::OnDsrRead(int port, std::function<void()> hook) {
    Locked(port, [&](Device& device) { device.BeforeDsrRead = std::move(hook); });
}

} // namespace testing_support
