#include "device/CPortDevice.h"
#include "device/CSimulatedPort.h"
#include "document/CBitstreamCodec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace
{
using CField = std::array<std::uint8_t, kBitstreamBytes>;

bool SampleAt(const CField& field, std::size_t nSample)
{
    return (field[nSample / 8] >> (7 - nSample % 8)) & 1;
}

// The lengths of the alternating runs of a recording, starting with infrared.
std::vector<std::uint32_t> RunsOf(const CField& field, std::uint32_t nLength)
{
    std::vector<std::uint32_t> runs;
    bool bLevel = true;
    std::uint32_t nRun = 0;
    for (std::size_t nSample = 0; nSample < std::size_t{nLength} * 8; ++nSample)
    {
        if (SampleAt(field, nSample) != bLevel)
        {
            runs.push_back(nRun);
            bLevel = !bLevel;
            nRun = 0;
        }
        ++nRun;
    }
    runs.push_back(nRun);
    return runs;
}

// The 32 data bits of a frame's runs (header mark and space first), least significant first;
// a space longer than a mark is a 1.
std::uint32_t FrameData(const std::vector<std::uint32_t>& runs)
{
    std::uint32_t nData = 0;
    for (int nBit = 0; nBit < 32; ++nBit)
    {
        const std::size_t nMark = 2 + 2 * static_cast<std::size_t>(nBit);
        if (runs.at(nMark + 1) > 2 * runs.at(nMark))
            nData |= std::uint32_t{1} << nBit;
    }
    return nData;
}

class CSimulatedUnitTest : public testing::Test
{
protected:
    CSimulatedUnitTest() { m_device.SelectPort(1, false); }

    // What learning a button does: power the detector, wait for an idle line, wait for the
    // signal to begin, then record.
    std::uint32_t Learn(CField& field)
    {
        m_device.EnableDetector();
        int nPolls = 0;
        while (m_device.ReadDetectorLine() == 0 && ++nPolls < 100000)
        {
        }
        while (m_device.ReadDetectorLine() != 0 && ++nPolls < 100000)
        {
        }
        std::uint32_t nLength = kBitstreamBytes;
        m_device.CaptureBitstream(field.data(), nLength);
        return nLength;
    }

    CPortDevice<CSimulatedPort> m_device{CSimulatedPort()};
};

TEST_F(CSimulatedUnitTest, LearnsAWholeFrameFromTheHandHeldRemote)
{
    CField field{};
    const std::uint8_t nCommand = m_device.GetPortBackend().GetRemote().GetNextCommand();
    const std::uint32_t nLength = Learn(field);

    const std::vector<std::uint32_t> runs = RunsOf(field, nLength);
    // Header mark (less the sample the wait saw), header space, 32 bits, closing mark, and
    // the silence up to the end of the last byte.
    ASSERT_EQ(runs.size(), 2 + 64 + 1 + 1u);
    EXPECT_EQ(runs[0], 9000u - 1);
    EXPECT_EQ(runs[1], 4500u);
    EXPECT_LT(runs.back(), 8u);
    const std::uint32_t nData = FrameData(runs);
    EXPECT_EQ(nData & 0xFF, CSimulatedRemote::kAddress);
    EXPECT_EQ((nData >> 8) & 0xFF, CSimulatedRemote::kAddress ^ 0xFFu);
    EXPECT_EQ((nData >> 16) & 0xFF, nCommand);
    EXPECT_EQ(nData >> 24, nCommand ^ 0xFFu);

    std::vector<std::uint8_t> encoded;
    ASSERT_TRUE(CompressBitstream(std::span(field.data(), nLength), encoded));
    EXPECT_LT(encoded.size(), kBitstreamBytes / 100);
}

TEST_F(CSimulatedUnitTest, EveryRecordingCarriesADifferentCommand)
{
    CField first{};
    CField second{};
    const std::uint32_t nFirst = Learn(first);
    const std::uint32_t nSecond = Learn(second);
    EXPECT_NE(FrameData(RunsOf(first, nFirst)), FrameData(RunsOf(second, nSecond)));
}

TEST_F(CSimulatedUnitTest, TheEmitterSendsALearnedFrameSampleForSample)
{
    CField field{};
    const std::uint32_t nLength = Learn(field);
    CSimulatedPort& port = m_device.GetPortBackend();
    port.ClearEmitterRecord();

    m_device.TransmitBitstream(field.data(), nLength);

    const std::vector<std::uint8_t> sent = port.GetEmitterRecord();
    ASSERT_EQ(sent.size(), std::size_t{nLength} * 8 + 1);
    for (std::size_t nSample = 0; nSample + 1 < sent.size(); ++nSample)
        ASSERT_EQ(sent[nSample], SampleAt(field, nSample) ? 1 : 0) << "sample " << nSample;
    EXPECT_EQ(sent.back(), 0);
}

// Reads until the line shows infrared, at most nReads times; the number of reads taken.
int ReadsUntilInfrared(CInfraredDevice& device, int nReads)
{
    int nRead = 0;
    while (nRead < nReads && device.ReadDetectorLine() != 0)
        ++nRead;
    return nRead;
}

class SimulatedPressDelayTest : public ::testing::TestWithParam<std::uint32_t>
{
};

// However long the person looks at the window, the line stays idle until a second has passed
// on the count, also across its wrap; then the frame follows its lead-in of silence.
TEST_P(SimulatedPressDelayTest, ThePersonPressesASecondAfterTheDetectorIsPowered)
{
    std::uint32_t nNow = GetParam();
    CPortDevice<CSimulatedPort> device{CSimulatedPort()};
    device.GetPortBackend().GetRemote().SetMillisecondCount([&nNow] { return nNow; });
    device.EnableDetector();

    nNow += CSimulatedRemote::kPressDelayMs - 1;
    EXPECT_EQ(ReadsUntilInfrared(device, 100000), 100000);
    nNow += 1;
    EXPECT_EQ(ReadsUntilInfrared(device, 100000), static_cast<int>(CSimulatedRemote::kIdleSamples));
}

INSTANTIATE_TEST_SUITE_P(Counts, SimulatedPressDelayTest, ::testing::Values(0u, 0xFFFFFE00u));
} // namespace
