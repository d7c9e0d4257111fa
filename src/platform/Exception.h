#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// The error that an event handler may raise; the application shows its
// message in an error box and carries on.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A settings file that could not be written. The message names the file.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

} // namespace platform
