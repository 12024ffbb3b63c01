#include "device/CInfraredDevice.h"

#include "base/DocumentConstants.h"
#include "base/SampleRuns.h"
#include "device/PortTable.h"

namespace
{
// Reads of the detector line in one burst: about a sample's time each on a port.
constexpr int kReadsPerBurst = 20000;
} // namespace

void CInfraredDevice::SelectPort(int nPort, bool bMaskInterrupts)
{
    if (!IsValidPort(nPort))
        return;
    m_nPort = static_cast<short>(nPort);
    m_bMaskInterrupts = bMaskInterrupts;
}

bool CInfraredDevice::WaitForDetectorLine(bool bHigh, int /*nMaxWaitMs*/)
{
    for (int nRead = 0; nRead < kReadsPerBurst; ++nRead)
    {
        if ((ReadDetectorLine() != 0) == bHigh)
            return true;
    }
    return false;
}

void CInfraredDevice::TransmitTimedFrames(const CTimedFrames& frames, double dNanosPerSample)
{
    const std::vector<std::uint8_t> samples =
        DurationsToSamples(JoinTimedFrames(frames), dNanosPerSample);
    TransmitBitstream(samples.data(), static_cast<std::uint32_t>(samples.size()));
}

std::uint64_t CInfraredDevice::GetLongestTimedMicros(double dNanosPerSample) const
{
    return static_cast<std::uint64_t>(static_cast<double>(kBitstreamSamples) * dNanosPerSample /
                                      1000);
}
