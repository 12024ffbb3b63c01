#include "cli/CRunningQuorbit.h"
#include "cli/CliTestSupport.h"
#include "cli/KitchenDocument.h"
#include "cli/SelfTest.h"
#include "device/CMemoryPort.h"
#include "device/CPortDevice.h"
#include "support/CPrivateRuntime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace
{
const std::string kSample = QUORBIT_EXAMPLES "/living-room.qb";
const std::string kPeriodLine = "quorbit: durations at 1.000 µs a sample, the simulated unit's\n";

// A copy of the sample document to change, and a place for the codes.
class ExchangeCommandTest : public testing::Test
{
protected:
    ExchangeCommandTest() { std::filesystem::copy_file(kSample, m_strDoc); }

    // The arguments with DOC and INPUT standing for the document and the input file.
    std::vector<std::string> Substitute(std::vector<std::string> arguments) const
    {
        for (std::string& strArgument : arguments)
        {
            if (strArgument == "DOC")
                strArgument = m_strDoc;
            else if (strArgument == "INPUT")
                strArgument = m_strInput;
        }
        return arguments;
    }

    // Substituted, on the simulated unit.
    SProcessResult Run(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> substituted = Substitute(arguments);
        substituted.insert(substituted.end(), {"--device", "sim"});
        return RunQuorbit(substituted);
    }

    std::string List() const { return RunQuorbit({"--list", m_strDoc}).strOut; }

    // No Quorbit the person runs takes part, unless the test starts one.
    const CPrivateRuntime m_runtime;
    const CTempFolder m_folder;
    const std::string m_strDoc = m_folder.File("living-room.qb");
    const std::string m_strInput = m_folder.File("codes.txt");
};

class ExchangeRoundTripTest : public ExchangeCommandTest,
                              public testing::WithParamInterface<const char*>
{
};

// What is exported comes back in, replaces every button of the remote, and exports again
// unchanged: no duration drifts through the document, whatever the format.
TEST_P(ExchangeRoundTripTest, ExportedCodesComeBackUnchanged)
{
    const SProcessResult exported = Run({"--export", "DOC", "TV", "--format", GetParam()});
    ASSERT_EQ(exported.nExitStatus, 0) << exported.strErr;
    EXPECT_EQ(exported.strErr, kPeriodLine +
                                   "quorbit: left out Movie, which is a megabutton: it plays other "
                                   "buttons and has no signal of its own\n"
                                   "quorbit: left out Teletext, which was never learned\n");
    WriteFileBytes(m_strInput, exported.strOut);

    const SProcessResult imported = Run({"--import", "DOC", "TV", "INPUT", "--format", GetParam()});
    ASSERT_EQ(imported.nExitStatus, 0) << imported.strErr;
    EXPECT_EQ(imported.strOut.find("Added"), std::string::npos);
    for (const char* pszName : {"1", "2", "3", "Ch+", "Ch-", "Mute", "Power", "Sleep", "Vol+"})
        EXPECT_NE(imported.strOut.find(std::string("Replaced the signal of ") + pszName + ".\n"),
                  std::string::npos)
            << pszName;
    EXPECT_EQ(Run({"--export", "DOC", "TV", "--format", GetParam()}).strOut, exported.strOut);
}

// A name of two words goes out as one, Big Red as Big_Red; beside a button already called
// Big_Red it takes a word of its own, so that the file read back leaves Big_Red its own signal.
TEST_P(ExchangeRoundTripTest, NamesMadeOneWordStayApartFromTheOthers)
{
    ASSERT_EQ(Run({"--learn", "DOC", "TV", "Big Red", "--presses", "1"}).nExitStatus, 0);
    WriteFileBytes(m_strInput, "Big_Red NEC 0x30 5\n");
    ASSERT_EQ(Run({"--import", "DOC", "TV", "INPUT", "--format", "code"}).nExitStatus, 0);
    const SProcessResult exported = Run({"--export", "DOC", "TV", "--format", GetParam()});
    ASSERT_EQ(exported.nExitStatus, 0) << exported.strErr;
    EXPECT_NE(exported.strErr.find("quorbit: Big Red is written as Big_Red_2, a name there being "
                                   "one word and Big_Red another's\n"),
              std::string::npos)
        << exported.strErr;
    WriteFileBytes(m_strInput, exported.strOut);

    ASSERT_EQ(Run({"--import", "DOC", "TV", "INPUT", "--format", GetParam()}).nExitStatus, 0);
    const std::string strList = List();
    const std::size_t nLine = strList.find("  Button Big_Red: ");
    ASSERT_NE(nLine, std::string::npos) << strList;
    const std::string strLine = strList.substr(nLine, strList.find('\n', nLine) - nLine);
    EXPECT_TRUE(strLine.ends_with("NEC address 0x30 command 0x05")) << strLine;
}

INSTANTIATE_TEST_SUITE_P(Formats, ExchangeRoundTripTest,
                         testing::Values("pronto", "lirc", "flipper"));

// A .ir file with one raw record at a carrier the tool does not take is refused whole by it: a
// button at 460 kHz stays out of the remote's file, and asked for alone fails the command.
TEST_F(ExchangeCommandTest, AnIrFileLeavesOutAButtonAtACarrierTheToolRefuses)
{
    WriteFileBytes(m_strInput, "Hot: 0000 0009 0002 0000 0020 0020 0020 0400\n");
    ASSERT_EQ(Run({"--import", "DOC", "TV", "INPUT", "--format", "pronto"}).nExitStatus, 0);
    const std::string strReason = "goes out at 460572 Hz, and a .ir file's raw record holds 10000 "
                                  "to 56000 Hz\n";
    const SProcessResult remote = Run({"--export", "DOC", "TV", "--format", "flipper"});
    EXPECT_EQ(remote.nExitStatus, 0) << remote.strErr;
    EXPECT_NE(remote.strErr.find("quorbit: left out Hot, which " + strReason), std::string::npos)
        << remote.strErr;
    EXPECT_EQ(remote.strOut.find("name: Hot"), std::string::npos);
    EXPECT_NE(remote.strOut.find("name: Power"), std::string::npos);
    const SProcessResult alone = Run({"--export", "DOC", "TV", "Hot", "--format", "flipper"});
    EXPECT_EQ(alone.nExitStatus, 1);
    EXPECT_NE(alone.strErr.find("quorbit: TV: Hot " + strReason), std::string::npos)
        << alone.strErr;
}

// Codes typed as protocol, address and command fill a remote too small for them once it is
// given a larger pad; a name too long for a button is shortened, and says so.
TEST_F(ExchangeCommandTest, TypedCodesTakeALargerPadAndShortNames)
{
    WriteFileBytes(m_strInput, "Up NEC 0x30 5\nDown NEC 0x30 6\nLeft Sony12 1 0x15\n"
                               "Right RC5 3 0x41\nKEY_BRIGHTNESS_CYCLE Samsung32 7 2\n");
    const SProcessResult result =
        Run({"--import", "DOC", "Lights", "INPUT", "--format", "code", "--style", "4x4"});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    EXPECT_TRUE(
        result.strOut.starts_with("Made the pad of Lights 4 buttons high, 4 buttons wide.\n"))
        << result.strOut;
    EXPECT_NE(result.strErr.find("KEY_BRIGHTNESS_CYCLE is stored as KEY_BRIGHTNESS_"),
              std::string::npos)
        << result.strErr;
    const std::string strList = List();
    for (const char* pszLine :
         {"Remote Lights: 4 buttons high, 4 buttons wide", "  Button Up: cell 3/0, ",
          " bytes, NEC address 0x30 command 0x05\n",
          " bytes, Sony 12-bit address 0x01 command 0x15, repeated 2 times\n",
          " bytes, RC-5 address 0x03 command 0x41\n",
          "  Button KEY_BRIGHTNESS_: ", "Samsung address 0x07 command 0x02"})
        EXPECT_NE(strList.find(pszLine), std::string::npos) << pszLine << "\n" << strList;
}

// NECext records, with the command byte and its inverse or with a 16-bit command, both come in,
// the listing shows what each sends, and export writes each back as it was.
TEST_F(ExchangeCommandTest, NecExtRecordsComeInListedAndGoBackAsTheyWere)
{
    const std::string strLearned = "#\nname: Learned\ntype: parsed\nprotocol: NECext\n"
                                   "address: 00 7F 00 00\ncommand: 12 ED 00 00\n";
    const std::string strWritten = "#\nname: Written\ntype: parsed\nprotocol: NECext\n"
                                   "address: EE 87 00 00\ncommand: 02 00 00 00\n";
    WriteFileBytes(m_strInput, "Filetype: IR signals file\nVersion: 1\n" + strLearned + strWritten);
    const SProcessResult result =
        Run({"--import", "DOC", "Lights", "INPUT", "--format", "flipper"});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    const std::string strList = List();
    for (const char* pszLine : {" bytes, NEC extended address 0x7F00 command 0x12\n",
                                " bytes, NEC 16-bit command address 0x87EE command 0x02\n"})
        EXPECT_NE(strList.find(pszLine), std::string::npos) << pszLine << "\n" << strList;
    const SProcessResult exported = Run({"--export", "DOC", "Lights", "--format", "flipper"});
    ASSERT_EQ(exported.nExitStatus, 0) << exported.strErr;
    for (const std::string& strRecord : {strLearned, strWritten})
        EXPECT_NE(exported.strOut.find(strRecord), std::string::npos) << exported.strOut;
}

// A long name cut to a button's length keeps clear of the buttons on the remote: importing
// summer_tempfan_up next to a summer_tempfan_ button adds a button and leaves that one's signal.
TEST_F(ExchangeCommandTest, ACutNameReplacesNoOtherButton)
{
    WriteFileBytes(m_strInput, "summer_tempfan_ NEC 0x30 5\n");
    ASSERT_EQ(Run({"--import", "DOC", "Lights", "INPUT", "--format", "code"}).nExitStatus, 0);
    WriteFileBytes(m_strInput, "summer_tempfan_up NEC 0x30 6\n");
    const SProcessResult result = Run({"--import", "DOC", "Lights", "INPUT", "--format", "code"});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    EXPECT_EQ(result.strOut.find("Replaced"), std::string::npos) << result.strOut;
    EXPECT_NE(result.strErr.find("summer_tempfan_up is stored as summer_tempfa~2"),
              std::string::npos)
        << result.strErr;
    const std::string strList = List();
    for (const char* pszLine : {"  Button summer_tempfan_: ", "NEC address 0x30 command 0x05\n",
                                "  Button summer_tempfa~2: ", "NEC address 0x30 command 0x06\n"})
        EXPECT_NE(strList.find(pszLine), std::string::npos) << pszLine << "\n" << strList;
}

// Files that list alternative codes under one name bring every code in: the later ones under
// names of their own, clear of the remote's buttons and within a button's length, each reported.
struct SRepeatedNamesCase
{
    const char* pszFormat;
    std::string strInput;
};

class RepeatedNamesTest : public ExchangeCommandTest,
                          public testing::WithParamInterface<SRepeatedNamesCase>
{
};

std::string FlipperRecord(const char* pszName, const char* pszCommand)
{
    return std::string("#\nname: ") + pszName + "\ntype: parsed\nprotocol: NEC\n" +
           "address: 30 00 00 00\ncommand: " + pszCommand + " 00 00 00\n";
}

TEST_P(RepeatedNamesTest, EveryCodeComesInUnderANameOfItsOwn)
{
    WriteFileBytes(m_strInput,
                   "Filetype: IR signals file\nVersion: 1\n" + FlipperRecord("Power 2", "09"));
    const SProcessResult first = Run({"--import", "DOC", "Lights", "INPUT", "--format", "flipper"});
    ASSERT_EQ(first.nExitStatus, 0) << first.strErr;
    WriteFileBytes(m_strInput, GetParam().strInput);
    const SProcessResult result = Run(
        {"--import", "DOC", "Lights", "INPUT", "--format", GetParam().pszFormat, "--style", "4x4"});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    for (const char* pszLine : {" is stored as Power 3: line ", " is stored as Power 4: line ",
                                "quorbit: KEY_SUBTITLE_LANG is stored as KEY_SUBTITLE_LA, ",
                                " is stored as KEY_SUBTITLE_ 2: line "})
        EXPECT_NE(result.strErr.find(pszLine), std::string::npos) << pszLine << result.strErr;
    const std::string strList = List();
    for (const char* pszButton : {"Power: ", "Power 2: ", "Power 3: ", "Power 4: ",
                                  "KEY_SUBTITLE_LA: ", "KEY_SUBTITLE_ 2: "})
        EXPECT_NE(strList.find(std::string("  Button ") + pszButton), std::string::npos)
            << pszButton << "\n"
            << strList;
    for (const char* pszCommand : {"0x05", "0x06", "0x07", "0x08", "0x09"})
        EXPECT_NE(strList.find(std::string("NEC address 0x30 command ") + pszCommand + "\n"),
                  std::string::npos)
            << pszCommand << "\n"
            << strList;
}

const SRepeatedNamesCase kRepeatedNamesCases[] = {
    {"flipper", "Filetype: IR library file\nVersion: 1\n" + FlipperRecord("Power", "05") +
                    FlipperRecord("Power", "06") + FlipperRecord("Power", "07") +
                    FlipperRecord("KEY_SUBTITLE_LANG", "08") +
                    FlipperRecord("KEY_SUBTITLE_LANG", "08")},
    // LIRC's NEC: header 9000/4500, one 560/1690, zero 560/560, the address (0x30) and its
    // inverse, then the command and its inverse, most significant bit first as LIRC sends.
    {"lirc", "begin remote\n  name Lights\n  bits 16\n  flags SPACE_ENC|CONST_LENGTH\n"
             "  header 9000 4500\n  one 560 1690\n  zero 560 560\n  ptrail 560\n"
             "  pre_data_bits 16\n  pre_data 0x0CF3\n  gap 108000\n  begin codes\n"
             "    Power 0xA05F\n    Power 0x609F\n    Power 0xE01F\n"
             "    KEY_SUBTITLE_LANG 0x10EF\n    KEY_SUBTITLE_LANG 0x10EF\n"
             "  end codes\nend remote\n"},
};

INSTANTIATE_TEST_SUITE_P(Formats, RepeatedNamesTest, testing::ValuesIn(kRepeatedNamesCases));

// A remote file as found: words before the first remote, a name in Latin-1 and a remote that
// cannot be read beside the one wanted. The good remote comes in, with or without --source,
// the name in the document's code page, and the other is reported with its line and reason.
const std::string kMixedLircFile =
    "Lights remote, recorded 2004\n"
    "begin remote\n  name Lights\n  begin raw_codes\n    name Lautst\xE4rke\n"
    "      9000 4500 560\n  end raw_codes\nend remote\n"
    "begin remote\n  name VCR\n  bits 8\n  flags XMP\n  one 500 1500\n  zero 500 500\n"
    "  begin codes\n    Play 0x1\n  end codes\nend remote\n";

class MixedLircFileTest : public ExchangeCommandTest,
                          public testing::WithParamInterface<std::vector<std::string>>
{
};

TEST_P(MixedLircFileTest, TheGoodRemoteComesInAndTheOtherIsReported)
{
    WriteFileBytes(m_strInput, kMixedLircFile);
    std::vector<std::string> arguments{"--import", "DOC", "Lights", "INPUT", "--format", "lirc"};
    arguments.insert(arguments.end(), GetParam().begin(), GetParam().end());
    const SProcessResult result = Run(arguments);
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    EXPECT_NE(result.strErr.find("quorbit: " + m_strInput +
                                 ":12: skipped the remote VCR: the flag \"XMP\" names an "
                                 "encoding Quorbit cannot make\n"),
              std::string::npos)
        << result.strErr;
    EXPECT_NE(List().find("  Button Lautst\xC3\xA4rke: "), std::string::npos) << List();
    EXPECT_NE(ReadFileBytes(m_strDoc).find("Lautst\xE4rke"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Sources, MixedLircFileTest,
                         testing::Values(std::vector<std::string>{},
                                         std::vector<std::string>{"--source", "Lights"}));

// A button named after the input takes the first code of that name, as the daemon sends it.
TEST_F(ExchangeCommandTest, ANamedButtonTakesTheFirstCodeOfItsName)
{
    WriteFileBytes(m_strInput, kRepeatedNamesCases[0].strInput);
    const SProcessResult result =
        Run({"--import", "DOC", "Lights", "INPUT", "Power", "--format", "flipper"});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    EXPECT_TRUE(result.strOut.starts_with("Added Power in cell ")) << result.strOut;
    const std::string strList = List();
    EXPECT_NE(strList.find("NEC address 0x30 command 0x05\n"), std::string::npos) << strList;
    EXPECT_EQ(strList.find("NEC address 0x30 command 0x06\n"), std::string::npos) << strList;
}

// Names come and go in UTF-8, as people and other tools write them, and the document keeps
// its own spelling: a 15-letter name fits though its UTF-8 takes more bytes.
// Two imports into one document at the same moment: the second waits for the first to save,
// then reads what it saved, so that neither's codes are lost.
TEST_F(ExchangeCommandTest, TwoImportsAtOnceBothArrive)
{
    constexpr int kRounds = 20;
    const std::string strUp = m_folder.File("up.txt");
    const std::string strDown = m_folder.File("down.txt");
    WriteFileBytes(strUp, "Up NEC 0x30 5\n");
    WriteFileBytes(strDown, "Down NEC 0x30 6\n");
    for (int nRound = 0; nRound < kRounds; ++nRound)
    {
        SCOPED_TRACE("round " + std::to_string(nRound));
        std::filesystem::copy_file(kSample, m_strDoc,
                                   std::filesystem::copy_options::overwrite_existing);
        SProcessResult up;
        std::thread beside(
            [&] {
                up = Run({"--import", "DOC", "Lights", strUp, "--format", "code"});
            });
        const SProcessResult down = Run({"--import", "DOC", "Lights", strDown, "--format", "code"});
        beside.join();
        ASSERT_EQ(up.nExitStatus, 0) << up.strErr;
        ASSERT_EQ(down.nExitStatus, 0) << down.strErr;
        const std::string strList = List();
        EXPECT_NE(strList.find("  Button Up: "), std::string::npos) << strList;
        EXPECT_NE(strList.find("  Button Down: "), std::string::npos) << strList;
    }
}

// A FIFO no program writes to would hold the command forever; only a regular file, or standard
// input for "-", is read.
TEST_F(ExchangeCommandTest, AnInputThatIsNoRegularFileIsRefusedUnread)
{
    ASSERT_EQ(mkfifo(m_strInput.c_str(), 0600), 0);
    const SProcessResult result = Run({"--import", "DOC", "TV", "INPUT", "--format", "code"});
    EXPECT_EQ(result.nExitStatus, 1);
    EXPECT_NE(result.strErr.find("quorbit: " + m_strInput + ": not a regular file\n"),
              std::string::npos)
        << result.strErr;
}

TEST_F(ExchangeCommandTest, NamesBeyondAsciiComeAndGoInUtf8)
{
    std::filesystem::remove(m_strDoc);
    WriteKitchenDocument(m_strDoc);
    const SProcessResult exported = Run({"--export", "DOC", kKitchen, "--format", "lirc"});
    ASSERT_EQ(exported.nExitStatus, 0) << exported.strErr;
    for (const char* pszLine :
         {"  name  Küche\n", "    name Lüfter\n", "    name Übergrößenlicht\n"})
        EXPECT_NE(exported.strOut.find(pszLine), std::string::npos) << pszLine;
    WriteFileBytes(m_strInput, exported.strOut);

    const SProcessResult imported = Run({"--import", "DOC", kKitchen, "INPUT", "--format", "lirc"});
    ASSERT_EQ(imported.nExitStatus, 0) << imported.strErr;
    EXPECT_NE(imported.strOut.find("Replaced the signal of Übergrößenlicht.\n"), std::string::npos)
        << imported.strOut;
    EXPECT_EQ(Run({"--export", "DOC", kKitchen, "--format", "lirc"}).strOut, exported.strOut);
    EXPECT_NE(ReadFileBytes(m_strDoc).find("\xDC"
                                           "bergr\xF6\xDF"
                                           "enlicht"),
              std::string::npos);
}

// A person trying --learn on the simulated unit gets a button: its remote holds one command
// for the presses, so they agree.
TEST_F(ExchangeCommandTest, LearningOnTheSimulatedUnitAddsTheButton)
{
    const SProcessResult learned = Run({"--learn", "DOC", "TV", "Guide"});
    ASSERT_EQ(learned.nExitStatus, 0) << learned.strErr;
    EXPECT_TRUE(learned.strOut.starts_with("Guide: NEC address 0x04 command 0x12, from 3 presses.\n"
                                           "Added Guide in cell 1/0 of the pad.\n"))
        << learned.strOut;
    EXPECT_NE(List().find("  Button Guide: cell 1/0"), std::string::npos);
}

struct SRefusalCase
{
    std::vector<std::string> arguments;
    const char* pszInput; // written to INPUT first; null for none
    int nExitStatus;
    const char* pszError; // a part of standard error
};

const SRefusalCase kRefusalCases[] = {
    {{"--import", "DOC", "Nope", "INPUT", "--format", "lirc"}, "900", 1, "has no remote \"Nope\""},
    {{"--import", "DOC", "TV", "missing.txt", "--format", "lirc"},
     nullptr,
     1,
     "missing.txt: cannot be opened"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "pronto"},
     "0000 006D 0001 0000 0015 05F1",
     1,
     "codes.txt:1: the code has no name: name the button after the input"},
    {{"--import", "DOC", "TV", "INPUT", "Power", "--format", "pronto"},
     "Mute: 0000 006D 0001 0000 0015 05F1",
     1,
     "codes.txt: it holds no code named Power"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "lirc"},
     "begin remote\nbegin raw_codes\nname Movie\n900\nend raw_codes\nend remote\n",
     1,
     "codes.txt:3: Movie is a megabutton of TV"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "lirc"},
     "begin remote\nname A\nbegin raw_codes\nname X\n900\nend raw_codes\nend remote\n"
     "begin remote\nname B\nbegin raw_codes\nname Y\n900\nend raw_codes\nend remote\n",
     1,
     "codes.txt: it holds the remotes A, B: choose one with --source NAME"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "lirc", "--source", "VCR"},
     kMixedLircFile.c_str(),
     1,
     "codes.txt:12: skipped the remote VCR: the flag \"XMP\" names an encoding"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "lirc", "--source", "C"},
     "begin remote\nname A\nbegin raw_codes\nname X\n900\nend raw_codes\nend remote\n",
     1,
     "codes.txt: it holds no remote \"C\", only A"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "code"},
     "Up NEC 0x30 5\nDown Foo 1 2\n",
     1,
     "codes.txt:2: Quorbit knows no protocol \"Foo\""},
    {{"--import", "DOC", "TV", "INPUT", "--format", "code"},
     "Up NEC 0x30 0x100\n",
     1,
     "codes.txt:1: the address or command is too wide for NEC"},
    {{"--import", "DOC", "Lights", "INPUT", "--format", "code", "--style", "3x3"},
     "A NEC 1 1\nB NEC 1 2\nC NEC 1 3\nD NEC 1 4\nE NEC 1 5\n",
     1,
     "Lights is full: its pad has 4 free places for 5 new buttons\n"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "code", "--style", "3x3"},
     "Up NEC 0x30 5\n",
     1,
     "TV cannot take the style 3x3: its button"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "code", "--style", "9x9"},
     nullptr,
     2,
     "--style takes a pad style as HIGHxWIDE"},
    {{"--export", "DOC", "TV", "--format", "lirc", "--source", "A"},
     nullptr,
     2,
     "--source and --style go with --import"},
    {{"--export", "DOC", "TV", "--format", "code"}, nullptr, 2, "need --format pronto, lirc or"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "flipper", "--source", "TV"},
     "Filetype: IR signals file\nVersion: 1\n",
     2,
     "--source goes with --format lirc\n"},
    {{"--import", "DOC", "TV", "INPUT", "Long", "--format", "lirc"},
     // 45 s: longer than 400,000 samples of 100 µs, the coarsest time base.
     "900 9000000 900 9000000 900 9000000 900 9000000 900 9000000 900",
     1,
     "codes.txt:1: Long lasts longer than the 400000 samples a button holds, even at 100.000 µs"},
    {{"--import", "DOC", "Lights", "INPUT", "--format", "lirc"},
     "begin remote\nbegin raw_codes\nname A\n9\nname B\n9\nname C\n9\nname D\n9\nname E\n9\n"
     "end raw_codes\nend remote\n",
     1,
     "Lights is full: its pad has 4 free places for 5 new buttons; --style 4x4 gives it room"},
    {{"--export", "DOC", "TV", "Teletext", "--format", "lirc"},
     nullptr,
     1,
     "TV: Teletext was never learned"},
    {{"--export", "DOC", "TV", "Movie", "--format", "pronto"},
     nullptr,
     1,
     "TV: Movie is a megabutton"},
    {{"--export", "DOC", "TV", "Nope", "--format", "pronto"},
     nullptr,
     1,
     "TV: Nope does not exist"},
    {{"--export", "DOC", "TV"}, nullptr, 2, "--export and --import need --format pronto, lirc or"},
    {{"--export", "DOC", "TV", "--format", "hex"}, nullptr, 2, "need --format pronto, lirc or"},
    {{"--export", "DOC", "TV", "--format", "lirc", "--carrier", "38k"},
     nullptr,
     2,
     "--carrier takes a frequency in hertz from 10000 to 500000, not \"38k\""},
    {{"--selftest", "--format", "lirc"}, nullptr, 2, "--format and --carrier go with"},
    {{"--import", "DOC", "TV", "--format", "lirc"},
     nullptr,
     2,
     "--import takes FILE REMOTE INPUT [BUTTON | INPUT...], 2 given"},
    {{"--selftest", "DOC"}, nullptr, 2, "--selftest takes 0 file names, 1 given"},
    {{"--import", "DOC", "TV", "INPUT", "--format", "lirc"},
     "begin remote\nbegin raw_codes\nname Ω\n900\nend raw_codes\nend remote\n",
     1,
     "codes.txt:3: the code's name holds \"Ω\" (U+03A9), which documents cannot store"},
    {{"--export", "DOC", "Ω", "--format", "lirc"},
     nullptr,
     1,
     "the remote name \"Ω\" holds \"Ω\" (U+03A9), which documents cannot store"},
    {{"--learn", "DOC", "Nope", "Power"}, nullptr, 1, "has no remote \"Nope\""},
    {{"--learn", "DOC", "TV"}, nullptr, 2, "--learn takes FILE REMOTE BUTTON, 2 given"},
    {{"--learn", "DOC", "TV", "Power", "--presses", "0"},
     nullptr,
     2,
     "--presses takes a count from 1 to 10, not \"0\""},
    {{"--export", "DOC", "TV", "--format", "lirc", "--presses", "2"},
     nullptr,
     2,
     "--presses goes with --learn"},
};

