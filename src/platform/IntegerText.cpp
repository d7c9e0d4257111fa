#include "IntegerText.h"

namespace platform {

namespace {
int DigitValue(char c, unsigned radix) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value >= 0 && static_cast<unsigned>(value) < radix ? value : -1;
}
} // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned radix = 10;
    if (i < text.size() && text[i] == '$') {
        radix = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        radix = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;

    const std::uint64_t limit =
        radix == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], radix);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * radix + static_cast<unsigned>(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

} // namespace platform
