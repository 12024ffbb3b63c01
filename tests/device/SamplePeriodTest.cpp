#include "device/SamplePeriod.h"
#include "device/CMemoryPort.h"
#include "device/CPortDevice.h"
#include "device/CSimulatedPort.h"

#include <gtest/gtest.h>

#include <array>

namespace
{
// The simulated unit's loop runs at the processor's speed; a period taken from it, or from a
// capture on it, would turn every microsecond of a learned signal into a few nanoseconds. Asking
// must not power the detector either, or the simulated person would press.
TEST(SamplePeriodTest, TheSimulatedUnitStandsForAMicrosecondAndIsLeftAlone)
{
    CPortDevice<CSimulatedPort> device{CSimulatedPort()};
    const SSamplePeriod period = MeasureSamplePeriod(device);
    EXPECT_EQ(period.dNanos, 1000.0);
    EXPECT_EQ(period.dJitterNanos, 0.0);
    EXPECT_TRUE(period.bNominal);
    EXPECT_EQ(GetMachineNanosPerSample(device), 1000.0);
    EXPECT_EQ(device.GetPortBackend().GetEmitterWriteCount(), 0u);

    std::array<std::uint8_t, kBitstreamBytes> field{};
    std::uint32_t nLength = kBitstreamBytes;
    device.EnableDetector();
    device.CaptureBitstream(field.data(), nLength);
    EXPECT_EQ(GetMachineNanosPerSample(device), 1000.0);
}

// A port that counts the reads made of it, so that a test sees when the period is timed. Its
// name is its own, as the figures are kept per backend name for the life of the process.
class CCountingPort
{
public:
    std::uint8_t In(std::uint16_t /*nAddress*/)
    {
        ++m_nReads;
        return 0;
    }
    void Out(std::uint16_t /*nAddress*/, std::uint8_t /*nValue*/) {}
    const char* GetName() const { return "counting"; }

    int m_nReads = 0;
};

// Timing a port holds up whoever asks, so it is timed once for its backend, whichever device
// asks; after a capture the capture's own figure is the one that matches what was recorded.
TEST(SamplePeriodTest, AMeasuredPortIsTimedOnceThenFollowsTheLastCapture)
{
    CPortDevice<CCountingPort> first{CCountingPort()};
    CPortDevice<CCountingPort> second{CCountingPort()};
    const SSamplePeriod period = MeasureSamplePeriod(first);
    EXPECT_FALSE(period.bNominal);
    const int nTimingReads = first.GetPortBackend().m_nReads;
    EXPECT_GT(nTimingReads, 0);

    const double dKept = GetMachineNanosPerSample(first);
    const int nAfterFirstAsk = first.GetPortBackend().m_nReads;
    EXPECT_EQ(nAfterFirstAsk, 2 * nTimingReads) << "the first ask times the port";
    EXPECT_EQ(GetMachineNanosPerSample(first), dKept);
    EXPECT_EQ(GetMachineNanosPerSample(second), dKept);
    EXPECT_EQ(first.GetPortBackend().m_nReads, nAfterFirstAsk);
    EXPECT_EQ(second.GetPortBackend().m_nReads, 0);

    std::array<std::uint8_t, kBitstreamBytes> field{};
    std::uint32_t nLength = kBitstreamBytes;
    second.CaptureBitstream(field.data(), nLength);
    const int nAfterCapture = second.GetPortBackend().m_nReads;
    EXPECT_EQ(GetMachineNanosPerSample(second), second.GetLastCaptureNanosPerSample());
    EXPECT_EQ(second.GetPortBackend().m_nReads, nAfterCapture);
    EXPECT_EQ(GetMachineNanosPerSample(first), dKept) << "the other device keeps the timing";
}
} // namespace
