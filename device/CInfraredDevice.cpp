#include "device/CInfraredDevice.h"

#include "device/PortTable.h"

void CInfraredDevice::SelectPort(int nPort, bool bMaskInterrupts)
{
    if (!IsValidPort(nPort))
        return;
    m_nPort = static_cast<short>(nPort);
    m_bMaskInterrupts = bMaskInterrupts;
}
