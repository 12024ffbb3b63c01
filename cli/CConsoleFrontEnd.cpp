#include "cli/CConsoleFrontEnd.h"

void CConsoleFrontEnd::PumpWaitMessages(std::uint32_t nMaxWaitMs)
{
    if (m_onPump)
        m_onPump(nMaxWaitMs);
}
