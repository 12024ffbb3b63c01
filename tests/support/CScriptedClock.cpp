#include "support/CScriptedClock.h"

bool CScriptedClock::ReadClock(SBcdReading& reading)
{
    ++m_nReads;
    if (!m_readings.empty())
    {
        reading = m_readings.front();
        m_readings.pop_front();
        return true;
    }
    reading = MakeBcdReading(m_now);
    return true;
}

bool CScriptedClock::SetSystemClock(int nYear, int nMonth, int nDay, int nHour, int nMinute,
                                    int nSecond, std::string&)
{
    m_setRequests.push_back(FormatClockRequest(nYear, nMonth, nDay, nHour, nMinute, nSecond));
    return true;
}
