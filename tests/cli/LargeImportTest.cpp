#include "cli/CLoadedDocument.h"
#include "cli/CliTestSupport.h"
#include "device/COsClock.h"
#include "support/CPrivateRuntime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace
{
const std::string kImports = QUORBIT_FIXTURES "/import/";
// A remote file of LIRC's database form with 135 NEC buttons, and an .ir library file that
// lists two makers' codes under each of 40 names.
const std::string kBigRemote = kImports + "big-remote.lircd.conf";
const std::string kRepeatedNames = kImports + "repeated-names.ir";

// Counts the lines of strText that match pattern.
std::size_t CountMatches(const std::string& strText, const std::string& strPattern)
{
    const std::regex pattern(strPattern);
    return static_cast<std::size_t>(std::distance(
        std::sregex_iterator(strText.begin(), strText.end(), pattern), std::sregex_iterator()));
}

// The listing's lines of one remote, up to the next remote.
std::string ListedRemote(const std::string& strList, const std::string& strRemote)
{
    const std::size_t nStart = strList.find("Remote " + strRemote + ":");
    if (nStart == std::string::npos)
        return {};
    const std::size_t nEnd = strList.find("\nRemote ", nStart + 1);
    return strList.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
}

// A document with the empty 15 x 5 remote LG, as a person makes one to import into.
class LargeImportTest : public testing::Test
{
protected:
    LargeImportTest()
    {
        COsClock osClock;
        CLoadedDocument loaded(osClock);
        CQuorbexDoc& doc = loaded.GetDocument();
        doc.OnNewDocument();
        EXPECT_NE(doc.AddRemote("LG", 0), nullptr);
        EXPECT_TRUE(doc.OnSaveDocument(m_strDoc));
    }

    SProcessResult Import(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), {"--import", m_strDoc, "LG"});
        arguments.insert(arguments.end(), {"--device", "sim"});
        return RunQuorbit(arguments);
    }

    std::string List() const { return RunQuorbit({"--list", m_strDoc}).strOut; }

    const CPrivateRuntime m_runtime;
    const CTempFolder m_folder;
    const std::string m_strDoc = m_folder.File("tv.qb");
};

// 135 buttons fill LG's 75 cells and go on into LG 2, made 15 x 5 for them; the report says
// where each went, and every code goes out as the file's NEC frame.
TEST_F(LargeImportTest, ALircRemoteLargerThanAPadGoesOnIntoANewRemote)
{
    const SProcessResult result = Import({kBigRemote, "--format", "lirc"});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    EXPECT_TRUE(result.strOut.starts_with("Made the remote LG 2, 15 buttons high, 5 buttons wide, "
                                          "for the codes LG has no room for.\n"
                                          "Added KEY_POWER in cell 0/0 of the pad.\n"))
        << result.strOut;
    EXPECT_EQ(CountMatches(result.strOut, "Added [^\n]* of the pad\\.\n"), 75u);
    EXPECT_EQ(CountMatches(result.strOut, "Added [^\n]* of the pad of LG 2\\.\n"), 60u);
    // The 76th button is the first of LG 2, in its first cell; the last fills its twelfth row.
    EXPECT_NE(result.strOut.find("Added KEY_INFO in cell 0/0 of the pad of LG 2.\n"),
              std::string::npos);
    EXPECT_NE(result.strOut.find("Added KEY_TWEN in cell 4/11 of the pad of LG 2.\n"),
              std::string::npos);
    const std::string strList = List();
    const std::string strFirst = ListedRemote(strList, "LG");
    const std::string strSecond = ListedRemote(strList, "LG 2");
    EXPECT_TRUE(strSecond.starts_with("Remote LG 2: 15 buttons high, 5 buttons wide")) << strList;
    EXPECT_EQ(CountMatches(strFirst, "\n  Button "), 75u);
    EXPECT_EQ(CountMatches(strSecond, "\n  Button "), 60u);
    // LIRC sends pre_data 0x20DF and the codes most significant bit first: NEC address 0x04,
    // and KEY_MUTE's 0x01FE is command 0x80 on the wire.
    EXPECT_NE(strFirst.find("  Button KEY_MUTE: cell 1/0, "), std::string::npos) << strFirst;
    EXPECT_EQ(CountMatches(strList, "NEC address 0x04 command 0x[0-9A-F]{2}\n"), 135u) << strList;
    EXPECT_NE(strFirst.find("NEC address 0x04 command 0x80\n"), std::string::npos);
}

// A later import into the full remote goes on into the LG 2 the first made, not a remote each.
TEST_F(LargeImportTest, ALaterImportFillsTheRemoteTheFirstMade)
{
    ASSERT_EQ(Import({kBigRemote, "--format", "lirc"}).nExitStatus, 0);
    const std::string strCodes = m_folder.File("more.txt");
    WriteFileBytes(strCodes, "Netflix NEC 0x04 0x56\nKEY_POWER NEC 0x04 0x57\n");
    const SProcessResult result = Import({strCodes, "--format", "code"});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    EXPECT_TRUE(result.strOut.starts_with("Added Netflix in cell 0/12 of the pad of LG 2.\n"
                                          "Replaced the signal of KEY_POWER.\n"))
        << result.strOut;
    EXPECT_EQ(ListedRemote(List(), "LG 3"), "");
}

