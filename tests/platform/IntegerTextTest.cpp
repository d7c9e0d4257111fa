#include "platform/IntegerText.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct Case {
    const char* text;
    std::optional<std::int32_t> expected;
};

class ParseIntegerTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseIntegerTest, ReadsWholeTextOrNothing) {
    EXPECT_EQ(platform::ParseInteger(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseIntegerTest,
    ::testing::Values(Case{"107", 107}, Case{"0", 0}, Case{"-5", -5}, Case{"+7", 7},
                      Case{"0x200", 512}, Case{"0X1f", 31}, Case{"$1F", 31}, Case{"-$10", -16},
                      Case{"2147483647", 2147483647}, Case{"-2147483648", INT32_MIN},
                      Case{"$FFFFFFFF", -1}, Case{"0x7fffffff", 2147483647},
                      // Outside 32 bits, or not a number as a whole.
                      Case{"2147483648", std::nullopt}, Case{"-2147483649", std::nullopt},
                      Case{"$100000000", std::nullopt}, Case{"99999999999999999999", std::nullopt},
                      Case{"", std::nullopt}, Case{"abc", std::nullopt}, Case{"12a", std::nullopt},
                      Case{"1 2", std::nullopt}, Case{"0x", std::nullopt}, Case{"$", std::nullopt},
                      Case{"-", std::nullopt}, Case{"0xG", std::nullopt}, Case{"1.5", std::nullopt},
                      Case{"--1", std::nullopt}));

} // namespace
