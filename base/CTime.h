#pragma once

#include <compare>
#include <cstdint>
#include <string>

// A point in time to the second: seconds since 1970-01-01 00:00:00 UTC in 64 bits, built from
// and broken into local calendar fields by the C library's rules for the local time zone.
//
// Local fields do not always name one instant. In the hour repeated when the clocks go back
// they name two; built from fields, a time is the first of them. In the hour
// skipped when the clocks go forward they name none; a time is then read with the offset from
// before the change, which moves it on by the length of the gap (01:30 becomes 02:30). The
// result depends only on the fields and the zone, never on earlier calls of the C library.
class CTime
{
public:
    struct SLocalInstants;

    // One local date whose offsets from UTC are looked up once, so that many times of day on
    // it are turned into time values without asking the C library again for each.
    class CLocalDay
    {
    public:
        CLocalDay(int nYear, int nMonth, int nDay);
        // nHour 0-23, nMinute and nSecond 0-59.
        CTime At(int nHour, int nMinute, int nSecond) const;

    private:
        std::int64_t m_nMidnight; // the date's local midnight counted as if it were UTC
        long m_nOffsetBefore, m_nOffsetAfter;
    };

    CTime() = default;
    explicit CTime(std::int64_t nSeconds) : m_nSeconds(nSeconds) {}
    // Local calendar fields: month 1-12, day 1-31. Out-of-range fields carry over (day 32 of
    // January is 1 February).
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond);
    // Every instant the same fields name.
    static SLocalInstants FindLocal(int nYear, int nMonth, int nDay, int nHour, int nMinute,
                                    int nSecond);

    // The time a new event carries as "never fired": 1997-01-01 00:00:00 local.
    static CTime NeverFired();

    std::int64_t GetTime() const { return m_nSeconds; }

    int GetYear() const;
    int GetMonth() const; // 1-12
    int GetDay() const;   // 1-31
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;   // 1 = Sunday ... 7 = Saturday
    int GetMinuteOfDay() const; // hour * 60 + minute

    // The same local hour, minute and second nDays calendar days later (or earlier), so that a
    // daylight-saving change in between does not shift the time of day.
    CTime AddDays(int nDays) const;
    CTime AddSeconds(std::int64_t nSeconds) const { return CTime(m_nSeconds + nSeconds); }
    // This time with its seconds set to 0.
    CTime ToMinute() const;

    // "YYYY-MM-DD HH:MM", with cBetween between date and time and ":SS" when bSeconds.
    std::string Format(char cBetween = ' ', bool bSeconds = false) const;

    auto operator<=>(const CTime&) const = default;

private:
    struct SFields
    {
        int nYear, nMonth, nDay, nHour, nMinute, nSecond, nDayOfWeek;
    };
    SFields GetFields() const;

    std::int64_t m_nSeconds = 0;
};

// What local calendar fields name.
struct CTime::SLocalInstants
{
    CTime first;
    CTime last;    // later than first by the change in the repeated hour, else first itself
    bool bSkipped; // the fields fall in the skipped hour; first is moved on by the gap
};
