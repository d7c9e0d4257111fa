#include "ExecutablePath.h"

#include <climits>
#include <unistd.h>

namespace platform {

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "./";
    const std::string executable(path, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/') + 1);
}

} // namespace platform
