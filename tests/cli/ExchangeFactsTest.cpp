// Codes longer than 0.4 s come in and go back out, at their own carrier and as the code they
// were: a document keeps each button's time base, carrier and code.
#include "cli/CliTestSupport.h"
#include "signal/FlipperFormat.h"
#include "signal/LircFormat.h"
#include "support/CPrivateRuntime.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
using CDurations = std::vector<std::uint32_t>;

const std::string kSample = QUORBIT_EXAMPLES "/living-room.qb";

// The raw data of an air conditioner's code: 0.6 s of marks and spaces of many lengths.
CDurations LongRawCode()
{
    CDurations durations;
    std::uint64_t nTotal = 0;
    for (std::uint32_t i = 0; nTotal < 600000 || durations.size() % 2 == 0; ++i)
    {
        durations.push_back(300 + i * 37 % 1900);
        nTotal += durations.back();
    }
    return durations;
}

std::string FormatRaw(const std::string& strName, const CDurations& durations, unsigned nHz,
                      const char* pszDuty = "0.330000")
{
    std::string strText = "#\nname: " + strName + "\ntype: raw\nfrequency: " + std::to_string(nHz) +
                          "\nduty_cycle: " + pszDuty + "\ndata:";
    for (const std::uint32_t nMicros : durations)
        strText += " " + std::to_string(nMicros);
    return strText + "\n";
}

::testing::AssertionResult IsWithin(const CDurations& got, const CDurations& wanted,
                                    std::uint32_t nMicros)
{
    if (got.size() != wanted.size())
        return ::testing::AssertionFailure() << got.size() << " durations for " << wanted.size();
    for (std::size_t i = 0; i < got.size(); ++i)
        if (std::abs(static_cast<long>(got[i]) - static_cast<long>(wanted[i])) > nMicros)
            return ::testing::AssertionFailure()
                   << "duration " << i << ": " << got[i] << " µs for " << wanted[i];
    return ::testing::AssertionSuccess();
}

class ExchangeFactsTest : public testing::Test
{
protected:
    ExchangeFactsTest() { std::filesystem::copy_file(kSample, m_strDoc); }

    SProcessResult Import(const std::string& strText, const char* pszFormat) const
    {
        WriteFileBytes(m_strInput, strText);
        return RunQuorbit(
            {"--import", m_strDoc, "Lights", m_strInput, "--format", pszFormat, "--device", "sim"});
    }

    SProcessResult Export(const std::string& strButton, const char* pszFormat) const
    {
        return RunQuorbit(
            {"--export", m_strDoc, "Lights", strButton, "--format", pszFormat, "--device", "sim"});
    }

    const CPrivateRuntime m_runtime;
    const CTempFolder m_folder;
    const std::string m_strDoc = m_folder.File("living-room.qb");
    const std::string m_strInput = m_folder.File("codes.txt");
};

const std::string kIrHeader = "Filetype: IR signals file\nVersion: 1\n";

// A raw ".ir" record of 0.6 s at 56 kHz and a 50 % duty cycle: it comes in at 2 µs a sample
// (1 µs holds 0.4 s), and goes back out at its carrier and duty cycle, in every format that
// says them.
TEST_F(ExchangeFactsTest, ALongRawRecordComesInAndGoesBackAtItsCarrier)
{
    const CDurations raw = LongRawCode();
    const SProcessResult imported =
        Import(kIrHeader + FormatRaw("Cool", raw, 56000, "0.5"), "flipper");
    ASSERT_EQ(imported.nExitStatus, 0) << imported.strErr;

    const SProcessResult exported = Export("Cool", "flipper");
    ASSERT_EQ(exported.nExitStatus, 0) << exported.strErr;
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    ASSERT_TRUE(ParseFlipperCodes(exported.strOut, codes, error)) << error.strReason;
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0].nCarrierHz, 56000u);
    EXPECT_EQ(codes[0].nDutyPercent, 50u);
    EXPECT_NE(exported.strOut.find("\nduty_cycle: 0.500000\n"), std::string::npos);
    EXPECT_TRUE(IsWithin(codes[0].durations, raw, 5));

    // Pronto's carrier word counts 0.241246 µs units: 56 kHz is 74 of them.
    const SProcessResult pronto = Export("Cool", "pronto");
    ASSERT_EQ(pronto.nExitStatus, 0) << pronto.strErr;
    // One code alone is written without its name.
    EXPECT_TRUE(pronto.strOut.starts_with("0000 004A ")) << pronto.strOut.substr(0, 40);
    const SProcessResult lirc = Export("Cool", "lirc");
    EXPECT_NE(lirc.strOut.find("  frequency 56000\n  duty_cycle 50\n"), std::string::npos)
        << lirc.strOut;
}

