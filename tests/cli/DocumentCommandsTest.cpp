#include "base/CStringTable.h"
#include "cli/CliTestSupport.h"
#include "cli/ListingTestDocument.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <set>

namespace
{
const std::string kSample = QUORBIT_EXAMPLES "/living-room.qb";
const std::string kBackendLine = "quorbit: infrared unit: simulated; clock: simulated\n";

// The documented commands on a clock that every machine has, so standard error is known.
SProcessResult RunOnSimulation(std::vector<std::string> arguments)
{
    arguments.insert(arguments.end(), {"--clock-start", "1998-03-02 06:59:00"});
    return RunQuorbit(arguments);
}

nlohmann::json ListAsJson(const std::string& strPath)
{
    const SProcessResult result = RunOnSimulation({"--list", "--json", strPath});
    EXPECT_EQ(result.nExitStatus, 0) << result.strErr;
    nlohmann::json json = nlohmann::json::parse(result.strOut, nullptr, false);
    EXPECT_FALSE(json.is_discarded()) << result.strOut;
    return json;
}

TEST(ExamplesTest, GeneratorWritesTheCommittedSample)
{
    const CTempFolder folder;
    const SProcessResult result = RunProgram(QUORBIT_MAKE_EXAMPLES, {folder.GetPath().string()});
    ASSERT_EQ(result.nExitStatus, 0) << result.strErr;
    // Compared as a whole, so a difference fails without printing kilobytes of bytes.
    EXPECT_TRUE(ReadFileBytes(folder.File("living-room.qb")) == ReadFileBytes(kSample))
        << "examples/living-room.qb is out of date: run quorbit_make_examples examples";
}

TEST(ExamplesTest, SampleShowsTheProgramsRange)
{
    const nlohmann::json sample = ListAsJson(kSample);
    EXPECT_EQ(sample.at("version"), 512);
    std::set<int> styles;
    int nLearned = 0;
    bool bMegaPlaysMega = false;
    for (const auto& remote : sample.at("remotes"))
    {
        styles.insert(remote.at("style").get<int>());
        for (const auto& button : remote.at("buttons"))
        {
            nLearned += button.at("length") > 2000;
            for (const auto& step : button.at("steps"))
                bMegaPlaysMega |= step.at("button") == "Goodnight";
        }
    }
    EXPECT_EQ(styles.size(), 4u);
    EXPECT_GE(nLearned, 20);
    EXPECT_TRUE(bMegaPlaysMega);
    std::set<int> frequencies;
    int nDisabled = 0;
    for (const auto& event : sample.at("events"))
    {
        frequencies.insert(event.at("frequency").get<int>());
        nDisabled += event.at("disabled") == true;
    }
    EXPECT_EQ(frequencies, (std::set<int>{0, 1, 2, 3, 9}));
    EXPECT_EQ(nDisabled, 1);
}

TEST(ListCommandTest, ListsTheSampleForAPerson)
{
    const SProcessResult result = RunOnSimulation({"--list", kSample});
    EXPECT_EQ(result.nExitStatus, 0);
    EXPECT_EQ(result.strErr, ""); // not even the infrared unit was opened
    EXPECT_EQ(result.strOut.rfind("Quorbit document, version 512\nRemote HiFi: ", 0), 0u);
    for (const char* pszLine :
         {"\nRemote TV: 15 buttons high, 5 buttons wide, pad open\n",
          "\n    1. Lights/Goodnight (delay 30.0s)\n",
          "\n  Button Teletext: cell 4/14, not learned\n",
          "\nEvent Record the final: 1998-07-12 20:45 Once, Video/Rec, last fired never\n"})
        EXPECT_NE(result.strOut.find(pszLine), std::string::npos) << pszLine;
}

TEST(ListCommandTest, AwkwardNamesStayValidUtf8AndKeepOffTheTerminal)
{
    const CTempFolder folder;
    CListingTestDocument test;
    CRemote& remote = test.AddRemote("Q\"uo\\te\xE9", 2);
    CRemoteButton& button = test.AddButton(remote, "Tabs", "\x0F", 0, 0);
    button.m_strDescription = "Tab\there";
    test.AddEvent("\xABLate\xBB", CTime(1998, 3, 2, 22, 30, 0), kFrequencyDaily, remote, button);
    ASSERT_TRUE(test.m_doc.OnSaveDocument(folder.File("awkward.qb")));

    const nlohmann::json listing = ListAsJson(folder.File("awkward.qb"));
    const nlohmann::json& listed = listing.at("remotes").at(0);
    EXPECT_EQ(listed.at("name"), "Q\"uo\\te\xC3\xA9");
    EXPECT_EQ(listed.at("buttons").at(0).at("description"), "Tab\there");
    EXPECT_EQ(listed.at("buttons").at(0).at("bits"), "0f");
    EXPECT_EQ(listing.at("events").at(0).at("name"), "\xC2\xAB"
                                                     "Late\xC2\xBB");

    const SProcessResult text = RunOnSimulation({"--list", folder.File("awkward.qb")});
    EXPECT_NE(text.strOut.find("\nRemote Q\"uo\\te\xC3\xA9: 12 buttons high, 3 buttons wide"),
              std::string::npos)
        << text.strOut;
    EXPECT_NE(text.strOut.find("\n  Button Tabs (Tab?here): cell 0/0, 1 byte, unknown (1 runs)\n"),
              std::string::npos);
}

TEST(ConvertCommandTest, OutputLoadsAsTheSameDocumentAndKeepsTheOldOutputAsBackup)
{
    const CTempFolder folder;
    const std::string strOut = folder.File("copy.qb");
    WriteFileBytes(strOut, "an older file");

    const SProcessResult result = RunOnSimulation({"--convert", kSample, strOut});
    EXPECT_EQ(result.nExitStatus, 0) << result.strErr;
    EXPECT_EQ(result.strOut, "");
    // A current file sorted by name comes out byte for byte, open pad included.
    EXPECT_TRUE(ReadFileBytes(strOut) == ReadFileBytes(kSample));
    EXPECT_EQ(ReadFileBytes(folder.File("copy.qbb")), "an older file");
}

TEST(ConvertCommandTest, UnwritableOutputFailsWithTheReason)
{
    const SProcessResult result =
        RunOnSimulation({"--convert", kSample, "/nonexistent-folder/copy.qb"});
    EXPECT_EQ(result.nExitStatus, 1);
    EXPECT_NE(result.strErr.find("The document could not be saved."), std::string::npos)
        << result.strErr;
}

struct SBadFileCase
{
    const char* pszName;
    std::string strBytes; // empty: the file does not exist
    int nStringId;
    const char* pszReason; // what the message adds to the path
};

void PrintTo(const SBadFileCase& badFile, std::ostream* pStream)
{
    *pStream << badFile.pszName;
}

class BadFileTest : public testing::TestWithParam<SBadFileCase>
{
};

TEST_P(BadFileTest, EveryCommandShowsTheMessageAndFails)
{
    const CTempFolder folder;
    const std::string strPath = folder.File("bad.qb");
    if (!GetParam().strBytes.empty())
        WriteFileBytes(strPath, GetParam().strBytes);

    const std::string strMessage =
        "quorbit: " + FormatString(GetParam().nStringId, strPath + GetParam().pszReason);
    const std::pair<std::vector<std::string>, std::string> runs[] = {
        {{"--list", strPath}, strMessage},
        {{"--list", "--json", strPath}, strMessage},
        {{"--convert", strPath, folder.File("out.qb")}, strMessage},
        {{"--run", strPath, "--device", "sim"}, kBackendLine + strMessage},
    };
    for (const auto& [arguments, strErrStart] : runs)
    {
        const SProcessResult result = RunOnSimulation(arguments);
        EXPECT_EQ(result.nExitStatus, 1);
        EXPECT_EQ(result.strOut, "");
        EXPECT_EQ(result.strErr.rfind(strErrStart, 0), 0u) << result.strErr;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.qb")));
}

std::string Truncated(std::size_t nBytes)
{
    return ReadFileBytes(kSample).substr(0, nBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadFileTest,
    testing::Values(SBadFileCase{"Missing", "", StringId::kOpenFailed,
                                 ": No such file or directory"},
                    SBadFileCase{"TooShort", "QB\x01", StringId::kInvalidFile, ""},
                    SBadFileCase{"WrongMagic", std::string("QC\x00\x02\x00\x00\x00\x00", 8),
                                 StringId::kInvalidFile, ""},
                    SBadFileCase{"Newer", std::string("QB\x02\x02\x00\x00\x00\x00", 8),
                                 StringId::kNewerVersion, ""},
                    SBadFileCase{"EndsInARecord", Truncated(100), StringId::kInvalidFile,
                                 ", at byte 100: the file ends in the middle of a record"}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST(BackendOptionTest, BackendsThatCannotBeHadFailClearly)
{
    const SProcessResult device = RunQuorbit({"--run", kSample, "--device", "infrared-cannon"});
    EXPECT_EQ(device.nExitStatus, 1);
    EXPECT_EQ(device.strOut, "");
    EXPECT_EQ(device.strErr.rfind("quorbit: unknown infrared device \"infrared-cannon\"", 0), 0u)
        << device.strErr;

    // A clock start that is no time is an argument that makes no sense.
    const SProcessResult clock = RunQuorbit({"--list", kSample, "--clock-start", "tomorrow"});
    EXPECT_EQ(clock.nExitStatus, 2);
    EXPECT_EQ(clock.strErr.rfind("quorbit: clock start \"tomorrow\"", 0), 0u) << clock.strErr;
}

TEST(BackendOptionTest, ParallelPortDeviceWithoutAPortFails)
{
    if (std::filesystem::exists("/dev/parport0"))
        GTEST_SKIP() << "this machine has a parallel port";
    const SProcessResult result = RunQuorbit({"--run", kSample, "--device", "ppdev"});
    EXPECT_EQ(result.nExitStatus, 1);
    EXPECT_EQ(result.strOut, "");
    EXPECT_NE(result.strErr.find("parallel port"), std::string::npos) << result.strErr;
}
} // namespace
