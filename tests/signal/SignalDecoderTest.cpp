#include "signal/SignalDecoder.h"
#include "SignalFrames.h"
#include "device/CPortDevice.h"
#include "device/CSimulatedPort.h"
#include "signal/SignalDurations.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using namespace SignalFrames;

struct SDecodeCase
{
    const char* pszName;
    CRuns runs;
    std::string strExpected;
};

// Gaps between frames as the remotes leave them.
constexpr std::uint32_t kNecGap = 40000;
constexpr std::uint32_t kSonyGap = 25000;

const CRuns kNecRepeat{9000, 2250, 560};
const CRuns kJvcFrame = PulseDistance(8400, 4200, 526, 526, 1578, 0x1703, 16);
const CRuns kSonyFrame = Sony(0x01 << 7 | 0x15, 12);

std::vector<SDecodeCase> DecodeCases()
{
    return {
        {"NEC held down", Join({Nec(0xFB04, 0x12), kNecRepeat, kNecRepeat}, kNecGap),
         "NEC address 0x04 command 0x12, repeated 2 times"},
        {"NEC extended address", Nec(0x1234, 0x56), "NEC extended address 0x1234 command 0x56"},
        // rc-protos.rst ("nec-32"): a NEC frame whose fourth byte is not the inverse of the
        // third carries a 16-bit address and a 16-bit command, least significant bit first.
        {"NEC with a 16-bit command", PulseDistance(9000, 4500, 560, 560, 1690, 0x00027F00, 32),
         "NEC 16-bit command address 0x7F00 command 0x02"},
        {"NEC repeat alone", Join({kNecRepeat, kNecRepeat}, kNecGap), "NEC repeat"},
        {"NEC after a frame cut short",
         Join({From(Nec(0xFB04, 0x12), 30), Nec(0xFB04, 0x12)}, kNecGap),
         "NEC address 0x04 command 0x12"},
        {"Samsung", PulseDistance(4500, 4500, 560, 560, 1690, 0xFD020707, 32),
         "Samsung address 0x07 command 0x02"},
        {"JVC repeated without its header", Join({kJvcFrame, From(kJvcFrame, 2)}, 20000),
         "JVC address 0x03 command 0x17, repeated 1 time"},
        {"Sony 12-bit sent three times", Join({kSonyFrame, kSonyFrame, kSonyFrame}, kSonyGap),
         "Sony 12-bit address 0x01 command 0x15, repeated 2 times"},
        {"Sony 15-bit", Sony(0x97 << 7 | 0x15, 15), "Sony 15-bit address 0x97 command 0x15"},
        {"Sony 20-bit", Sony(0x1FFF << 7 | 0x7F, 20), "Sony 20-bit address 0x1FFF command 0x7F"},
        {"RC-5", Rc5(false, 0x05, 0x35), "RC-5 address 0x05 command 0x35"},
        {"RC-5 extended command", Rc5(true, 0x1F, 0x45), "RC-5 address 0x1F command 0x45"},
        {"RC-6 mode 0", Rc6(true, 0x80, 0x0C), "RC-6 address 0x80 command 0x0C"},
        {"RC-6 mode 0 all zeros", Rc6(false, 0x00, 0x00), "RC-6 address 0x00 command 0x00"},
        {"unknown", {3000, 1000, 3000, 1000, 3000}, "unknown (5 runs)"},
    };
}
} // namespace

// Every protocol is told from the others and read right through a sender's jitter of a tenth
// either way, with and without a receiver that lengthens marks at the cost of spaces.
TEST(SignalDecoderTest, DecodesEachProtocolThroughJitterAndStretching)
{
    for (const SDecodeCase& decodeCase : DecodeCases())
        for (const std::uint32_t nStretch : {0u, 150u})
            for (unsigned nSeed = 1; nSeed <= 16; ++nSeed)
                ASSERT_EQ(DescribeSignal(DecodeSignal(Distort(decodeCase.runs, nSeed, nStretch))),
                          decodeCase.strExpected)
                    << decodeCase.pszName << ", stretch " << nStretch << ", seed " << nSeed;
}

// The whole way from the detector: the simulated unit's recording, read at its nominal period.
TEST(SignalDecoderTest, DecodesARecordingOfTheSimulatedRemote)
{
    CPortDevice<CSimulatedPort> device{CSimulatedPort()};
    device.SelectPort(1, false);
    const std::uint8_t nCommand = device.GetPortBackend().GetRemote().GetNextCommand();
    device.EnableDetector();
    std::vector<std::uint8_t> field(kBitstreamBytes);
    std::uint32_t nLength = kBitstreamBytes;
    device.CaptureBitstream(field.data(), nLength);
    field.resize(nLength);

    const SDecodedSignal decoded = DecodeSignal(ToDurations(CBitstream(field), 1000));

    EXPECT_EQ(decoded.eProtocol, EProtocol::kNec);
    EXPECT_EQ(decoded.nAddress, CSimulatedRemote::kAddress);
    EXPECT_EQ(decoded.nCommand, nCommand);
    EXPECT_EQ(decoded.nRuns, 67u);
}
