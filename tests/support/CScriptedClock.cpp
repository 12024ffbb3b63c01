#include "support/CScriptedClock.h"

#include <cstdio>

bool CScriptedClock::ReadClock(SBcdReading& reading)
{
    ++m_nReads;
    if (!m_readings.empty())
    {
        reading = m_readings.front();
        m_readings.pop_front();
        return true;
    }
    reading = MakeBcdReading(m_now.GetYear(), m_now.GetMonth(), m_now.GetDay(), m_now.GetHour(),
                             m_now.GetMinute(), m_now.GetSecond());
    return true;
}

bool CScriptedClock::SetSystemClock(int nYear, int nMonth, int nDay, int nHour, int nMinute,
                                    int nSecond, std::string&)
{
    char szText[32];
    std::snprintf(szText, sizeof szText, "%04d-%02d-%02d %02d:%02d:%02d", nYear, nMonth, nDay,
                  nHour, nMinute, nSecond);
    m_setRequests.emplace_back(szText);
    return true;
}
