#include "base/CTime.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace
{
constexpr std::int64_t kSecondsPerDay = 86400;

// Seconds by which local time is ahead of UTC at nTime. localtime_r keeps no state between
// calls that could change its answer, unlike mktime, whose guess for an ambiguous time follows
// the call before it.
long GetUtcOffset(std::int64_t nTime)
{
    const std::time_t nAt = static_cast<std::time_t>(nTime);
    std::tm fields{};
    localtime_r(&nAt, &fields);
    return fields.tm_gmtoff;
}

// Calendar fields counted as if they were UTC: what a local clock shows, in seconds, before
// any offset is taken off. Out-of-range fields carry over.
std::int64_t GetClockSeconds(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
{
    std::tm fields{};
    fields.tm_year = nYear - 1900;
    fields.tm_mon = nMonth - 1;
    fields.tm_mday = nDay;
    fields.tm_hour = nHour;
    fields.tm_min = nMinute;
    fields.tm_sec = nSecond;
    return static_cast<std::int64_t>(timegm(&fields));
}

// The instants a local clock reading names, given the zone's offsets a day before it and a day
// after it (no zone changes its offset twice within two days).
CTime::SLocalInstants FindInstants(std::int64_t nClock, long nOffsetBefore, long nOffsetAfter)
{
    const CTime asBefore(nClock - nOffsetBefore);
    if (nOffsetBefore == nOffsetAfter)
        return {asBefore, asBefore, false};
    const CTime asAfter(nClock - nOffsetAfter);
    const bool bBeforeHolds = GetUtcOffset(asBefore.GetTime()) == nOffsetBefore;
    const bool bAfterHolds = GetUtcOffset(asAfter.GetTime()) == nOffsetAfter;
    if (bBeforeHolds && bAfterHolds)
        return {std::min(asBefore, asAfter), std::max(asBefore, asAfter), false};
    if (bBeforeHolds)
        return {asBefore, asBefore, false};
    if (bAfterHolds)
        return {asAfter, asAfter, false};
    // The clock skipped this reading. Read with the offset from before the change, it lands as
    // far past the change as it lay past the moment the clock jumped.
    return {asBefore, asBefore, true};
}
} // namespace

CTime::CLocalDay::CLocalDay(int nYear, int nMonth, int nDay)
    : m_nMidnight(GetClockSeconds(nYear, nMonth, nDay, 0, 0, 0)),
      m_nOffsetBefore(GetUtcOffset(m_nMidnight - kSecondsPerDay)),
      m_nOffsetAfter(GetUtcOffset(m_nMidnight + 2 * kSecondsPerDay))
{
}

CTime CTime::CLocalDay::At(int nHour, int nMinute, int nSecond) const
{
    const std::int64_t nClock = m_nMidnight + nHour * 3600 + nMinute * 60 + nSecond;
    return FindInstants(nClock, m_nOffsetBefore, m_nOffsetAfter).first;
}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
    : CTime(FindLocal(nYear, nMonth, nDay, nHour, nMinute, nSecond).first)
{
}

CTime::SLocalInstants CTime::FindLocal(int nYear, int nMonth, int nDay, int nHour, int nMinute,
                                       int nSecond)
{
    const std::int64_t nClock = GetClockSeconds(nYear, nMonth, nDay, nHour, nMinute, nSecond);
    return FindInstants(nClock, GetUtcOffset(nClock - kSecondsPerDay),
                        GetUtcOffset(nClock + kSecondsPerDay));
}

CTime CTime::NeverFired()
{
    return CTime(1997, 1, 1, 0, 0, 0);
}

CTime::SFields CTime::GetFields() const
{
    const std::time_t nTime = static_cast<std::time_t>(m_nSeconds);
    std::tm fields{};
    localtime_r(&nTime, &fields);
    return {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,    fields.tm_hour,
            fields.tm_min,         fields.tm_sec,     fields.tm_wday + 1};
}

int CTime::GetYear() const
{
    return GetFields().nYear;
}
int CTime::GetMonth() const
{
    return GetFields().nMonth;
}
int CTime::GetDay() const
{
    return GetFields().nDay;
}
int CTime::GetHour() const
{
    return GetFields().nHour;
}
int CTime::GetMinute() const
{
    return GetFields().nMinute;
}
int CTime::GetSecond() const
{
    return GetFields().nSecond;
}
int CTime::GetDayOfWeek() const
{
    return GetFields().nDayOfWeek;
}

int CTime::GetMinuteOfDay() const
{
    const SFields fields = GetFields();
    return fields.nHour * 60 + fields.nMinute;
}

CTime CTime::AddDays(int nDays) const
{
    const SFields fields = GetFields();
    return CTime(fields.nYear, fields.nMonth, fields.nDay + nDays, fields.nHour, fields.nMinute,
                 fields.nSecond);
}

CTime CTime::ToMinute() const
{
    return AddSeconds(-GetSecond());
}

std::string CTime::Format(char cBetween, bool bSeconds) const
{
    const SFields fields = GetFields();
    char szText[40];
    const int nLength =
        std::snprintf(szText, sizeof szText, "%04d-%02d-%02d%c%02d:%02d", fields.nYear,
                      fields.nMonth, fields.nDay, cBetween, fields.nHour, fields.nMinute);
    if (bSeconds)
        std::snprintf(szText + nLength, sizeof szText - nLength, ":%02d", fields.nSecond);
    return szText;
}