class ExchangeRefusalTest : public ExchangeCommandTest,
                            public testing::WithParamInterface<SRefusalCase>
{
};

// Every refusal says why on standard error, fails, and leaves the document untouched: no
// save, so not even a backup appears.
TEST_P(ExchangeRefusalTest, SaysWhyAndChangesNothing)
{
    const SRefusalCase& refusal = GetParam();
    if (refusal.pszInput)
        WriteFileBytes(m_strInput, refusal.pszInput);
    const SProcessResult result = Run(refusal.arguments);
    EXPECT_EQ(result.nExitStatus, refusal.nExitStatus);
    EXPECT_EQ(result.strOut, "");
    EXPECT_NE(result.strErr.find(refusal.pszError), std::string::npos) << result.strErr;
    EXPECT_EQ(ReadFileBytes(m_strDoc), ReadFileBytes(kSample));
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("living-room.qbb")));
}

INSTANTIATE_TEST_SUITE_P(Cases, ExchangeRefusalTest, testing::ValuesIn(kRefusalCases));

struct SHostileInputCase
{
    const char* pszFormat;
    std::string strInput;
    const char* pszSource; // for --source, or null
    const char* pszError;  // standard error's line about the input, as the terminal gets it
};

using namespace std::string_literals;

// A file's bytes quoted in a refusal reach the terminal: an escape sequence there would
// retitle or recolour it, and a zero byte would end the line before its reason.
const SHostileInputCase kHostileInputCases[] = {
    {"flipper", "Filetype: IR signals file\nVersion: 1\n\x1B]0;owned\x07\x1B[31mred\n", nullptr,
     "codes.txt:3: \"?]0;owned??[31mred\" is no \"key: value\" line\n"},
    {"pronto", "QB\0\x02\x04\n"s, nullptr, "codes.txt:1: \"QB???\" is not a four-digit"},
    {"lirc", "begin remote\nname A\nbegin raw_codes\nname X\n900\nend raw_codes\nend remote\n",
     "\x1B[2J", "it holds no remote \"?[2J\", only A\n"},
};

