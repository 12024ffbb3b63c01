#include "signal/CodeListFormat.h"
#include "signal/FlipperFormat.h"
#include "signal/LircFormat.h"
#include "signal/ProntoFormat.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalDurations.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
using CDurations = std::vector<std::uint32_t>;

enum class EFormat
{
    Pronto,
    Lirc,
    Flipper,
    Code,
};

bool Parse(EFormat nFormat, const std::string& strText, std::vector<SExchangeCode>& codes,
           SExchangeError& error)
{
    switch (nFormat)
    {
    case EFormat::Pronto:
        return ParseProntoCodes(strText, codes, error);
    case EFormat::Lirc:
    {
        std::vector<SSkippedRemote> skipped;
        return ParseLircCodes(strText, codes, skipped, error);
    }
    case EFormat::Flipper:
        return ParseFlipperCodes(strText, codes, error);
    case EFormat::Code:
        break;
    }
    return ParseCodeList(strText, codes, error);
}

// The run lengths of a bitstream in samples.
CDurations SampleRuns(const CBitstream& bits)
{
    return ToDurations(bits, 1000.0);
}

void ExpectWithinOneSample(const CDurations& expected, const CDurations& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t nRun = 0; nRun < expected.size(); ++nRun)
        EXPECT_LE(std::abs(static_cast<long>(expected[nRun]) - static_cast<long>(actual[nRun])), 1)
            << "run " << nRun;
}

// A frame of the common 32-bit pulse-distance format (address 0x04, command 0x08), a frame
// of the biphase format at 36 kHz and a 12-bit pulse-width frame at 40 kHz, each with the
// 40 ms of silence after it that an exported code ends on.
const char* const kProntoCodes[] = {
    "0000 006D 0022 0000 0156 00AB 0015 0015 0015 0015 0015 0040 0015 0015 0015 0015 0015 0015 "
    "0015 0015 0015 0015 0015 0040 0015 0040 0015 0015 0015 0040 0015 0040 0015 0040 0015 0040 "
    "0015 0040 0015 0015 0015 0015 0015 0015 0015 0040 0015 0015 0015 0015 0015 0015 0015 0015 "
    "0015 0040 0015 0040 0015 0040 0015 0015 0015 0040 0015 0040 0015 0040 0015 0040 0015 05F1",
    "0000 0073 000B 0000 0020 0020 0020 0020 0040 0020 0020 0040 0040 0020 0020 0020 0020 0020 "
    "0020 0020 0020 0020 0020 0040 0020 05A2",
    "0000 0067 000D 0000 0061 0018 0030 0018 0018 0018 0030 0018 0018 0018 0030 0018 0018 0018 "
    "0018 0018 0030 0018 0018 0018 0018 0018 0018 0018 0018 064A",
};

class ProntoRoundTripTest : public testing::TestWithParam<double>
{
};

