#include "device/CInfraredDevice.h"

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
