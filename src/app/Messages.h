#pragma once

#include "platform/Message.h"

#include <cstdint>

// Private messages of the main window.
constexpr std::uint32_t WM_PLAYSTEP = platform::WM_USER + 1;      // no payload
constexpr std::uint32_t WM_KEYCHANGE = platform::WM_USER + 0x100; // wParam state, lParam ms
