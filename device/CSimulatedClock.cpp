#include "device/CSimulatedClock.h"

#include <cctype>
#include <cstdio>

namespace
{
constexpr char kStartPattern[] = "dddd-dd-dd dd:dd:dd";

bool MatchesPattern(const std::string& strText)
{
    if (strText.size() != sizeof kStartPattern - 1)
        return false;
    for (std::size_t nIndex = 0; nIndex < strText.size(); ++nIndex)
    {
        const bool bDigit = std::isdigit(static_cast<unsigned char>(strText[nIndex])) != 0;
        if (kStartPattern[nIndex] == 'd' ? !bDigit : strText[nIndex] != kStartPattern[nIndex])
            return false;
    }
    return true;
}

// The date exists when the calendar does not have to carry it into the next month.
bool IsCalendarDate(int nYear, int nMonth, int nDay)
{
    if (nYear < 1970 || nMonth < 1 || nMonth > 12 || nDay < 1)
        return false;
    const CTime noon(nYear, nMonth, nDay, 12, 0, 0);
    return noon.GetMonth() == nMonth && noon.GetDay() == nDay;
}
} // namespace

CSimulatedClock::CSimulatedClock(const CTime& start)
    : m_start(start), m_startedAt(std::chrono::steady_clock::now())
{
}

std::optional<CTime> CSimulatedClock::ParseStart(const std::string& strText)
{
    int nYear = 0, nMonth = 0, nDay = 0, nHour = 0, nMinute = 0, nSecond = 0;
    if (!MatchesPattern(strText) ||
        std::sscanf(strText.c_str(), "%d-%d-%d %d:%d:%d", &nYear, &nMonth, &nDay, &nHour, &nMinute,
                    &nSecond) != 6 ||
        !IsCalendarDate(nYear, nMonth, nDay) || nHour > 23 || nMinute > 59 || nSecond > 59)
        return std::nullopt;
    return CTime(nYear, nMonth, nDay, nHour, nMinute, nSecond);
}

bool CSimulatedClock::ReadClock(SBcdReading& reading)
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - m_startedAt);
    reading = MakeBcdReading(m_start.AddSeconds(elapsed.count()));
    return true;
}

bool CSimulatedClock::SetSystemClock(const CTime& time, std::string&)
{
    m_setRequests.push_back(time.Format(' ', true));
    return true;
}