// A code brought in, kept as samples and sent out again is the same code word for word, at
// periods finer and coarser than a microsecond: the carrier survives, and no burst drifts by a
// carrier period through the rounding to samples and back.
TEST_P(ProntoRoundTripTest, ACodeComesBackWordForWord)
{
    const double dNanos = GetParam();
    for (const char* pszCode : kProntoCodes)
    {
        std::vector<SExchangeCode> codes;
        SExchangeError error;
        ASSERT_TRUE(ParseProntoCodes(pszCode, codes, error)) << error.strReason;
        ASSERT_EQ(codes.size(), 1u);
        const CBitstream bits = ToBitstream(codes[0].durations, dNanos);
        const SExchangeCode learned{"", ToDurations(bits, dNanos), 0, 0};
        ExpectWithinOneSample(SampleRuns(ToBitstream(codes[0].durations, dNanos)),
                              SampleRuns(ToBitstream(learned.durations, dNanos)));

        std::string strText;
        std::string strError;
        ASSERT_TRUE(FormatProntoCodes({learned}, codes[0].nCarrierHz, strText, strError));
        EXPECT_EQ(strText, std::string(pszCode) + "\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Periods, ProntoRoundTripTest, testing::Values(1000.0, 1430.0, 650.0));

class LircRoundTripTest : public testing::TestWithParam<double>
{
};

// A learned signal written to the daemon's file and read back plays within one sample of the
// original, also at periods where a microsecond is not a whole number of samples.
TEST_P(LircRoundTripTest, EveryRunComesBackWithinOneSample)
{
    const double dNanos = GetParam();
    const CDurations signal{9000, 4500, 563, 561, 563, 1687, 563, 39000, 9000, 2250, 563, 7, 1};
    const CBitstream learned = ToBitstream(signal, dNanos);
    const std::string strText =
        FormatLircRemote("Living room", {{"Vol up", ToDurations(learned, dNanos), 0, 0}}, 38000);

    std::vector<SExchangeCode> codes;
    SExchangeError error;
    ASSERT_TRUE(Parse(EFormat::Lirc, strText, codes, error))
        << error.nLine << ": " << error.strReason;
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0].strName, "Vol_up");
    EXPECT_EQ(codes[0].nCarrierHz, 38000u);
    ExpectWithinOneSample(SampleRuns(learned), SampleRuns(ToBitstream(codes[0].durations, dNanos)));
}

INSTANTIATE_TEST_SUITE_P(Periods, LircRoundTripTest, testing::Values(1000.0, 1430.0, 700.0, 333.0));

struct SReadCase
{
    const char* pszName;
    EFormat nFormat;
    const char* pszText;
    std::vector<SExchangeCode> expected; // line numbers included
};

// What each accepted form means: names, repeats, trailing silence, comments, header lines that
// are passed over, several remotes in one file, a bare list of durations.
const SReadCase kReadCases[] = {
    {"pronto once and repeat sequences play once each",
     EFormat::Pronto,
     "0000 006D 0001 0001 0156 00AB 0015 0E6C",
     {{"", {8993, 4497, 552}, 38029, 1}}},
    {"pronto repeat sequence alone",
     EFormat::Pronto,
     "0000 006D 0000 0002 0015 0015 0015 05F1",
     {{"", {552, 552, 552}, 38029, 1}}},
    {"pronto named codes over several lines with comments",
     EFormat::Pronto,
     "# two buttons\nPower: 0000 006D 0001 0000\n 0015 05F1\n\nMute:\n0000 0073 0001 0000 0020 "
     "05A2 # the biphase one\n",
     {{"Power", {552}, 38029, 2}, {"Mute", {888}, 36045, 5}}},
    {"lirc header lines passed over and a trailing space dropped",
     EFormat::Lirc,
     "begin remote\n name TV\n bits 0\n eps 30\n frequency 36000\n begin raw_codes\n"
     "  name KEY_POWER\n   900 900 1800\n   900 500 20000\n  name KEY_MUTE # muted\n 500\n"
     " end raw_codes\nend remote\n",
     {{"KEY_POWER", {900, 900, 1800, 900, 500}, 36000, 7}, {"KEY_MUTE", {500}, 36000, 10}}},
    {"lirc two remotes in one file",
     EFormat::Lirc,
     "begin remote\nbegin raw_codes\nname A\n1 2 3\nend raw_codes\nend remote\n"
     "begin remote\nbegin raw_codes\nname B\n4\nend raw_codes\nend remote\n",
     {{"A", {1, 2, 3}, 0, 3}, {"B", {4}, 0, 9}}},
    {"flipper raw record with its trailing silence dropped",
     EFormat::Flipper,
     "Filetype: IR signals file\nVersion: 1\n# \nname: Vol_up\ntype: raw\nfrequency: 36000\n"
     "duty_cycle: 0.330000\ndata: 900 450 560 40000\n",
     {{"Vol_up", {900, 450, 560}, 36000, 4}}},
    {"lirc bare list of durations",
     EFormat::Lirc,
     "\n 9000 4500\n 560 560 560 40000\n",
     {{"", {9000, 4500, 560, 560, 560}, 0, 2}}},
};

class ExchangeReadTest : public testing::TestWithParam<SReadCase>
{
};

TEST_P(ExchangeReadTest, ReadsWhatTheFormMeans)
{
    const SReadCase& readCase = GetParam();
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    ASSERT_TRUE(Parse(readCase.nFormat, readCase.pszText, codes, error))
        << error.nLine << ": " << error.strReason;
    ASSERT_EQ(codes.size(), readCase.expected.size());
    for (std::size_t nCode = 0; nCode < codes.size(); ++nCode)
    {
        const SExchangeCode& expected = readCase.expected[nCode];
        EXPECT_EQ(codes[nCode].strName, expected.strName);
        EXPECT_EQ(codes[nCode].durations, expected.durations);
        EXPECT_EQ(codes[nCode].nCarrierHz, expected.nCarrierHz);
        EXPECT_EQ(codes[nCode].nLine, expected.nLine);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, ExchangeReadTest, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<SReadCase>& info)
                         {
                             std::string strName = info.param.pszName;
                             for (char& c : strName)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return strName;
                         });

struct SRefusalCase
{
    EFormat nFormat;
    const char* pszText;
    int nLine;
    const char* pszReason; // a part of the reason
};

const SRefusalCase kRefusalCases[] = {
    {EFormat::Pronto, "", 0, "holds no code"},
    {EFormat::Pronto, "0000 006D 0001\n0000 00G0", 2, "\"00G0\" is not a four-digit"},
    {EFormat::Pronto, "0000 006D 00010000 0015 05F1", 1, "\"00010000\" is not a four-digit"},
    {EFormat::Pronto, "0000 006D", 1, "at least four words, this one has 2"},
    {EFormat::Pronto, "\n0100 006D 0001 0000 0015 05F1", 2, "not codes of type 0100"},
    {EFormat::Pronto, "0000 0000 0001 0000 0015 05F1", 1, "carrier word is 0"},
    {EFormat::Pronto, "0000 006D 0000 0000", 1, "no burst pairs"},
    {EFormat::Pronto, "0000 006D 0002 0000\n0015 05F1\n0015", 1, "announces 2 burst pairs"},
    {EFormat::Pronto, "0000 006D 0002 0000 0015\n0000 0015 05F1", 2, "has a time of 0"},
    {EFormat::Pronto, "A: 0000 006D 0002 0000 0015 0015\nB: 0015 05F1", 2, "name B comes inside"},
    {EFormat::Pronto, "A:\nB: 0000 006D 0001 0000 0015 05F1", 1, "no code follows the name A"},
    {EFormat::Pronto, "A: 0000 006D 0001 0000 0015 05F1\nB:", 2, "no code follows the name B"},
    {EFormat::Lirc, "# nothing\n", 0, "holds no code"},
    {EFormat::Lirc, "begin remotes\n", 0, "holds no code"},
    {EFormat::Lirc, "begin remote\n name TV\n begin codes\n", 3, "no \"end codes\""},
    {EFormat::Lirc, "begin remote\n name TV\n begin nothing\n", 3, "is no section"},
    {EFormat::Lirc,
     "begin remote\n name TV\n bits 8\n begin codes\n A 0x1\n end codes\nend remote\n", 1,
     "TV gives its buttons as codes for a receiver's driver"},
    {EFormat::Lirc, "begin remote\n one 1 1\n bits 8\n begin codes\n A 1\n end codes\nend remote\n",
     1, "both one and zero"},
    {EFormat::Lirc,
     "begin remote\n one 1 1\n zero 1 1\n begin codes\n A 1\n end codes\nend remote\n", 1,
     "needs bits from 1"},
    {EFormat::Lirc,
     "begin remote\n one 1 1\n zero 1 1\n bits 4\n begin codes\n A 0x10\n end codes\nend remote\n",
     6, "wider than the 4 bits"},
    {EFormat::Lirc, "begin remote\n begin codes\n A\n", 3, "a name and a code"},
    {EFormat::Lirc,
     "begin remote\n flags SPACE_ENC|XMP\n one 1 1\n zero 1 1\n bits 8\n begin codes\n A 1\n"
     " end codes\nend remote\n",
     2, "\"XMP\" names an encoding"},
    {EFormat::Lirc, "begin remote\n header 9000\n", 2, "takes a pulse and a space"},
    {EFormat::Lirc, "begin remote\n bits 65\n", 2, "\"bits\" takes a number up to 64"},
    {EFormat::Lirc, "begin remote\n pre_data 0xZZ\n", 2, "\"pre_data\" takes a number"},
    {EFormat::Lirc, "begin remote\n frequency high\n", 2, "frequency is not a number"},
    {EFormat::Lirc, "begin remote\nbegin raw_codes\n 900\n", 3, "comes before the first name"},
    {EFormat::Lirc, "begin remote\nbegin raw_codes\nname A B\n", 3, "a name is one word"},
    {EFormat::Lirc, "begin remote\nbegin raw_codes\nname A\n900 -5\n", 4, "\"-5\" is not a dur"},
    {EFormat::Lirc, "begin remote\nbegin raw_codes\nname A\n0\n", 4, "\"0\" is not a duration"},
    {EFormat::Lirc, "begin remote\nbegin raw_codes\nname A\nname B\n1\n", 3, "A has no durations"},
    {EFormat::Lirc, "begin remote\nbegin raw_codes\nname A\n1\nend remote\n", 2,
     "no \"end raw_codes\""},
    {EFormat::Lirc, "begin remote\n\nbegin raw_codes\nname A\n1\n", 3, "no \"end raw_codes\""},
    {EFormat::Lirc, "begin remote\nbegin raw_codes\nname A\n1\nend raw_codes\n", 1,
     "no \"end remo"},
    {EFormat::Lirc, "900 900\n900 x\n", 2, "\"x\" is not a duration"},
    {EFormat::Flipper, "name: A\n", 1, "\"Filetype: IR signals file\" was expected"},
    {EFormat::Flipper, "Filetype: IR signals file\nVersion: 2\n", 2, "only version 1"},
    {EFormat::Flipper, "Filetype: IR signals file\n", 0, "lines are missing"},
    {EFormat::Flipper, "Filetype: IR signals file\nVersion: 1\n", 0, "holds no signal"},
    {EFormat::Flipper, "Filetype: IR signals file\nVersion: 1\ntype: raw\n", 3,
     "\"type\" comes before the first name"},
    {EFormat::Flipper, "Filetype: IR signals file\nVersion: 1\nname: A\nbroken\n", 4,
     "no \"key: value\" line"},
    {EFormat::Flipper, "Filetype: IR signals file\nVersion: 1\nname: A\n", 3, "A has no \"type\""},
    {EFormat::Flipper, "Filetype: IR signals file\nVersion: 1\nname: A\ntype: odd\n", 4,
     "\"parsed\" or \"raw\""},
    {EFormat::Flipper,
     "Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\n"
     "protocol: XYZ\n",
     5, "no protocol \"XYZ\""},
    {EFormat::Flipper,
     "Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\n"
     "protocol: NEC\naddress: 04 00 00\n",
     6, "four hex bytes"},
    {EFormat::Flipper,
     "Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\n"
     "protocol: NEC\naddress: 04 01 00 00\ncommand: 08 00 00 00\n",
     7, "do not fit the fields of NEC"},
    {EFormat::Flipper,
     "Filetype: IR signals file\nVersion: 1\nname: A\ntype: raw\n"
     "frequency: 38000\ndata: 900 -5\n",
     6, "\"-5\" is not a duration"},
    {EFormat::Flipper,
     "Filetype: IR signals file\nVersion: 1\nname: A\ntype: raw\n"
     "frequency: fast\n",
     5, "frequency is not a number"},
    {EFormat::Code, "# none\n", 0, "holds no code"},
    {EFormat::Code, "A NEC 1\n", 1, "NAME PROTOCOL ADDRESS COMMAND"},
    {EFormat::Code, "A NEC 1 x\n", 1, "are numbers"},
    {EFormat::Code, "A Sony12 1 0x80\n", 1, "too wide for Sony 12-bit"},
    {EFormat::Code, "A NEC 1 2 3\n", 1, "or it has no maker"},
    // A '#' within a word is no comment: the command is "8#".
    {EFormat::Code, "A NEC 4 8#\n", 1, "are numbers"},
    {EFormat::Code, "\xEF\xBB\xBF# only a comment\n", 0, "holds no code"},
};

class ExchangeRefusalTest : public testing::TestWithParam<SRefusalCase>
{
};

// A damaged input is refused with the line to look at and why, and the codes the caller holds
// are left as they were.
TEST_P(ExchangeRefusalTest, NamesTheLineAndTheReason)
{
    const SRefusalCase& refusal = GetParam();
    std::vector<SExchangeCode> codes{{"kept", {1}, 0, 0}};
    SExchangeError error;
    EXPECT_FALSE(Parse(refusal.nFormat, refusal.pszText, codes, error));
    EXPECT_EQ(error.nLine, refusal.nLine) << error.strReason;
    EXPECT_NE(error.strReason.find(refusal.pszReason), std::string::npos) << error.strReason;
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0].strName, "kept");
}

