#include "base/TextEncoding.h"

#include <gtest/gtest.h>

namespace
{
struct SEncodingCase
{
    std::string strWindows1252;
    std::string strDisplay;
};

class TextEncodingTest : public testing::TestWithParam<SEncodingCase>
{
};

TEST_P(TextEncodingTest, ConvertsForTheTerminal)
{
    EXPECT_EQ(ToDisplayText(GetParam().strWindows1252), GetParam().strDisplay);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextEncodingTest,
    testing::Values(SEncodingCase{"", ""}, SEncodingCase{"TV Power", "TV Power"},
                    SEncodingCase{"say \"hi\"", "say \"hi\""}, SEncodingCase{"C:\\tv", "C:\\tv"},
                    // Latin-1 range, the code page's own 0x80-0x9F, and its undefined 0x81 kept
                    // as a control.
                    SEncodingCase{"caf\xE9", "caf\xC3\xA9"},
                    SEncodingCase{"\x80\x9F\xFF", "\xE2\x82\xAC\xC5\xB8\xC3\xBF"},
                    SEncodingCase{"a\x81z", "a?z"},
                    // A terminal escape in a name must not reach the terminal.
                    SEncodingCase{"\x1B[2J\n\t\x7F", "?[2J???"}));
} // namespace