// 80 codes under 40 names: every second code of a name comes in numbered, the report names
// each, and the five beyond the pad go on into LG 2.
TEST_F(LargeImportTest, AnIrLibraryWithRepeatedNamesComesInWhole)
{
    const SProcessResult result = Import({kRepeatedNames, "--format", "flipper"});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    EXPECT_EQ(CountMatches(result.strErr, " on line [0-9]+ is stored as [^\n]* 2: line [0-9]+ "
                                          "has a code of that name\n"),
              40u)
        << result.strErr;
    EXPECT_NE(result.strErr.find("quorbit: KEY_CHANNELDOWN on line 275 is stored as "
                                 "KEY_CHANNELDO 2: line 35 has a code of that name\n"),
              std::string::npos)
        << result.strErr;
    EXPECT_EQ(CountMatches(result.strOut, "Added [^\n]* of the pad of LG 2\\.\n"), 5u)
        << result.strOut;
    const std::string strList = List();
    EXPECT_EQ(CountMatches(ListedRemote(strList, "LG"), "\n  Button "), 75u);
    EXPECT_EQ(CountMatches(ListedRemote(strList, "LG 2"), "\n  Button "), 5u);
    // Both makers' codes are there: address 0x04 under the name, 0x07 under the numbered one.
    EXPECT_NE(strList.find("  Button KEY_POWER: cell 0/0, "), std::string::npos) << strList;
    EXPECT_EQ(CountMatches(strList, "NEC address 0x04 command"), 40u);
    EXPECT_EQ(CountMatches(strList, "NEC address 0x07 command"), 40u);
}

// Several inputs in one command end as the same inputs one command after another would, with
// one save: one report line "Saved", and each input's lines after its name.
TEST_F(LargeImportTest, SeveralInputsInOneCommandEndAsOneAfterAnother)
{
    const std::string strCopy = m_folder.File("again.ir");
    std::filesystem::copy_file(kRepeatedNames, strCopy);
    const std::string strSeparate = m_folder.File("separate.qb");
    std::filesystem::copy_file(m_strDoc, strSeparate);
    for (const std::string& strInput : {kRepeatedNames, strCopy})
    {
        const SProcessResult single = RunQuorbit(
            {"--import", strSeparate, "LG", strInput, "--format", "flipper", "--device", "sim"});
        ASSERT_EQ(single.nExitStatus, 0) << single.strErr;
    }
    const SProcessResult result = Import({kRepeatedNames, strCopy, "--format", "flipper"});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    EXPECT_EQ(CountMatches(result.strOut, "Saved "), 1u);
    EXPECT_TRUE(result.strOut.starts_with("From " + kRepeatedNames + ":\n")) << result.strOut;
    const std::size_t nSecond = result.strOut.find("From " + strCopy + ":\n");
    EXPECT_NE(result.strOut.find("Replaced the signal of KEY_POWER.\n", nSecond), std::string::npos)
        << result.strOut;
    EXPECT_NE(result.strErr.find("quorbit: " + strCopy + ": KEY_POWER on line "), std::string::npos)
        << result.strErr;
    // The second input's first codes replace the first's; its numbered ones come in clear of
    // the buttons the first made ("KEY_POWER 3").
    const std::string strList = List();
    EXPECT_EQ(CountMatches(strList, "\n  Button "), 120u) << strList;
    EXPECT_NE(strList.find("  Button KEY_POWER 3: "), std::string::npos) << strList;
    EXPECT_EQ(strList, RunQuorbit({"--list", strSeparate}).strOut);
}

// A fourth operand that is a file is a further input, else the button to take; a failing input
// leaves the document as it was, though the ones before it were fine.
TEST_F(LargeImportTest, AFailingInputChangesNothing)
{
    const std::string strBad = m_folder.File("bad.ir");
    WriteFileBytes(strBad, "Filetype: IR signals file\nVersion: 1\n#\nname: X\ntype: parsed\n"
                           "protocol: Nope\naddress: 00 00 00 00\ncommand: 00 00 00 00\n");
    const std::string strBefore = ReadFileBytes(m_strDoc);
    const SProcessResult result = Import({kRepeatedNames, strBad, "--format", "flipper"});
    EXPECT_EQ(result.nExitStatus, 1);
    EXPECT_EQ(result.strOut, "");
    EXPECT_NE(result.strErr.find("quorbit: " + strBad + ":"), std::string::npos) << result.strErr;
    EXPECT_EQ(ReadFileBytes(m_strDoc), strBefore);

    const SProcessResult twice = Import({"-", "-", "--format", "flipper"});
    EXPECT_EQ(twice.nExitStatus, 1);
    EXPECT_NE(twice.strErr.find("standard input (-) can be read only once"), std::string::npos)
        << twice.strErr;
}
} // namespace