void PrintTo(const SHostileInputCase& hostile, std::ostream* pOut)
{
    *pOut << hostile.pszFormat;
}

class HostileInputTest : public ExchangeCommandTest,
                         public testing::WithParamInterface<SHostileInputCase>
{
};

TEST_P(HostileInputTest, RefusalsShowTheInputsControlBytesAsQuestionMarks)
{
    const SHostileInputCase& hostile = GetParam();
    WriteFileBytes(m_strInput, hostile.strInput);
    std::vector<std::string> arguments{"--import", "DOC",      "TV",
                                       "INPUT",    "--format", hostile.pszFormat};
    if (hostile.pszSource)
        arguments.insert(arguments.end(), {"--source", hostile.pszSource});
    const SProcessResult result = Run(arguments);
    EXPECT_EQ(result.nExitStatus, 1);
    EXPECT_NE(result.strErr.find(hostile.pszError), std::string::npos) << result.strErr;
    EXPECT_EQ(result.strErr.find_first_of("\x1B\x07"s + '\0'), std::string::npos) << result.strErr;
}

INSTANTIATE_TEST_SUITE_P(Formats, HostileInputTest, testing::ValuesIn(kHostileInputCases));

struct SBesideCase
{
    bool bWindows;  // a window program runs, else a --run
    bool bSameFile; // it has DOC open, else the sample document
    std::vector<std::string> arguments;
    int nExitStatus;
    const char* pszError; // a part of standard error
};

