#pragma once

#include <cstdint>
#include <string>

// The keying log: one line per key change, "time<TAB>state", the time in
// milliseconds from the recording's origin and the state 1 (down) or 0 (up).

// The log a new window starts with: fourteen lines, each ended by a line break.
extern const char* const SampleKeyingLog;

// One line as recording writes it.
std::string FormatLogLine(std::int32_t timeMs, std::int32_t state);

// Reads one line against the time since playback started. Returns -1 when the
// line is not in the format (no TAB, or no "0"/"1" right after the first TAB),
// leaving state untouched; otherwise sets state and returns 0 when the line is
// due or the milliseconds until it is.
//
// The time is read from the start of the line after white space, with an
// optional sign, up to the first non-digit. A time too long for 32 bits
// saturates at the nearest 32-bit value, and so does the wait.
std::int32_t ParseLogLine(const char* line, std::int32_t elapsedMs, std::int32_t& state);
