#include "platform/ProfileText.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

namespace {

using platform::FindProfileValue;
using platform::SetProfileValue;

// A test name from a case's description: letters and digits, "_" for the rest.
const auto CaseName = [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
};

struct FindCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

class FindProfileValueTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindProfileValueTest, Finds) {
    const FindCase& c = GetParam();
    EXPECT_EQ(FindProfileValue(c.text, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FindProfileValueTest,
    ::testing::Values(
        FindCase{"plain", "[main]\ntop=107\n", "main", "top", "107"},
        FindCase{"names ignore case", "[MAIN]\nTop=5\n", "main", "tOP", "5"},
        FindCase{"blanks around names and value", "  [ main ]  \n  top  =  12  \n", "main", "top",
                 "12"},
        FindCase{"quotes removed", "[main]\ntop=\"12\"\n", "main", "top", "12"},
        FindCase{"crlf lines", "[main]\r\ntop=3\r\n", "main", "top", "3"},
        FindCase{"first key wins", "[main]\ntop=1\ntop=2\n", "main", "top", "1"},
        FindCase{"first section wins", "[main]\ntop=1\n[main]\ntop=2\nleft=9\n", "main", "left",
                 std::nullopt},
        FindCase{"other section's key", "[setup]\ntop=1\n[main]\n", "main", "top", std::nullopt},
        FindCase{"key before any section", "top=1\n[main]\n", "main", "top", std::nullopt},
        FindCase{"commented out", "[main]\n;top=1\n", "main", "top", std::nullopt},
        FindCase{"empty value", "[main]\ntop=\n", "main", "top", ""},
        FindCase{"no last line end", "[main]\ntop=8", "main", "top", "8"},
        FindCase{"missing section", "", "main", "top", std::nullopt}),
    CaseName);

struct SetCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

class SetProfileValueTest : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetProfileValueTest, ChangesOnlyTheKey) {
    const SetCase& c = GetParam();
    EXPECT_EQ(SetProfileValue(c.before, c.section, c.key, c.value), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetProfileValueTest,
    ::testing::Values(
        SetCase{"new file", "", "main", "top", "107", "[main]\ntop=107\n"},
        SetCase{"replaced in place", "; mine\n[main]\nleft=1\ntop=2\nx=y\n", "MAIN", "Top", "7",
                "; mine\n[main]\nleft=1\ntop=7\nx=y\n"},
        SetCase{"added at end of section before blank lines", "[main]\ntop=1\n\n[other]\nk=v\n",
                "main", "left", "5", "[main]\ntop=1\nleft=5\n\n[other]\nk=v\n"},
        SetCase{"section appended", "[other]\nk=v\n", "setup", "port", "0",
                "[other]\nk=v\n[setup]\nport=0\n"},
        SetCase{"last line without line end", "[main]\ntop=1", "main", "left", "2",
                "[main]\ntop=1\nleft=2\n"},
        SetCase{"key after a last line ending in a lone CR", "[main]\nx=1\r", "main", "top", "7",
                "[main]\nx=1\r\ntop=7\n"},
        SetCase{"section after a last line ending in a lone CR", "[a]\r\nk=v\r", "main", "top", "7",
                "[a]\r\nk=v\r\n[main]\r\ntop=7\r\n"},
        SetCase{"crlf kept", "[main]\r\ntop=1\r\n", "main", "top", "9", "[main]\r\ntop=9\r\n"},
        SetCase{"crlf used for new lines", "[main]\r\ntop=1\r\n", "setup", "port", "3",
                "[main]\r\ntop=1\r\n[setup]\r\nport=3\r\n"},
        SetCase{"first of duplicates changed", "[main]\ntop=1\ntop=2\n", "main", "top", "5",
                "[main]\ntop=5\ntop=2\n"},
        SetCase{"empty section gets key", "[main]\n[setup]\n", "main", "top", "1",
                "[main]\ntop=1\n[setup]\n"}),
    CaseName);

} // namespace
