#include "device/CInfraredDevice.h"

void CInfraredDevice::SelectPort(int nPort, int bMaskInterrupts)
{
    if (nPort < 1 || nPort > 3)
        return;
    m_nPort = static_cast<short>(nPort);
    m_bMaskInterrupts = bMaskInterrupts;
    OnPortSelected();
}
