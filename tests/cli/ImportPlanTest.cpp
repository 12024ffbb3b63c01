#include "common/ImportPlan.h"
#include "cli/ListingTestDocument.h"
#include "signal/SignalDecoder.h"

#include <gtest/gtest.h>

namespace
{
// Long names that share their first 15 letters get apart by a number, and a name already taken,
// by another code or by a button on the remote, is not handed out again: two codes stored under
// one name would leave one button, and a cut name would replace that button's signal.
TEST(ImportPlanTest, ShortenedNamesStayUnique)
{
    CListingTestDocument test;
    CRemote& remote = test.AddRemote("Fan", 6);
    test.AddButton(remote, "summer_tempfan_", "\x01", 0, 0);
    test.AddButton(remote, "summer_tempfa~2", "\x01", 1, 0);
    std::vector<SExchangeCode> codes{{"KEY_BRIGHTNESS_UP", {1}, 0, 1},
                                     {"KEY_BRIGHTNESS_DOWN", {1}, 0, 2},
                                     {"KEY_BRIGHTNESS_", {1}, 0, 3},
                                     {"Power", {1}, 0, 4},
                                     {"summer_tempfan_up", {1}, 0, 5}};
    const std::vector<std::string> renamed = NameCodes(codes, remote);
    EXPECT_EQ(codes[0].strName, "KEY_BRIGHTNES~2");
    EXPECT_EQ(codes[1].strName, "KEY_BRIGHTNES~3");
    EXPECT_EQ(codes[2].strName, "KEY_BRIGHTNESS_");
    EXPECT_EQ(codes[3].strName, "Power");
    EXPECT_EQ(codes[4].strName, "summer_tempfa~3");
    ASSERT_EQ(renamed.size(), 3u);
    EXPECT_EQ(renamed[0], "KEY_BRIGHTNESS_UP is stored as KEY_BRIGHTNES~2, a button name holding "
                          "at most 15 characters");
}

// A name the input repeats comes again numbered, the number past any the remote or the input
// already has and the name cut to make room for it; the first code of a name keeps it.
TEST(ImportPlanTest, RepeatedNamesAreNumbered)
{
    CListingTestDocument test;
    CRemote& remote = test.AddRemote("TV", 6);
    test.AddButton(remote, "Power 2", "\x01", 0, 0);
    std::vector<SExchangeCode> codes{
        {"Power", {1}, 0, 1}, {"Power", {1}, 0, 2},           {"Power 3", {1}, 0, 3},
        {"Power", {1}, 0, 4}, {"KEY_VOLUMEDOWN_", {1}, 0, 5}, {"KEY_VOLUMEDOWN_", {1}, 0, 6}};
    const std::vector<std::string> renamed = NameCodes(codes, remote);
    const char* const pszExpected[] = {"Power",   "Power 4",         "Power 3",
                                       "Power 5", "KEY_VOLUMEDOWN_", "KEY_VOLUMEDOW 2"};
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
        EXPECT_EQ(codes[nCode].strName, pszExpected[nCode]) << nCode;
    ASSERT_EQ(renamed.size(), 3u);
    EXPECT_EQ(renamed[0], "Power on line 2 is stored as Power 4: line 1 has a code of that name");
}

// The style offered has room and keeps every placed button on its cell: a wide remote is not
// offered a narrow, taller pad that would drop its fourth column.
TEST(ImportPlanTest, TheRoomyStyleKeepsEveryPlacedButton)
{
    CListingTestDocument test;
    CRemote& remote = test.AddRemote("TV", 6); // 4 x 4
    test.AddButton(remote, "Wide", "\x01", 3, 0);
    EXPECT_EQ(FormatStyle(FindRoomyStyle(remote, 15)), "4x4");
    EXPECT_EQ(FormatStyle(FindRoomyStyle(remote, 16)), "8x4");
    EXPECT_EQ(FindStyleRefusal(remote, 5), "its button Wide sits in cell 3/0, outside 6x3");
    EXPECT_EQ(FindRoomyStyle(remote, 75), -1);
    EXPECT_EQ(ParseStyle("9x3"), 3);
    EXPECT_EQ(ParseStyle("3x9"), -1);
}

// A file is read in the format it is in: a daemon's bare list that starts with a four-digit
// duration is no Pronto code, and a named Pronto code is one.
TEST(ImportPlanTest, TellsEachFormatApart)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\nprotocol: NEC\n"
         "address: 04 00 00 00\ncommand: 08 00 00 00\n",
         "NEC address 0x04 command 0x08"},
        {"begin remote\nbegin raw_codes\nname A\n9000 4500 560\nend raw_codes\nend remote\n",
         "unknown (3 runs)"},
        {"9000 4500 560\n", "unknown (3 runs)"},
        // Text before the first remote, after a byte-order mark, as some files begin.
        {"\xEF\xBB\xBFTV remote, recorded with irrecord\nbegin remote\nbegin raw_codes\nname A\n"
         "9000 4500 560\nend raw_codes\nend remote\n",
         "unknown (3 runs)"},
        {"A: 0000 006D 0002 0000 0156 00AB 0015 05F1\n", "unknown (3 runs)"},
        {"A Sony12 1 0x15\n", "Sony 12-bit address 0x01 command 0x15, repeated 2 times"},
    };
    for (const auto& [pszText, pszSignal] : cases)
    {
        std::vector<SExchangeCode> codes;
        std::vector<SSkippedRemote> skipped;
        SExchangeError error;
        ASSERT_TRUE(ParseAnyCodes(pszText, codes, skipped, error)) << pszText << error.strReason;
        ASSERT_EQ(codes.size(), 1u) << pszText;
        EXPECT_EQ(DescribeSignal(DecodeSignal(codes[0].durations)), pszSignal) << pszText;
    }
}

// Of a file with several remotes, the one named comes in, and only its codes.
TEST(ImportPlanTest, TheChosenSourceKeepsOnlyItsCodes)
{
    std::vector<SExchangeCode> codes{
        {"A", {1}, 0, 1, "TV"}, {"B", {1}, 0, 2, "Amp"}, {"C", {1}, 0, 3, "TV"}};
    std::string strReason;
    ASSERT_TRUE(ChooseSource(codes, "TV", strReason)) << strReason;
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[1].strName, "C");
}
} // namespace
