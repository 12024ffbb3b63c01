#include "cli/CliTestSupport.h"
#include "cli/DocumentListing.h"
#include "cli/ListingTestDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace
{
// FNV-1a, to hold a listing of megabytes in a line of the test.
std::uint64_t Fingerprint(const std::string& strText)
{
    std::uint64_t nHash = 0xcbf29ce484222325u;
    for (const char c : strText)
        nHash = (nHash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    return nHash;
}

// The listing as tools have always read it, byte for byte: the fingerprints and sizes were
// taken from `quorbit --list --json` when it still built the whole listing before writing. A
// deliberate change of the listing's shape takes new values from that command.
TEST(JsonListingTest, ListingIsTheSameAsEver)
{
    struct SCase
    {
        int nButtons; // 0: the sample
        std::size_t nSize;
        std::uint64_t nFingerprint;
    };
    const CTempFolder folder;
    for (const SCase& test :
         {SCase{0, 475335, 0xf54b117efcc2de90u}, SCase{200, 20036424, 0x6f6915d5ccb577d8u}})
    {
        std::string strPath = QUORBIT_EXAMPLES "/living-room.qb";
        if (test.nButtons > 0)
        {
            strPath = folder.File("large.qb");
            const SProcessResult made = RunProgram(
                QUORBIT_MAKE_EXAMPLES, {"--buttons", std::to_string(test.nButtons), strPath});
            ASSERT_EQ(made.nExitStatus, 0) << made.strErr;
        }
        const SProcessResult result = RunQuorbit({"--list", "--json", strPath});
        ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
        EXPECT_EQ(result.strOut.size(), test.nSize) << test.nButtons;
        EXPECT_EQ(Fingerprint(result.strOut), test.nFingerprint) << test.nButtons;
    }
}

// Written a button at a time: no piece holds more than one button's bits, however many
// buttons the document has.
TEST(JsonListingTest, WritesAsItGoes)
{
    CListingTestDocument test;
    const std::string strBits(2000, '\x5A');
    for (const char* pszRemote : {"A", "B", "C"})
    {
        CRemote& remote = test.AddRemote(pszRemote, 0);
        for (const char* pszButton : {"1", "2", "3", "4"})
            test.AddButton(remote, pszButton, strBits);
    }
    std::size_t nLargest = 0;
    WriteDocumentJson(test.m_doc, 1000,
                      [&nLargest](std::string_view text)
                      { nLargest = std::max(nLargest, text.size()); });
    // A button's bits are twice as long in hex.
    EXPECT_GT(nLargest, 2 * strBits.size());
    EXPECT_LT(nLargest, 3 * strBits.size());
}
} // namespace
