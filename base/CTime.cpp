#include "base/CTime.h"

#include <cstdio>
#include <ctime>

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
{
    std::tm fields{};
    fields.tm_year = nYear - 1900;
    fields.tm_mon = nMonth - 1;
    fields.tm_mday = nDay;
    fields.tm_hour = nHour;
    fields.tm_min = nMinute;
    fields.tm_sec = nSecond;
    fields.tm_isdst = -1;
    m_nSeconds = static_cast<std::int64_t>(std::mktime(&fields));
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
