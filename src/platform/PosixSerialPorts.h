#pragma once

#include "IniFile.h"
#include "SerialPort.h"

namespace platform {

// COMn as the user sees it, mapped to a device: "[ports] COMn=/dev/..." in the
// settings file, or else /dev/ttyUSB(n-1), the name of the n-th USB adapter.
// Port 0 (nothing selected) opens nothing. The mapping is read at every open,
// so an edit of the file takes effect at the next Open.
class PosixSerialPorts final : public SerialPorts {
public:
    explicit PosixSerialPorts(std::string settingsFile) : FSettings(std::move(settingsFile)) {}

    std::string DevicePath(int portNumber) const override;
    std::unique_ptr<SerialLine> Open(int portNumber) override;

private:
    TIniFile FSettings;
};

} // namespace platform