INSTANTIATE_TEST_SUITE_P(Inputs, ExchangeRefusalTest, testing::ValuesIn(kRefusalCases));

// At 38 kHz a word holds 1.7 seconds; a longer space cannot be written, and a code that would
// say something else is not written at all.
TEST(ProntoWriteTest, RefusesADurationNoWordHolds)
{
    std::string strText = "before";
    std::string strError;
    EXPECT_FALSE(FormatProntoCodes({{"Ok", {500}, 0, 0}, {"Slow", {500, 2000000, 500}, 0, 0}},
                                   38000, strText, strError));
    EXPECT_EQ(strText, "before");
    EXPECT_NE(strError.find("Slow: a space of 2000000 µs"), std::string::npos) << strError;
}
} // namespace

// A parsed record is the signal its protocol sends, and what the decoder knows is written back
// as the same parsed record; a signal no protocol explains goes out raw and comes back alike.
TEST(FlipperFormatTest, ParsedAndRawRecordsComeBackAsTheyWent)
{
    const std::string strText = "Filetype: IR signals file\nVersion: 1\n"
                                "#\nname: Power\ntype: parsed\nprotocol: NECext\n"
                                "address: 04 12 00 00\ncommand: 08 00 00 00\n"
                                "#\nname: Play\ntype: parsed\nprotocol: RC5X\n"
                                "address: 03 00 00 00\ncommand: 01 00 00 00\n"
                                "#\nname: Panel\ntype: parsed\nprotocol: Kaseikyo\n"
                                "address: 02 02 20 00\ncommand: 3D 01 00 00\n"
                                "#\nname: Odd\ntype: raw\nfrequency: 38000\nduty_cycle: 0.330000\n"
                                "data: 3000 1000 3000 40000\n";
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    ASSERT_TRUE(ParseFlipperCodes(strText, codes, error)) << error.nLine << ": " << error.strReason;
    ASSERT_EQ(codes.size(), 4u);
    EXPECT_EQ(DescribeSignal(DecodeSignal(codes[0].durations)),
              "NEC 16-bit command address 0x1204 command 0x08");
    EXPECT_EQ(DescribeSignal(DecodeSignal(codes[1].durations)), "RC-5 address 0x03 command 0x41");
    EXPECT_EQ(codes[0].nCarrierHz, 38000u);
    EXPECT_EQ(FormatFlipperCodes(codes, 38000), strText);
}

