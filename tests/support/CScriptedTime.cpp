#include "support/CScriptedTime.h"

#include "support/CScriptedClock.h"
#include "support/CScriptedTickSource.h"

void CScriptedTime::Advance(std::uint32_t nMilliseconds)
{
    m_ticks.Advance(nMilliseconds);
    m_nPendingMs += nMilliseconds;
    m_clock.m_now = m_clock.m_now.AddSeconds(m_nPendingMs / 1000);
    m_nPendingMs %= 1000;
}

void CScriptedTime::SetClock(const CTime& now)
{
    m_clock.m_now = now;
    m_nPendingMs = 0;
}
