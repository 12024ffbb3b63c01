#include "signal/FlipperFormat.h"
#include "signal/SignalDecoder.h"
#include "signal/SignalEncoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Parsed ".ir" records go out as the format's owner sends them. The expected frames are made
// here the way the owner's firmware makes them, not from our table: its common encoder
// (lib/infrared/encoder_decoder/common/infrared_common_encoder.c) sends a preamble, then the bits
// its protocol encoder packed, least significant first, each a mark and a space, then a stop
// mark; each protocol's timings and packing are cited beside its case.
namespace
{
using CRuns = std::vector<std::uint32_t>;

struct STimings
{
    std::uint32_t nPreambleMark, nPreambleSpace, nZeroMark, nZeroSpace, nOneMark, nOneSpace;
};

// lib/infrared/encoder_decoder/nec/infrared_protocol_nec_i.h
constexpr STimings kNec{9000, 4500, 560, 560, 560, 1690};
// lib/infrared/encoder_decoder/samsung/infrared_protocol_samsung_i.h
constexpr STimings kSamsung{4500, 4500, 550, 550, 550, 1650};
// lib/infrared/encoder_decoder/sirc/infrared_protocol_sirc_i.h
constexpr STimings kSirc{2400, 600, 600, 600, 1200, 600};
// lib/infrared/encoder_decoder/kaseikyo/infrared_protocol_kaseikyo_i.h (UNIT 432)
constexpr STimings kKaseikyo{3456, 1728, 432, 432, 432, 1296};
// lib/infrared/encoder_decoder/rca/infrared_protocol_rca_i.h
constexpr STimings kRca{4000, 4000, 500, 1000, 500, 2000};
// lib/infrared/encoder_decoder/pioneer/infrared_protocol_pioneer_i.h
constexpr STimings kPioneer{8500, 4225, 500, 500, 500, 1500};

constexpr std::uint32_t kNecPeriod = 110000;  // INFRARED_NEC_REPEAT_PERIOD
constexpr std::uint32_t kSircPeriod = 45000;  // INFRARED_SIRC_REPEAT_PERIOD
constexpr std::uint32_t kPioneerGap = 26000;  // INFRARED_PIONEER_SILENCE
constexpr std::uint32_t kToleranceMicros = 3; // what "the same frame" allows

// infrared_common_encode_pdwm: the bits as marks and spaces; pulse width (equal spaces) ends on
// the last mark, pulse distance with a stop mark when the protocol has one.
CRuns Owners(const STimings& timings, std::uint64_t nData, int nBits, bool bStopMark = true)
{
    CRuns runs{timings.nPreambleMark, timings.nPreambleSpace};
    for (int nBit = 0; nBit < nBits; ++nBit)
    {
        const bool bOne = (nData >> nBit & 1) != 0;
        runs.push_back(bOne ? timings.nOneMark : timings.nZeroMark);
        runs.push_back(bOne ? timings.nOneSpace : timings.nZeroSpace);
    }
    if (timings.nZeroSpace == timings.nOneSpace)
        runs.pop_back();
    else if (bStopMark)
        runs.push_back(timings.nZeroMark);
    return runs;
}

std::uint32_t Length(const CRuns& runs)
{
    std::uint32_t nLength = 0;
    for (const std::uint32_t nRun : runs)
        nLength += nRun;
    return nLength;
}

// The silence, then the next frame; silence after a trailing space makes one space with it.
CRuns Then(CRuns runs, std::uint32_t nSilence, const CRuns& next)
{
    if (runs.size() % 2 == 0)
        runs.back() += nSilence;
    else
        runs.push_back(nSilence);
    runs.insert(runs.end(), next.begin(), next.end());
    return runs;
}

// The frame that many times in all, each starting nPeriod after the one before.
CRuns Periodic(const CRuns& frame, std::uint32_t nPeriod, int nFrames)
{
    CRuns runs = frame;
    for (int nFrame = 1; nFrame < nFrames; ++nFrame)
        runs = Then(runs, nPeriod - Length(frame), frame);
    return runs;
}

std::string Record(const std::string& strFields)
{
    return "Filetype: IR signals file\nVersion: 1\n#\nname: Power\ntype: parsed\n" + strFields;
}

void ExpectSameRuns(const CRuns& sent, const CRuns& expected, std::uint32_t nTolerance,
                    const std::string& strWhat)
{
    ASSERT_EQ(sent.size(), expected.size()) << strWhat;
    for (std::size_t nRun = 0; nRun < expected.size(); ++nRun)
        EXPECT_LE(std::abs(static_cast<int>(sent[nRun]) - static_cast<int>(expected[nRun])),
                  static_cast<int>(nTolerance))
            << strWhat << ", run " << nRun << ": " << sent[nRun] << " where the owner sends "
            << expected[nRun];
}

struct SRecordCase
{
    const char* pszFields; // protocol, address and command lines
    unsigned nCarrierHz;
    CRuns expected;         // what one press sends
    const char* pszDecoded; // what our decoder reads in it
};

std::vector<SRecordCase> RecordCases()
{
    // RC-5's 888 us half-cells (infrared_protocol_rc5_i.h), a 1 a space then a mark, and
    // infrared_encoder_rc5.c's start bit, second start bit (1, or 0 for RC5X), toggle 0, 5
    // address and 6 command bits most significant first: 1 1 0 10100 101011, and for RC5X
    // address 0x0A command 0x01: 1 0 0 01010 000001.
    const CRuns rc5{888,  888,  1776, 1776, 1776, 1776, 1776, 888, 888,
                    1776, 1776, 1776, 1776, 1776, 888,  888,  888};
    const CRuns rc5x{1776, 888, 888, 888, 888, 1776, 1776, 1776, 1776, 888, 888,
                     888,  888, 888, 888, 888, 888,  888,  888,  1776, 888};
    const CRuns pioneer = Owners(kPioneer, 0xC936'50AF, 33, false);
    return {
        // infrared_encoder_nec.c: address, its inverse, command, its inverse.
        {"protocol: NEC\naddress: 04 00 00 00\ncommand: 08 00 00 00\n", 38000,
         Owners(kNec, 0xF708'FB04, 32), "NEC address 0x04 command 0x08"},
        // NECext: "address | command << 16", as the tool learns it (a command byte and its
        // inverse) and as written by hand (no inverse).
        {"protocol: NECext\naddress: 84 79 00 00\ncommand: 12 ED 00 00\n", 38000,
         Owners(kNec, 0xED12'7984, 32), "NEC extended address 0x7984 command 0x12"},
        {"protocol: NECext\naddress: EE 87 00 00\ncommand: 02 00 00 00\n", 38000,
         Owners(kNec, 0x0002'87EE, 32), "NEC 16-bit command address 0x87EE command 0x02"},
        // NEC42: 13 address bits, their inverse, the command and its inverse; NEC42ext: the
        // 26-bit address and the 16-bit command.
        {"protocol: NEC42\naddress: 34 12 00 00\ncommand: 5A 00 00 00\n", 38000,
         Owners(kNec,
                std::uint64_t{0xA5} << 34 | std::uint64_t{0x5A} << 26 |
                    (~0x1234ull & 0x1FFF) << 13 | 0x1234,
                42),
         "NEC 42-bit address 0x1234 command 0x5A"},
        {"protocol: NEC42ext\naddress: EF CD AB 02\ncommand: 34 12 00 00\n", 38000,
         Owners(kNec, std::uint64_t{0x1234} << 26 | 0x02AB'CDEF, 42),
         "NEC 42-bit 16-bit command address 0x2ABCDEF command 0x1234"},
        // infrared_encoder_samsung.c: the address twice, the command and its inverse.
        {"protocol: Samsung32\naddress: 0E 00 00 00\ncommand: 0C 00 00 00\n", 38000,
         Owners(kSamsung, 0xF30C'0E0E, 32), "Samsung address 0x0E command 0x0C"},
        {"protocol: RC5\naddress: 14 00 00 00\ncommand: 2B 00 00 00\n", 36000, rc5,
         "RC-5 address 0x14 command 0x2B"},
        {"protocol: RC5X\naddress: 0A 00 00 00\ncommand: 01 00 00 00\n", 36000, rc5x,
         "RC-5 address 0x0A command 0x41"},
        // infrared_encoder_sirc.c: 7 command bits, then 5, 8 or 13 address bits; three frames
        // (INFRARED_SIRC_REPEAT_COUNT_MIN), one every INFRARED_SIRC_REPEAT_PERIOD.
        {"protocol: SIRC\naddress: 01 00 00 00\ncommand: 15 00 00 00\n", 40000,
         Periodic(Owners(kSirc, 0x01 << 7 | 0x15, 12), kSircPeriod, 3),
         "Sony 12-bit address 0x01 command 0x15, repeated 2 times"},
        {"protocol: SIRC15\naddress: 1A 00 00 00\ncommand: 48 00 00 00\n", 40000,
         Periodic(Owners(kSirc, 0x1A << 7 | 0x48, 15), kSircPeriod, 3),
         "Sony 15-bit address 0x1A command 0x48, repeated 2 times"},
        {"protocol: SIRC20\naddress: BC 1A 00 00\ncommand: 3F 00 00 00\n", 40000,
         Periodic(Owners(kSirc, 0x1ABC << 7 | 0x3F, 20), kSircPeriod, 3),
         "Sony 20-bit address 0x1ABC command 0x3F, repeated 2 times"},
        // infrared_encoder_kaseikyo.c: vendor 0x2002, its parity nibble (0) and genre1 (1),
        // genre2 (0) and the command's low nibble (0xD), the id (0) and the command's high bits
        // (0x03), then the xor of those three bytes (0xC3).
        {"protocol: Kaseikyo\naddress: 10 02 20 00\ncommand: 3D 00 00 00\n", 38000,
         Owners(kKaseikyo, 0xC303'D010'2002, 48),
         "Kaseikyo maker 0x2002 address 0x01 command 0x3D"},
        // infrared_encoder_rca.c: address & 0xF | command << 4 | ~address << 12 | ~command << 16.
        // Our table reads RCA most significant bit first, as its public descriptions do, so the
        // tool's frame for command 0x54 reads as 0x2A: the record, not the reading, goes out.
        {"protocol: RCA\naddress: 0F 00 00 00\ncommand: 54 00 00 00\n", 38000,
         Owners(kRca, 0xAB'054F, 24), "RCA address 0x0F command 0x2A"},
        // infrared_encoder_pioneer.c: NEC's four bytes and a 33rd bit, 0; the frame twice
        // (INFRARED_PIONEER_REPEAT_COUNT_MIN), INFRARED_PIONEER_SILENCE after the 33rd bit.
        {"protocol: Pioneer\naddress: AF 00 00 00\ncommand: 36 00 00 00\n", 40000,
         Then(pioneer, kPioneerGap, CRuns(pioneer.begin(), pioneer.end() - 1)),
         "NEC address 0xAF command 0x36, repeated 1 time"},
    };
}

std::string ReadText(const std::string& strPath)
{
    std::ifstream file(strPath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The blocks of the recordings fixture: "source:", the record's lines, "data:" and a blank line.
struct SRecording
{
    std::string strSource;
    std::string strFields;
    CRuns durations;
};

std::vector<SRecording> ReadRecordings()
{
    std::vector<SRecording> recordings(1);
    std::istringstream lines(ReadText(QUORBIT_FIXTURES "/irfile/owner-recordings.txt"));
    for (std::string strLine; std::getline(lines, strLine);)
    {
        if (strLine.starts_with("source: "))
            recordings.back().strSource = strLine.substr(8);
        else if (strLine.starts_with("data: "))
        {
            std::istringstream words(strLine.substr(6));
            for (std::uint32_t nMicros = 0; words >> nMicros;)
                recordings.back().durations.push_back(nMicros);
            recordings.emplace_back();
        }
        else if (!strLine.empty() && !strLine.starts_with('#'))
            recordings.back().strFields += strLine + "\n";
    }
    recordings.pop_back();
    return recordings;
}
} // namespace

// One press of each parsed record is the owner's frame, run for run within 3 us, at the owner's
// carrier; the decoder still reads it, and export writes back the very record.
TEST(IrFileFramesTest, EachRecordIsTheFrameItsOwnerSends)
{
    for (const SRecordCase& testCase : RecordCases())
    {
        const std::string strText = Record(testCase.pszFields);
        std::vector<SExchangeCode> codes;
        SExchangeError error;
        ASSERT_TRUE(ParseFlipperCodes(strText, codes, error)) << testCase.pszFields;
        ExpectSameRuns(codes[0].durations, testCase.expected, kToleranceMicros, testCase.pszFields);
        EXPECT_EQ(codes[0].nCarrierHz, testCase.nCarrierHz) << testCase.pszFields;
        EXPECT_EQ(DescribeSignal(DecodeSignal(codes[0].durations)), testCase.pszDecoded);
        EXPECT_EQ(FormatFlipperCodes(codes, 38000), strText);
    }
}

// A held button: NEC's repeat frame (9000, 2250, 560) every INFRARED_NEC_REPEAT_PERIOD
// (infrared_encoder_nec_encode_repeat); Samsung's (a preamble, a 1 bit, the stop mark) after
// INFRARED_SAMSUNG_REPEAT_PAUSE1 and then REPEAT_PAUSE2 (infrared_encoder_samsung32_encode_repeat).
TEST(IrFileFramesTest, RepeatFramesFollowTheOwnersPeriods)
{
    SDecodedSignal nec{.eProtocol = EProtocol::kNec, .eForm = EFrameForm::kIrFile};
    nec.nAddress = 0x04;
    nec.nCommand = 0x08;
    nec.nRepeats = 2;
    SEncodedSignal encoded;
    ASSERT_TRUE(EncodeSignal(nec, encoded));
    const CRuns necFrame = Owners(kNec, 0xF708'FB04, 32);
    const CRuns necRepeat{9000, 2250, 560};
    ExpectSameRuns(encoded.durations,
                   Then(Then(necFrame, kNecPeriod - Length(necFrame), necRepeat),
                        kNecPeriod - Length(necRepeat), necRepeat),
                   kToleranceMicros, "NEC held");

    SDecodedSignal samsung = nec;
    samsung.eProtocol = EProtocol::kSamsung;
    ASSERT_TRUE(EncodeSignal(samsung, encoded));
    const CRuns samsungRepeat{4500, 4500, 550, 1650, 550};
    ExpectSameRuns(
        encoded.durations,
        Then(Then(Owners(kSamsung, 0xF708'0404, 32), 46000, samsungRepeat), 97000, samsungRepeat),
        kToleranceMicros, "Samsung32 held");
}

// The owner's own encoder output (RC6) and remotes recorded for the owner's unit tests: the
// record's frame is the recording's, within 3 us where the owner's encoder made it and within
// the owner's decoder tolerances (200 us for the preamble, 120 us for a bit) where a remote did.
// The bit order and field packing show here: RCA's least significant bit first, Pioneer's 33rd
// bit, NECext's 16-bit command.
TEST(IrFileFramesTest, RecordsMatchTheOwnersRecordings)
{
    const std::vector<SRecording> recordings = ReadRecordings();
    ASSERT_EQ(recordings.size(), 5u);
    for (const SRecording& recording : recordings)
    {
        std::vector<SExchangeCode> codes;
        SExchangeError error;
        ASSERT_TRUE(ParseFlipperCodes(Record(recording.strFields), codes, error))
            << recording.strSource;
        const bool bEncoder = recording.strSource.find("encoder_expected") != std::string::npos;
        CRuns sent = codes[0].durations;
        sent.resize(std::min(sent.size(), recording.durations.size()));
        for (std::size_t nRun = 0; nRun < recording.durations.size(); ++nRun)
        {
            const std::uint32_t nTolerance = bEncoder ? kToleranceMicros : nRun < 2 ? 200 : 120;
            ASSERT_LT(nRun, sent.size()) << recording.strSource;
            EXPECT_LE(std::abs(static_cast<int>(sent[nRun]) -
                               static_cast<int>(recording.durations[nRun])),
                      static_cast<int>(nTolerance))
                << recording.strSource << ", run " << nRun;
        }
    }
}
