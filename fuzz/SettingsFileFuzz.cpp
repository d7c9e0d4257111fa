// Feeds arbitrary bytes to the settings file reader and writer: reading must
// not fail, and after a write the key must read back as written while every
// other section's value is unchanged.
#include "platform/IntegerText.h"
#include "platform/ProfileText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"top", "port", "COM1"}) {
        if (const auto value = platform::FindProfileValue(text, "main", key))
            (void)platform::ParseInteger(*value);
    }
    const auto otherBefore = platform::FindProfileValue(text, "setup", "port");
    const std::string written = platform::SetProfileValue(text, "main", "top", "107");
    const auto readBack = platform::FindProfileValue(written, "MAIN", "Top");
    if (!readBack || *readBack != "107")
        std::abort();
    if (platform::FindProfileValue(written, "setup", "port") != otherBefore)
        std::abort();
    return 0;
}
