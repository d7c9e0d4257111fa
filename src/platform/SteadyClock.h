#pragma once

#include <chrono>
#include <cstdint>

namespace platform {

// Nanoseconds of the steady (monotonic) clock: the time base the audio side
// places starts on.
inline std::int64_t SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace platform
