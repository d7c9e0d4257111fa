#pragma once

#include <string>

namespace platform {

// The directory of the running executable, with its trailing "/", whatever
// the working directory is.
std::string ExecutableDirectory();

} // namespace platform
