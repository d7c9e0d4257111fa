#include "KeyingLog.h"

#include <cstdio>
#include <cstring>
#include <limits>

const char* const SampleKeyingLog = "501\t1\n"
                                    "552\t0\n"
                                    "602\t1\n"
                                    "652\t0\n"
                                    "702\t1\n"
                                    "754\t0\n"
                                    "804\t1\n"
                                    "855\t0\n"
                                    "1102\t1\n"
                                    "1152\t0\n"
                                    "1202\t1\n"
                                    "1355\t0\n"
                                    "1403\t1\n"
                                    "1455\t0\n";

std::string FormatLogLine(std::int32_t timeMs, std::int32_t state) {
    char line[32];
    std::snprintf(line, sizeof line, "%d\t%d", static_cast<int>(timeMs), static_cast<int>(state));
    return line;
}

namespace {

bool IsLogWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::int32_t ClampToInt32(std::int64_t value) {
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lowest ? lowest : (value > highest ? highest : value));
}

std::int32_t ReadLogTime(const char* text) {
    while (IsLogWhiteSpace(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    // Accumulated in 64 bits and capped just past the 32-bit range, so a time
    // of any length saturates instead of overflowing.
    constexpr std::int64_t cap = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > cap)
            magnitude = cap;
    }
    return ClampToInt32(negative ? -magnitude : magnitude);
}

} // namespace

std::int32_t ParseLogLine(const char* line, std::int32_t elapsedMs, std::int32_t& state) {
    const char* tab = std::strchr(line, '\t');
    if (tab == nullptr || (tab[1] != '0' && tab[1] != '1'))
        return -1;
    state = tab[1] == '1' ? 1 : 0;
    const std::int32_t time = ReadLogTime(line);
    if (elapsedMs < time)
        return ClampToInt32(std::int64_t{time} - elapsedMs);
    return 0;
}
