#pragma once

#include "MultimediaTimers.h"
#include "SerialPort.h"
#include "WaveOut.h"

#include <string>

namespace platform {

class MessageBoxes;

// What the main window takes from the machine, chosen once at start-up: the
// real implementations in the program, doubles in tests.
struct Services {
    MultimediaTimers& Timers;
    SerialPorts& Serial;
    WaveOut& Audio;
    MessageBoxes& Messages;
    // Where the settings file lives; ends with "/".
    std::string ExecutableDirectory;
};

} // namespace platform
