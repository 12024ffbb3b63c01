#include "device/CPortDevice.h"
#include "device/CMemoryPort.h"
#include "device/CSimulatedPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace
{
using CRuns = CSimulatedRemote::CRuns;
using CBytes = std::vector<std::uint8_t>;

class CPortDeviceTest : public testing::Test
{
protected:
    CPortDeviceTest() { m_device.SelectPort(1, false); }

    CSimulatedPort& Port() { return m_device.GetPortBackend(); }

    // Records a press that sends runs into a field that still holds an older recording.
    std::uint32_t Capture(CRuns runs, std::uint32_t nAccept = kBitstreamBytes)
    {
        Port().GetRemote().QueueSignal(std::move(runs));
        m_device.EnableDetector();
        m_field.fill(0xEE);
        std::uint32_t nLength = nAccept;
        m_device.CaptureBitstream(m_field.data(), nLength);
        return nLength;
    }

    CBytes Transmit(const std::uint8_t* pSrc, std::uint32_t nLength)
    {
        Port().ClearEmitterRecord();
        m_device.TransmitBitstream(pSrc, nLength);
        return Port().GetEmitterRecord();
    }

    bool IsClearFrom(std::uint32_t nIndex) const
    {
        return std::all_of(m_field.begin() + nIndex, m_field.end(),
                           [](std::uint8_t nByte) { return nByte == 0; });
    }

    CPortDevice<CSimulatedPort> m_device{CSimulatedPort()};
    std::array<std::uint8_t, kBitstreamBytes> m_field{};
};

struct STrimCase
{
    const char* pszName;
    CRuns runs; // no infrared, infrared, ... in samples from the start of the capture
    std::uint32_t nLength;
    std::uint8_t nLastByte;
};

const STrimCase kTrimCases[] = {
    {"nothing seen", {}, 0, 0},
    {"only the first sample", {0, 1}, 1, 0x80},
    {"only the first byte", {0, 8}, 1, 0xFF},
    {"bytes 0 to 99", {0, 800}, 100, 0xFF},
    {"one sample inside byte 1234", {1234 * 8 + 3, 1}, 1235, 0x10},
    {"a mark across a byte boundary", {14, 4}, 3, 0xC0},
    {"only the last byte", {399992, 8}, 50000, 0xFF},
    {"only the last sample", {399999, 1}, 50000, 0x01},
};

TEST_F(CPortDeviceTest, KeepsEveryByteUpToTheLastThatHoldsInfraredAndClearsTheRest)
{
    for (const STrimCase& trim : kTrimCases)
    {
        SCOPED_TRACE(trim.pszName);
        const std::uint32_t nLength = Capture(trim.runs);
        ASSERT_EQ(nLength, trim.nLength);
        if (nLength != 0)
        {
            EXPECT_EQ(m_field[nLength - 1], trim.nLastByte);
        }
        EXPECT_TRUE(IsClearFrom(nLength));
    }
}

TEST_F(CPortDeviceTest, CopiesNoMoreThanTheCallerAccepts)
{
    EXPECT_EQ(Capture({0, 800}, 10), 10u);
    EXPECT_EQ(m_field[9], 0xFF);
    EXPECT_TRUE(IsClearFrom(10));
    EXPECT_EQ(Capture({0, 800}, 60000), 100u);
}

TEST_F(CPortDeviceTest, CaptureTurnsTheDetectorOffAtItsEnd)
{
    Port().ClearEmitterRecord();
    // Infrared that goes on past the end of the recording.
    Capture({0, 500000});
    EXPECT_EQ(Port().GetEmitterRecord(), (CBytes{0x02, 0x00}));
    EXPECT_EQ(m_device.ReadDetectorLine(), 0x10);
}

TEST_F(CPortDeviceTest, RecordsTheSameWithTheMaskingFlagSet)
{
    // Real-time scheduling where the test may have it, plain scheduling otherwise.
    m_device.SelectPort(1, true);
    EXPECT_EQ(Capture({0, 800}), 100u);
    const std::uint8_t nByte = 0xA5;
    EXPECT_EQ(Transmit(&nByte, 1).size(), 9u);
}

TEST_F(CPortDeviceTest, PlaysEachSampleAsOneWriteEarliestFirstThenTurnsTheEmitterOff)
{
    const std::uint8_t nByte = 0xA5;
    EXPECT_EQ(Transmit(&nByte, 1), (CBytes{1, 0, 1, 0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(Transmit(nullptr, 0), (CBytes{0}));
}

TEST_F(CPortDeviceTest, PlaysAtMostAFullField)
{
    CBytes source(60000, 0x80);
    source[kBitstreamBytes] = 0xFF; // beyond the field: never played
    const CBytes sent = Transmit(source.data(), static_cast<std::uint32_t>(source.size()));
    ASSERT_EQ(sent.size(), kBitstreamSamples + 1);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 1), static_cast<long>(kBitstreamBytes));
    EXPECT_EQ(sent.back(), 0);
}

TEST_F(CPortDeviceTest, KeepsTheSamplePeriodOfTheLastLoops)
{
    EXPECT_EQ(m_device.GetLastCaptureNanosPerSample(), 0);
    Capture({});
    const std::uint8_t nByte = 0xFF;
    Transmit(&nByte, 1);
    const double dTransmit = m_device.GetLastTransmitNanosPerSample();
    EXPECT_GT(m_device.GetLastCaptureNanosPerSample(), 0);
    EXPECT_GT(dTransmit, 0);
    // Nothing played, nothing measured.
    Transmit(nullptr, 0);
    EXPECT_EQ(m_device.GetLastTransmitNanosPerSample(), dTransmit);
}

TEST_F(CPortDeviceTest, IgnoresPortNumbersOutsideOneToThree)
{
    m_device.SelectPort(2, false);
    for (const int nPort : {0, 4, -1})
    {
        m_device.SelectPort(nPort, true);
        EXPECT_EQ(m_device.GetPort(), 2);
        EXPECT_FALSE(m_device.GetMaskInterrupts());
    }
}

TEST(CPortDeviceRegistersTest, EachPortUsesOnlyItsOwnDataAndStatusRegisters)
{
    for (int nPort = 1; nPort <= kPortCount; ++nPort)
    {
        SCOPED_TRACE(nPort);
        CPortDevice<CMemoryPort> device{CMemoryPort()};
        CMemoryPort& port = device.GetPortBackend();
        for (const SPortRegisters& registers : kPortTable)
        {
            port.Out(registers.nData, 0xEE);
            port.Out(registers.nStatus, kStatusDetectorLine);
        }
        const SPortRegisters& mine = GetPortRegisters(nPort);
        port.Out(mine.nStatus, 0x00); // only the selected port sees infrared
        device.SelectPort(nPort, false);

        EXPECT_EQ(device.ReadDetectorLine(), 0);
        device.EnableDetector();
        EXPECT_EQ(port.Peek(mine.nData), kDataDetectorReady);
        std::array<std::uint8_t, kBitstreamBytes> field{};
        std::uint32_t nLength = kBitstreamBytes;
        device.CaptureBitstream(field.data(), nLength);
        EXPECT_EQ(nLength, kBitstreamBytes);
        EXPECT_EQ(port.Peek(mine.nData), kDataAllOff);

        for (const SPortRegisters& other : kPortTable)
        {
            if (other.nData == mine.nData)
                continue;
            EXPECT_EQ(port.Peek(other.nData), 0xEE);
            EXPECT_EQ(port.Peek(other.nStatus), kStatusDetectorLine);
        }
    }
}
} // namespace
