#pragma once

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Puts the process in a fixed time zone for the life of the object, so that tests of local
// calendar arithmetic do not depend on the machine's zone.
class CScopedTimeZone
{
public:
    explicit CScopedTimeZone(const char* pszZone)
    {
        if (const char* pszOld = std::getenv("TZ"))
            m_strOld = pszOld;
        setenv("TZ", pszZone, 1);
        tzset();
    }
    ~CScopedTimeZone()
    {
        if (m_strOld)
            setenv("TZ", m_strOld->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    CScopedTimeZone(const CScopedTimeZone&) = delete;
    CScopedTimeZone& operator=(const CScopedTimeZone&) = delete;

private:
    std::optional<std::string> m_strOld;
};

// Seconds since the epoch of a UTC date and time, worked out without the local zone, to state
// the instants local times are expected to name.
inline std::int64_t UtcSeconds(int nYear, int nMonth, int nDay, int nHour, int nMinute,
                               int nSecond = 0)
{
    std::tm fields{};
    fields.tm_year = nYear - 1900;
    fields.tm_mon = nMonth - 1;
    fields.tm_mday = nDay;
    fields.tm_hour = nHour;
    fields.tm_min = nMinute;
    fields.tm_sec = nSecond;
    return timegm(&fields);
}

// Calls mktime on noon of the first of nMonth 2024 (no call for 0). The C library's guess for
// the next ambiguous local time follows the offset it found there, so code that still asked
// mktime would answer differently after a summer and after a winter month.
inline void AskMktimeAbout(int nMonth)
{
    if (nMonth == 0)
        return;
    std::tm fields{};
    fields.tm_year = 2024 - 1900;
    fields.tm_mon = nMonth - 1;
    fields.tm_mday = 1;
    fields.tm_hour = 12;
    fields.tm_isdst = -1;
    std::mktime(&fields);
}
