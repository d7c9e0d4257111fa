#include "KeyingLog.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kUntouched = 7;

struct Case {
    const char* line;
    std::int32_t elapsedMs;
    std::int32_t result;
    std::int32_t state;
};

class ParseLogLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseLogLineTest, ReadsLine) {
    const Case& c = GetParam();
    std::int32_t state = kUntouched;
    EXPECT_EQ(ParseLogLine(c.line, c.elapsedMs, state), c.result) << '"' << c.line << '"';
    EXPECT_EQ(state, c.state) << '"' << c.line << '"';
}

INSTANTIATE_TEST_SUITE_P(
    HandEditedLines, ParseLogLineTest,
    ::testing::Values(Case{"501\t1", 600, 0, 1}, Case{"652\t0", 600, 52, 0},
                      // Not in the format: state left as it was.
                      Case{"", 600, -1, kUntouched}, Case{"501 1", 600, -1, kUntouched},
                      Case{"a remark", 600, -1, kUntouched}, Case{"501\t2", 600, -1, kUntouched},
                      Case{"501\t", 600, -1, kUntouched}, Case{"501\t 1", 600, -1, kUntouched},
                      Case{"501\t\t1", 600, -1, kUntouched},
                      // The time: blanks, sign, digits up to the first non-digit.
                      Case{" 700\t1", 600, 100, 1}, Case{"+700\t1", 600, 100, 1},
                      Case{"-5\t1", 600, 0, 1}, Case{"700ms\t0", 600, 100, 0},
                      Case{"700.9\t0", 600, 100, 0}, Case{"700\t1\tremark", 600, 100, 1},
                      Case{"700\t10", 600, 100, 1}, Case{"word\t0", 600, 0, 0},
                      Case{"\t1", 600, 0, 1}, Case{"\t1", 0, 1, 1}));

INSTANTIATE_TEST_SUITE_P(
    TimesBeyond32Bits, ParseLogLineTest,
    ::testing::Values(Case{"2147483647\t1", 0, INT_MAX, 1}, Case{"2147483648\t1", 0, INT_MAX, 1},
                      Case{"99999999999999999999999999\t1", 600, INT_MAX - 600, 1},
                      Case{"-99999999999999999999999999\t0", 600, 0, 0},
                      Case{"-2147483648\t0", INT_MIN, 0, 0},
                      // The wait saturates too when the elapsed time is negative.
                      Case{"2147483647\t1", -10, INT_MAX, 1}));

TEST(KeyingLogTest, LinesAreWrittenAsTimeTabState) {
    EXPECT_EQ(FormatLogLine(0, 1), "0\t1");
    EXPECT_EQ(FormatLogLine(51, 0), "51\t0");
    EXPECT_EQ(FormatLogLine(-3, 1), "-3\t1");
    EXPECT_EQ(FormatLogLine(INT_MAX, 0), "2147483647\t0");
}

TEST(KeyingLogTest, SampleIsFourteenLinesThatReadBack) {
    const std::vector<std::pair<int, int>> expected = {
        {501, 1}, {552, 0},  {602, 1},  {652, 0},  {702, 1},  {754, 0},  {804, 1},
        {855, 0}, {1102, 1}, {1152, 0}, {1202, 1}, {1355, 0}, {1403, 1}, {1455, 0}};
    std::istringstream sample(SampleKeyingLog);
    std::string line;
    std::vector<std::pair<int, int>> read;
    while (std::getline(sample, line)) {
        std::int32_t state = -1;
        const std::int32_t wait = ParseLogLine(line.c_str(), 0, state);
        read.emplace_back(wait, state);
        EXPECT_EQ(line, FormatLogLine(wait, state)) << "written as recording writes it";
    }
    EXPECT_EQ(read, expected);
    EXPECT_EQ(std::string(SampleKeyingLog).back(), '\n');
}

} // namespace
