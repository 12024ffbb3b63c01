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

bool CScriptedClock::SetSystemClock(const CTime& time, std::string&)
{
    m_setRequests.push_back(time.Format(' ', true));
    return true;
}
