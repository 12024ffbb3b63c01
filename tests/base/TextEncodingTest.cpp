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

namespace
{
struct SUtf8Case
{
    std::string strText;
    bool bUtf8;
    std::string strDisplay;
};

class Utf8DisplayTest : public testing::TestWithParam<SUtf8Case>
{
};

// Text read from other tools' files is told apart as UTF-8 or not, and shown without anything
// that could drive the terminal: controls (C1 ones too), bytes that are no UTF-8, and
// characters the writer of UTF-8 cannot write.
TEST_P(Utf8DisplayTest, TellsUtf8AndShowsItSafely)
{
    EXPECT_EQ(IsUtf8Text(GetParam().strText), GetParam().bUtf8);
    EXPECT_EQ(ToDisplayUtf8(GetParam().strText), GetParam().strDisplay);
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8DisplayTest,
                         testing::Values(SUtf8Case{"", true, ""},
                                         SUtf8Case{"caf\xC3\xA9", true, "caf\xC3\xA9"},
                                         // Latin-1, an overlong '/', a lone surrogate: no UTF-8.
                                         SUtf8Case{"caf\xE9", false, "caf?"},
                                         SUtf8Case{"\xC0\xAF", false, "?"},
                                         SUtf8Case{"\xED\xA0\x80", false, "?"},
                                         SUtf8Case{"\x1B[2J\xC2\x9B", true, "?[2J?"},
                                         SUtf8Case{"\xF0\x9F\x98\x80!", true, "?!"}));

// Every byte of a Windows-1252 name comes through: 0x80 as the euro sign (not Latin-1's control),
// the code page's undefined 0x81 as the control of that number.
TEST(TextEncodingTest, Windows1252BecomesUtf8ByteForByte)
{
    EXPECT_EQ(Windows1252ToUtf8("Lautst\xE4rke \x80\x81"),
              "Lautst\xC3\xA4rke \xE2\x82\xAC\xC2\x81");
}
} // namespace
