#include "signal/FlipperFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// ".ir" files as people edit them by hand and other tools write them: what the reader tolerates
// (and reads as the tool would), and what it still refuses, with the line and the reason.
namespace
{
const std::string kHeader = "Filetype: IR signals file\nVersion: 1\n";
const std::string kRecord = "name: Power\ntype: parsed\nprotocol: NECext\n"
                            "address: EE 87 00 00\ncommand: 02 00 00 00\n";

struct SMalformedCase
{
    const char* pszWhat;
    std::string strText;
    // Tolerated: the record's export, written back as the tool writes it; refused: empty.
    std::string strWrittenBack;
    int nLine = 0; // refused: the line named
    const char* pszReason = "";
};

std::vector<SMalformedCase> MalformedCases()
{
    const std::string strClean = kHeader + "#\n" + kRecord;
    return {
        {"a UTF-8 byte-order mark", "\xEF\xBB\xBF" + kHeader + kRecord, strClean},
        {"Windows line ends and tabs",
         "Filetype:\tIR signals file\r\nVersion:\t1\r\nname:\tPower\r\ntype: parsed \r\n"
         "protocol:\tNECext\r\naddress: EE 87 00 00\t\r\ncommand: 02 00 00 00\r\n",
         strClean},
        {"indented lines and comments",
         kHeader + "  # a remote\n  name: Power\n  type: parsed\n" +
             "  protocol: NECext\n  address: EE 87 00 00\n" + "  command: 02 00 00 00\n",
         strClean},
        {"no space after the colon, spaces before it",
         kHeader + "name:Power\ntype :parsed\nprotocol:NECext\naddress :EE 87 00 00\n" +
             "command:02 00 00 00\n",
         strClean},
        {"a protocol name in other letter cases",
         kHeader + "name: Power\ntype: parsed\nprotocol: necEXT\naddress: EE 87 00 00\n" +
             "command: 02 00 00 00\n",
         strClean},
        {"a library file's header", "Filetype: IR library file\nVersion: 1\n#\n" + kRecord,
         strClean},
        {"a raw record's duty cycle, written as the tool writes it",
         kHeader + "name: Odd\ntype: raw\nfrequency: 38000\nduty_cycle: .25\n" +
             "data: 900 450 560 40000\n",
         kHeader + "#\nname: Odd\ntype: raw\nfrequency: 38000\nduty_cycle: 0.250000\n" +
             "data: 900 450 560 40000\n"},
        {"a byte-order mark before something else", "\xEF\xBB\xBFname: Power\n", "", 1,
         "\"Filetype: IR signals file\" was expected"},
        {"a key that is only blanks", kHeader + "name: Power\n \t: parsed\n", "", 3,
         "Power has no \"type\""},
        {"a value lost to blanks", kHeader + "name: Power\ntype: parsed\nprotocol: \t\n", "", 5,
         "Quorbit knows no protocol \"\""},
        {"a duty cycle given in percent",
         kHeader + "name: Odd\ntype: raw\nfrequency: 38000\nduty_cycle: 33\n" +
             "data: 900 450 560\n",
         "", 6, "Odd: the duty cycle \"33\" is not a fraction above 0 and up to 1"},
        {"a protocol name that only looks like one",
         kHeader + "name: Power\ntype: parsed\nprotocol: NEC ext\n", "", 5,
         "Quorbit knows no protocol \"NEC ext\""},
    };
}
} // namespace

TEST(FlipperReaderTest, ToleratesWhatEditorsDoAndRefusesTheRest)
{
    for (const SMalformedCase& testCase : MalformedCases())
    {
        std::vector<SExchangeCode> codes;
        SExchangeError error;
        const bool bRead = ParseFlipperCodes(testCase.strText, codes, error);
        EXPECT_EQ(bRead, !testCase.strWrittenBack.empty())
            << testCase.pszWhat << ": " << error.nLine << " " << error.strReason;
        if (bRead)
        {
            EXPECT_EQ(FormatFlipperCodes(codes, 38000), testCase.strWrittenBack)
                << testCase.pszWhat;
            continue;
        }
        EXPECT_EQ(error.nLine, testCase.nLine) << testCase.pszWhat;
        EXPECT_NE(error.strReason.find(testCase.pszReason), std::string::npos)
            << testCase.pszWhat << ": " << error.strReason;
    }
}
