#include "common/ImportPlan.h"
#include "cli/ListingTestDocument.h"
#include "common/SignalStore.h"
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
    const std::vector<SRenamedCode> renamed = NameCodes(codes, remote);
    EXPECT_EQ(codes[0].strName, "KEY_BRIGHTNES~2");
    EXPECT_EQ(codes[1].strName, "KEY_BRIGHTNES~3");
    EXPECT_EQ(codes[2].strName, "KEY_BRIGHTNESS_");
    EXPECT_EQ(codes[3].strName, "Power");
    EXPECT_EQ(codes[4].strName, "summer_tempfa~3");
    ASSERT_EQ(renamed.size(), 3u);
    EXPECT_EQ(renamed[0].nCode, 0u);
    EXPECT_EQ(renamed[0].strInput, "KEY_BRIGHTNESS_UP");
    EXPECT_EQ(renamed[0].nFirstLine, 0);
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
    const std::vector<SRenamedCode> renamed = NameCodes(codes, remote);
    const char* const pszExpected[] = {"Power",   "Power 4",         "Power 3",
                                       "Power 5", "KEY_VOLUMEDOWN_", "KEY_VOLUMEDOW 2"};
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
        EXPECT_EQ(codes[nCode].strName, pszExpected[nCode]) << nCode;
    ASSERT_EQ(renamed.size(), 3u);
    EXPECT_EQ(renamed[0].nCode, 1u);
    EXPECT_EQ(renamed[0].strInput, "Power");
    EXPECT_EQ(renamed[0].nFirstLine, 1);
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

// New names take the free cells of the target at the style asked for, row by row, past its
// placed buttons; known names stay where they are. The rest go on into the remotes named after
// the target (the name cut to a remote's length): the free cells of one the document has, where
// it has no button of the code's name, then new ones.
TEST(ImportPlanTest, CodesBeyondThePadGoOnIntoFurtherRemotes)
{
    CListingTestDocument test;
    CRemote& remote = test.AddRemote("LivingRoomTV123", 7); // 3 x 3
    test.AddButton(remote, "Power", "\x01", 1, 0);
    CRemote& second = test.AddRemote("LivingRoomTV1 2", 7);
    test.AddButton(second, "C80", "\x01", 0, 0);
    std::vector<SExchangeCode> codes{{"A", {1}, 0, 1}, {"Power", {1}, 0, 2}};
    for (int nCode = 0; nCode < 160; ++nCode)
        codes.push_back({"C" + std::to_string(nCode), {1}, 0, 3 + nCode});
    const SImportPlan plan = PlanPlaces(*test.m_doc.m_pRemotes, remote, 0, codes);
    ASSERT_EQ(plan.places.size(), codes.size());
    ASSERT_EQ(plan.further.size(), 3u);
    const std::pair<const char*, bool> further[] = {
        {"LivingRoomTV1 2", false}, {"LivingRoomTV1 3", true}, {"LivingRoomTV1 4", true}};
    for (std::size_t nRemote = 0; nRemote < plan.further.size(); ++nRemote)
    {
        EXPECT_EQ(plan.further[nRemote].strName, further[nRemote].first);
        EXPECT_EQ(plan.further[nRemote].bMake, further[nRemote].second);
    }
    struct SExpected
    {
        std::size_t nCode;
        std::size_t nRemote;
        bool bReplaces;
        int nColumn;
        int nRow;
    };
    // At 15 x 5 the target has 74 free cells: A and C0 to C72. C73 to C79 take 7 of the 8 free
    // cells of the 3 x 3 LivingRoomTV1 2, whose C80 sends C80 to a new remote; C81 takes the
    // last free cell, and the 75 cells of LivingRoomTV1 3 hold C80 and C82 to C155.
    const SExpected expected[] = {
        {0, 0, false, 0, 0},   {1, 0, true, 1, 0},   {2, 0, false, 2, 0},    {5, 0, false, 0, 1},
        {74, 0, false, 4, 14}, {75, 1, false, 1, 0}, {81, 1, false, 1, 2},   {82, 2, false, 0, 0},
        {83, 1, false, 2, 2},  {84, 2, false, 1, 0}, {157, 2, false, 4, 14}, {158, 3, false, 0, 0},
        {161, 3, false, 3, 0}};
    for (const SExpected& want : expected)
    {
        const SCodePlace& place = plan.places[want.nCode];
        EXPECT_EQ(place.nRemote, want.nRemote) << want.nCode;
        EXPECT_EQ(place.bReplaces, want.bReplaces) << want.nCode;
        if (!want.bReplaces)
        {
            EXPECT_EQ(std::make_pair(place.nColumn, place.nRow),
                      std::make_pair(want.nColumn, want.nRow))
                << want.nCode;
        }
    }
}

