#include "PosixSerialPorts.h"

#include "PosixSerialLine.h"

namespace platform {

std::string PosixSerialPorts::DevicePath(int portNumber) const {
    if (portNumber <= 0)
        return std::string();
    return FSettings.ReadString("ports", "COM" + std::to_string(portNumber),
                                "/dev/ttyUSB" + std::to_string(portNumber - 1));
}

std::unique_ptr<SerialLine> PosixSerialPorts::Open(int portNumber) {
    const std::string path = DevicePath(portNumber);
    if (path.empty())
        return nullptr;
    return PosixSerialLine::Open(path);
}

} // namespace platform
