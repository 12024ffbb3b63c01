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

// A port that answers is timed once and the figure kept; after a capture the capture's own
// figure is the one that matches what was recorded.
TEST(SamplePeriodTest, AMeasuredPortIsTimedOnceThenFollowsTheLastCapture)
{
    CPortDevice<CMemoryPort> device{CMemoryPort()};
    const SSamplePeriod period = MeasureSamplePeriod(device);
    EXPECT_GT(period.dNanos, 0.0);
    EXPECT_GE(period.dJitterNanos, 0.0);
    EXPECT_FALSE(period.bNominal);
    const double dKept = GetMachineNanosPerSample(device);
    EXPECT_GT(dKept, 0.0);
    EXPECT_EQ(GetMachineNanosPerSample(device), dKept);

    std::array<std::uint8_t, kBitstreamBytes> field{};
    std::uint32_t nLength = kBitstreamBytes;
    device.CaptureBitstream(field.data(), nLength);
    EXPECT_EQ(GetMachineNanosPerSample(device), device.GetLastCaptureNanosPerSample());
}
} // namespace