// A name a document cannot hold is refused by its first fault: the byte that starts no UTF-8
// character, or the character Windows-1252 has not, so that the person knows what to change.
TEST(ImportPlanTest, ANameFaultNamesItsCharacter)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Power\xFF", "is not UTF-8 text: byte 0xFF at 6 starts no character"},
        {"Po\xC3", "is not UTF-8 text: byte 0xC3 at 3 starts no character"},
        {"Vol\xC3\x28", "is not UTF-8 text: byte 0xC3 at 4 starts no character"},
        {"\xE2\x82\xAC and \xCE\xA9",
         "holds \"\xCE\xA9\" (U+03A9), which documents cannot store (they keep names in "
         "Windows-1252)"},
        {"Tab\there", "holds the control character U+0009, which documents cannot store (they "
                      "keep names in Windows-1252)"},
        {"\xF0\x9F\x93\xBA TV", "holds \"\xF0\x9F\x93\xBA\" (U+1F4FA), which documents cannot "
                                "store (they keep names in Windows-1252)"},
    };
    for (const auto& [pszName, pszReason] : cases)
    {
        std::string strName;
        std::string strReason;
        EXPECT_FALSE(ToDocumentName(pszName, strName, strReason)) << pszName;
        EXPECT_EQ(strReason, pszReason) << pszName;
    }
}

// A file named .ir that is not one, and bytes no text has, are refused as what they are, not
// by the reader of whatever format their first line looks like.
TEST(ImportPlanTest, AFileIsRefusedForWhatItIsNot)
{
    const std::string strIr = "Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\n"
                              "protocol: NEC\naddress: 04 00 00 00\ncommand: 08 00 00 00\n";
    const struct
    {
        const char* pszFile;
        std::string strText;
        const char* pszReason; // empty: read
    } cases[] = {
        {"tv.ir", strIr, ""},
        {"tv.ir", "\xEF\xBB\xBF" + strIr, ""},
        {"tv.txt", "A NEC 4 8\n", ""},
        {"tv.ir", "A NEC 4 8\n",
         "is not an \".ir\" file: such a file starts with a \"Filetype:\" line"},
        {"tv.txt", std::string("A NEC 4 8\n\0\x17", 12),
         "is not a file of codes: it holds bytes no text file has"},
    };
    for (const auto& test : cases)
    {
        std::vector<SExchangeCode> codes;
        SExchangeError error;
        const bool bRead = ParseCodeFile(test.pszFile, test.strText, codes, error);
        EXPECT_EQ(bRead, *test.pszReason == '\0') << test.pszFile << error.strReason;
        EXPECT_EQ(error.strReason, test.pszReason) << test.pszFile;
    }
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
        {"A: 0000 006D 0002 0000 0156 00AB 0015 05F1\n", "unknown (3 runs)"},
        {"A Sony12 1 0x15\n", "Sony 12-bit address 0x01 command 0x15, repeated 2 times"},
    };
    for (const auto& [pszText, pszSignal] : cases)
    {
        std::vector<SExchangeCode> codes;
        SExchangeError error;
        ASSERT_TRUE(ParseAnyCodes(pszText, codes, error)) << pszText << error.strReason;
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
