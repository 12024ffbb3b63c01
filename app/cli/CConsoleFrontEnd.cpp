#include "app/cli/CConsoleFrontEnd.h"

void CConsoleFrontEnd::PumpWaitMessages()
{
    if (m_onPump)
        m_onPump();
}