const SBesideCase kBesideCases[] = {
    {true,
     true,
     {"--learn", "DOC", "TV", "Power"},
     1,
     " and holds the infrared unit; learn the button there (Remote Builder, Learn), or close it "
     "first\n"},
    {false, false, {"--learn", "DOC", "TV", "Power"}, 1, " and holds the infrared unit; stop it"},
    {true,
     true,
     {"--import", "DOC", "TV", "INPUT", "Guide", "--format", "pronto"},
     1,
     " open, and its next save would undo the import; close it there first\n"},
    {false,
     true,
     {"--import", "DOC", "TV", "INPUT", "Guide", "--format", "pronto"},
     0,
     "quorbit: durations at 1.000 µs a sample, the period of a Quorbit --run (process "},
    {true,
     false,
     {"--export", "DOC", "TV", "Mute", "--format", "pronto"},
     0,
     "quorbit: durations at 1.000 µs a sample, the period of a Quorbit window program (process "},
};

class BesideARunningQuorbitTest : public ExchangeCommandTest,
                                  public testing::WithParamInterface<SBesideCase>
{
};

// While a Quorbit runs it holds the unit: learning is refused, the codes take its period, and
// an import is refused only into the file a window program would save over it; a --run loads
// the changed file by itself.
TEST_P(BesideARunningQuorbitTest, LeavesTheUnitToIt)
{
    const SBesideCase& beside = GetParam();
    WriteFileBytes(m_strInput, "0000 006D 0002 0000 0156 00AB 0015 05F1\n");
    const CRunningQuorbit running(beside.bSameFile ? m_strDoc : kSample, beside.bWindows);
    const SProcessResult result = RunQuorbit(Substitute(beside.arguments));
    EXPECT_EQ(result.nExitStatus, beside.nExitStatus) << result.strErr;
    EXPECT_NE(result.strErr.find(beside.pszError), std::string::npos) << result.strErr;
    EXPECT_EQ(ReadFileBytes(m_strDoc) == ReadFileBytes(kSample),
              beside.nExitStatus != 0 || beside.arguments[0] == "--export");
}

