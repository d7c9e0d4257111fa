#pragma once

#include <cstdint>

namespace platform {

// First message number of the range a window may use for its own messages.
constexpr std::uint32_t WM_USER = 0x0400;

// A message as the window's dispatcher receives it: four 32-bit words.
struct TMessage {
    std::uint32_t Msg = 0;
    std::int32_t WParam = 0;
    std::int32_t LParam = 0;
    std::int32_t Result = 0;
};

} // namespace platform
