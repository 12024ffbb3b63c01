#include "signal/FlipperFormat.h"
#include "signal/SignalDecoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// NECext and NEC42ext records go out as the ".ir" format's own encoder sends them, written here
// by hand from its firmware rather than from our table:
// lib/infrared/encoder_decoder/nec/infrared_protocol_nec_i.h (the timings) and
// lib/infrared/encoder_decoder/nec/infrared_encoder_nec.c (NECext: "address | command << 16",
// 32 bits; NEC42ext: the 26-bit address, then the 16-bit command, 42 bits; no inverse added,
// least significant bit first).
namespace
{
constexpr std::uint32_t kPreambleMark = 9000;  // INFRARED_NEC_PREAMBLE_MARK
constexpr std::uint32_t kPreambleSpace = 4500; // INFRARED_NEC_PREAMBLE_SPACE
constexpr std::uint32_t kBitMark = 560;        // INFRARED_NEC_BIT1_MARK, INFRARED_NEC_BIT0_MARK
constexpr std::uint32_t kZeroSpace = 560;      // INFRARED_NEC_BIT0_SPACE
constexpr std::uint32_t kOneSpace = 1690;      // INFRARED_NEC_BIT1_SPACE
constexpr std::uint32_t kToleranceMicros = 3;

std::vector<std::uint32_t> OwnersFrame(std::uint64_t nData, int nBits)
{
    std::vector<std::uint32_t> runs{kPreambleMark, kPreambleSpace};
    for (int nBit = 0; nBit < nBits; ++nBit)
    {
        runs.push_back(kBitMark);
        runs.push_back((nData >> nBit & 1) != 0 ? kOneSpace : kZeroSpace);
    }
    runs.push_back(kBitMark); // the stop bit
    return runs;
}

std::string Record(const char* pszProtocol, const char* pszAddress, const char* pszCommand)
{
    return std::string("Filetype: IR signals file\nVersion: 1\n#\nname: Power\ntype: parsed\n") +
           "protocol: " + pszProtocol + "\naddress: " + pszAddress + "\ncommand: " + pszCommand +
           "\n";
}

struct SNecExtCase
{
    const char* pszProtocol;
    const char* pszAddress;
    const char* pszCommand;
    std::uint64_t nOwnersData; // what the owner's encoder puts on the air
    int nBits;
    const char* pszDecoded;
};

const SNecExtCase kNecExtCases[]{
    // What the tool writes when it learns a remote: the command byte and its inverse.
    {"NECext", "00 7F 00 00", "12 ED 00 00", 0xED127F00, 32,
     "NEC extended address 0x7F00 command 0x12"},
    // Written by hand: the command's second byte sent as it stands, no inverse made up.
    {"NECext", "EE 87 00 00", "02 00 00 00", 0x000287EE, 32,
     "NEC 16-bit command address 0x87EE command 0x02"},
    {"NECext", "04 F9 00 00", "08 F7 00 00", 0xF708F904, 32,
     "NEC extended address 0xF904 command 0x08"},
    {"NEC42ext", "34 12 00 01", "5A 01 00 00", std::uint64_t{0x015A} << 26 | 0x01001234, 42,
     "NEC 42-bit 16-bit command address 0x1001234 command 0x015A"},
};
} // namespace

// Each record's first frame is, run for run, the owner's frame within 3 us; the decoder reads it
// as a NEC frame with or without the inverse, and export writes back the record it came from.
TEST(FlipperNecExtTest, RecordsGoOutAsTheFormatsOwnerSendsThem)
{
    for (const SNecExtCase& testCase : kNecExtCases)
    {
        const std::string strText =
            Record(testCase.pszProtocol, testCase.pszAddress, testCase.pszCommand);
        std::vector<SExchangeCode> codes;
        SExchangeError error;
        ASSERT_TRUE(ParseFlipperCodes(strText, codes, error))
            << testCase.pszCommand << ": " << error.strReason;
        const std::vector<std::uint32_t> expected =
            OwnersFrame(testCase.nOwnersData, testCase.nBits);
        // One press is one frame, as the owner's encoder sends it before any repeat.
        ASSERT_EQ(codes[0].durations.size(), expected.size()) << testCase.pszCommand;
        for (std::size_t nRun = 0; nRun < expected.size(); ++nRun)
            EXPECT_LE(std::abs(static_cast<int>(codes[0].durations[nRun]) -
                               static_cast<int>(expected[nRun])),
                      static_cast<int>(kToleranceMicros))
                << testCase.pszCommand << " run " << nRun << ": " << codes[0].durations[nRun]
                << " where the owner sends " << expected[nRun];
        EXPECT_EQ(DescribeSignal(DecodeSignal(codes[0].durations)), testCase.pszDecoded);
        EXPECT_EQ(FormatFlipperCodes(codes, 38000), strText) << testCase.pszCommand;
    }
}