INSTANTIATE_TEST_SUITE_P(Cases, BesideARunningQuorbitTest, testing::ValuesIn(kBesideCases));

TEST(SelfTestCommandTest, TheSimulatedUnitHearsItsOwnFrame)
{
    const SProcessResult result = RunQuorbit({"--selftest", "--device", "sim"});
    EXPECT_EQ(result.nExitStatus, 0) << result.strOut << result.strErr;
    EXPECT_NE(result.strOut.find("Sample period: 1.000 µs, the simulated unit's nominal period"),
              std::string::npos)
        << result.strOut;
    EXPECT_NE(result.strOut.find("Heard all 67 back, each within 0 µs"), std::string::npos);
    EXPECT_TRUE(result.strOut.ends_with("The unit works.\n"));
}

struct SBrokenUnitCase
{
    std::uint8_t nStatus; // what the detector line reads all along
    const char* pszVerdict;
};

class BrokenUnitTest : public testing::TestWithParam<SBrokenUnitCase>
{
};

// A detector that never sees the emitter, or sees infrared all the time, fails the test with
// a reason a person can act on; the period of a real port is timed, with its jitter.
TEST_P(BrokenUnitTest, FailsAndSaysWhy)
{
    CPortDevice<CMemoryPort> device{CMemoryPort()};
    device.GetPortBackend().Out(0x379, GetParam().nStatus);
    std::FILE* pOut = std::tmpfile();
    ASSERT_NE(pOut, nullptr);
    EXPECT_FALSE(RunSelfTest(device, pOut));
    std::string strText(4096, '\0');
    std::rewind(pOut);
    strText.resize(std::fread(strText.data(), 1, strText.size(), pOut));
    std::fclose(pOut);
    EXPECT_NE(strText.find("timed over 4096 reads of the detector line; jitter"), std::string::npos)
        << strText;
    EXPECT_NE(strText.find(GetParam().pszVerdict), std::string::npos) << strText;
    EXPECT_TRUE(strText.ends_with("The unit does not work as it should.\n"));
}

INSTANTIATE_TEST_SUITE_P(Detectors, BrokenUnitTest,
                         testing::Values(SBrokenUnitCase{0x10, "The detector heard nothing."},
                                         SBrokenUnitCase{
                                             0x00, "The detector saw infrared without a break"}));
} // namespace