// A typed list may carry a byte-order mark, names with '#' in them and comments after a line's
// words; each code is the protocol's, on the line it was typed.
TEST(CodeListTest, NamesWithHashesAndTrailingComments)
{
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    ASSERT_TRUE(ParseCodeList("\xEF\xBB\xBFPower# NEC 4 8 # the TV\n#Mute NEC 4 9\n"
                              "KEY-# NEC 0x04 0x0A\n",
                              codes, error))
        << error.nLine << ": " << error.strReason;
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0].strName, "Power#");
    EXPECT_EQ(codes[0].nLine, 1);
    EXPECT_EQ(DescribeSignal(DecodeSignal(codes[0].durations)), "NEC address 0x04 command 0x08");
    EXPECT_EQ(codes[1].strName, "KEY-#");
    EXPECT_EQ(codes[1].nLine, 3);
    EXPECT_EQ(DescribeSignal(DecodeSignal(codes[1].durations)), "NEC address 0x04 command 0x0A");
}

// A list past the limit is refused at the first line past it, so reading stops there rather
// than encoding whatever follows; a list of the limit is taken whole.
TEST(CodeListTest, AListPastTheLimitIsRefusedWhereItPassesIt)
{
    std::string strText;
    for (std::size_t nCode = 0; nCode < kMaxListedCodes; ++nCode)
        strText += "B" + std::to_string(nCode) + " NEC 1 2\n";
    std::vector<SExchangeCode> codes;
    SExchangeError error;
    ASSERT_TRUE(ParseCodeList(strText, codes, error)) << error.strReason;
    EXPECT_EQ(codes.size(), kMaxListedCodes);

    strText += "# one more\nOver NEC 1 2\nbroken\n";
    codes.clear();
    EXPECT_FALSE(ParseCodeList(strText, codes, error));
    EXPECT_EQ(error.nLine, static_cast<int>(kMaxListedCodes) + 2);
    EXPECT_EQ(error.strReason, "it holds more than 10000 codes, more than any remote takes");
    EXPECT_TRUE(codes.empty());
}
