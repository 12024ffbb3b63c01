#include "support/CScriptedTickSource.h"

std::uint32_t CScriptedTickSource::GetTickCount()
{
    const std::uint32_t nNow = m_nNow;
    m_nNow += m_nStepPerRead;
    return nNow;
}