// A press that the remote's file says repeats its frame at least 8 times lasts about a second;
// it comes in whole rather than being refused, and goes back out as it came.
TEST_F(ExchangeFactsTest, ALircRemoteWithMinRepeatComesInAndGoesBackOut)
{
    const std::string strConf = "begin remote\n"
                                "  name  Amp\n"
                                "  bits           16\n"
                                "  flags SPACE_ENC|CONST_LENGTH\n"
                                "  eps            30\n"
                                "  aeps          100\n"
                                "  header       9000  4500\n"
                                "  one           560  1690\n"
                                "  zero          560   560\n"
                                "  ptrail        560\n"
                                "  pre_data_bits   16\n"
                                "  pre_data       0x20DF\n"
                                "  gap          108000\n"
                                "  min_repeat      8\n"
                                "  frequency    38000\n"
                                "  begin codes\n"
                                "    KEY_POWER    0x10EF\n"
                                "  end codes\n"
                                "end remote\n";
    std::vector<SExchangeCode> input;
    std::vector<SSkippedRemote> skipped;
    SExchangeError error;
    ASSERT_TRUE(ParseLircCodes(strConf, input, skipped, error)) << error.strReason;
    ASSERT_EQ(input.size(), 1u);
    std::uint64_t nTotal = 0;
    for (const std::uint32_t nMicros : input[0].durations)
        nTotal += nMicros;
    ASSERT_GT(nTotal, 800000u); // beyond what 2 µs a sample holds

    const SProcessResult imported = Import(strConf, "lirc");
    ASSERT_EQ(imported.nExitStatus, 0) << imported.strErr;
    const SProcessResult exported = Export("KEY_POWER", "lirc");
    ASSERT_EQ(exported.nExitStatus, 0) << exported.strErr;
    std::vector<SExchangeCode> output;
    ASSERT_TRUE(ParseLircCodes(exported.strOut, output, skipped, error)) << error.strReason;
    ASSERT_EQ(output.size(), 1u);
    EXPECT_TRUE(IsWithin(output[0].durations, input[0].durations, 5));
}

// Pioneer sends NEC's frames at 40 kHz: a recording cannot tell them apart, the code kept with
// the button can.
TEST_F(ExchangeFactsTest, APioneerRecordGoesBackAsPioneer)
{
    const std::string strRecord = "#\nname: Power\ntype: parsed\nprotocol: Pioneer\n"
                                  "address: AA 00 00 00\ncommand: 1C 00 00 00\n";
    const SProcessResult imported = Import(kIrHeader + strRecord, "flipper");
    ASSERT_EQ(imported.nExitStatus, 0) << imported.strErr;
    const SProcessResult exported = Export("Power", "flipper");
    ASSERT_EQ(exported.nExitStatus, 0) << exported.strErr;
    EXPECT_EQ(exported.strOut, kIrHeader + strRecord);
}

// --learn keeps the unit's sample period and the carrier of the protocol it heard, and no code:
// a recording is not made from one.
TEST_F(ExchangeFactsTest, ALearnedButtonKeepsTheUnitsPeriodAndItsProtocolsCarrier)
{
    const SProcessResult learned =
        RunQuorbit({"--learn", m_strDoc, "Lights", "Guide", "--device", "sim"});
    ASSERT_EQ(learned.nExitStatus, 0) << learned.strErr;
    const SProcessResult listed = RunQuorbit({"--list", "--json", m_strDoc});
    ASSERT_EQ(listed.nExitStatus, 0) << listed.strErr;
    const nlohmann::json document = nlohmann::json::parse(listed.strOut);
    for (const auto& remote : document["remotes"])
        for (const auto& button : remote["buttons"])
            if (button["name"] == "Guide")
            {
                EXPECT_EQ(button["nanosPerSample"], 1000.0);
                EXPECT_EQ(button["carrier"], 38000);
                EXPECT_FALSE(button.contains("code"));
                return;
            }
    ADD_FAILURE() << "no button Guide";
}
} // namespace
