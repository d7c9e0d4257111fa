// Feeds arbitrary text to the keying log reader: every line, against a few
// elapsed times, must read without undefined behaviour, and its result must
// keep its promises.
#include "KeyingLog.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(begin, end - begin);
        for (std::int32_t elapsed : {INT32_MIN, -1, 0, 600, INT32_MAX}) {
            std::int32_t state = 7;
            const std::int32_t result = ParseLogLine(line.c_str(), elapsed, state);
            if (result < -1 || (result == -1 && state != 7) ||
                (result >= 0 && state != 0 && state != 1))
                std::abort();
        }
        begin = end + 1;
    }
    return 0;
}
