#include "device/CBiosClock.h"

#include "device/COsClock.h"

#include <chrono>
#include <cstdio>
#include <optional>

namespace
{
// How often a garbled reading is taken again before the OS clock stands in.
constexpr int kInvalidReadingRetries = 3;
// The wait for a new clock second gives up after this long and uses the last reading.
constexpr auto kNewSecondBound = std::chrono::milliseconds(1100);

struct SClockFields
{
    unsigned nYear = 0, nMonth = 0, nDay = 0, nHour = 0, nMinute = 0, nSecond = 0;
};

bool IsBcd(std::uint8_t nByte)
{
    return (nByte >> 4) <= 9 && (nByte & 0x0F) <= 9;
}

// A BCD byte holding a value within [nLow, nHigh].
bool IsBcdIn(std::uint8_t nByte, int nLow, int nHigh)
{
    const int nValue = (nByte >> 4) * 10 + (nByte & 0x0F);
    return IsBcd(nByte) && nValue >= nLow && nValue <= nHigh;
}

// Valid BCD is what the conversion needs; a field out of its range is just as much a
// garbled reading (a clock chip read while it updates, a dead battery).
bool IsValidReading(const SBcdReading& reading)
{
    return IsBcdIn(reading.nCentury, 0, 99) && IsBcdIn(reading.nYear, 0, 99) &&
           IsBcdIn(reading.nMonth, 1, 12) && IsBcdIn(reading.nDay, 1, 31) &&
           IsBcdIn(reading.nHour, 0, 23) && IsBcdIn(reading.nMinute, 0, 59) &&
           IsBcdIn(reading.nSecond, 0, 59);
}

// The clock's BCD bytes printed as hexadecimal read back as decimal digits.
SClockFields ConvertReading(const SBcdReading& reading)
{
    char szText[32];
    std::snprintf(szText, sizeof szText, "%02x%02x %02x %02x %02x:%02x:%02x", reading.nCentury,
                  reading.nYear, reading.nMonth, reading.nDay, reading.nHour, reading.nMinute,
                  reading.nSecond);
    SClockFields fields;
    std::sscanf(szText, "%04u %02u %02u %02u:%02u:%02u", &fields.nYear, &fields.nMonth,
                &fields.nDay, &fields.nHour, &fields.nMinute, &fields.nSecond);
    return fields;
}

// A valid reading of the clock, or nothing after a few garbled or failed ones.
std::optional<SBcdReading> TryReading(CClockBackend& backend)
{
    SBcdReading reading;
    for (int nTry = 0; nTry < kInvalidReadingRetries; ++nTry)
    {
        if (backend.ReadClock(reading) && IsValidReading(reading))
            return reading;
    }
    return std::nullopt;
}

SBcdReading TakeReading(CClockBackend& backend)
{
    // The clock gives nothing usable: the operating system's clock stands in.
    return TryReading(backend).value_or(COsClock::ReadNow());
}

// Of two readings taken one after the other, the second wins when the day changed between them.
const SBcdReading& PickReading(const SBcdReading& first, const SBcdReading& second)
{
    return first.nDay == second.nDay ? first : second;
}
} // namespace

SBcdReading MakeBcdReading(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
{
    const auto toBcd = [](int nValue)
    { return static_cast<std::uint8_t>(((nValue / 10) << 4) | (nValue % 10)); };
    return {toBcd(nYear / 100), toBcd(nYear % 100), toBcd(nMonth), toBcd(nDay),
            toBcd(nHour),       toBcd(nMinute),     toBcd(nSecond)};
}

SBcdReading MakeBcdReading(const std::tm& fields)
{
    return MakeBcdReading(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
                          fields.tm_min, fields.tm_sec);
}

SBcdReading MakeBcdReading(const CTime& time)
{
    return MakeBcdReading(time.GetYear(), time.GetMonth(), time.GetDay(), time.GetHour(),
                          time.GetMinute(), time.GetSecond());
}

std::string FormatClockRequest(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
{
    char szText[32];
    std::snprintf(szText, sizeof szText, "%04d-%02d-%02d %02d:%02d:%02d", nYear, nMonth, nDay,
                  nHour, nMinute, nSecond);
    return szText;
}

void CBiosClock::ReadBiosClock(std::uint8_t* pCentury, std::uint8_t* pYear, std::uint8_t* pMonth,
                               std::uint8_t* pDay, std::uint8_t* pHour, std::uint8_t* pMinute,
                               std::uint8_t* pSecond)
{
    const SBcdReading reading = TakeReading(m_backend);
    *pCentury = reading.nCentury;
    *pYear = reading.nYear;
    *pMonth = reading.nMonth;
    *pDay = reading.nDay;
    *pHour = reading.nHour;
    *pMinute = reading.nMinute;
    *pSecond = reading.nSecond;
}

CTime CBiosClock::GetBiosTime()
{
    const SBcdReading first = TakeReading(m_backend);
    const SBcdReading second = TakeReading(m_backend);
    const SClockFields fields = ConvertReading(PickReading(first, second));
    return CTime(static_cast<int>(fields.nYear), static_cast<int>(fields.nMonth),
                 static_cast<int>(fields.nDay), static_cast<int>(fields.nHour),
                 static_cast<int>(fields.nMinute), static_cast<int>(fields.nSecond));
}

bool CBiosClock::SetClockFromBios(std::string& strError)
{
    // Waiting up to a second for the next clock second would only freeze the windows.
    if (m_backend.IsSystemClock())
        return true;
    // Setting the system clock from the system clock standing in would only report a success
    // that never happened.
    const std::optional<SBcdReading> start = TryReading(m_backend);
    if (!start)
    {
        strError = std::string("the ") + m_backend.GetName() + " clock cannot be read";
        return false;
    }
    const auto giveUp = std::chrono::steady_clock::now() + kNewSecondBound;
    SBcdReading atNewSecond = TakeReading(m_backend);
    while (atNewSecond.nSecond == start->nSecond && std::chrono::steady_clock::now() < giveUp)
        atNewSecond = TakeReading(m_backend);
    const SBcdReading after = TakeReading(m_backend);
    const SClockFields fields = ConvertReading(PickReading(atNewSecond, after));
    return m_backend.SetSystemClock(static_cast<int>(fields.nYear), static_cast<int>(fields.nMonth),
                                    static_cast<int>(fields.nDay), static_cast<int>(fields.nHour),
                                    static_cast<int>(fields.nMinute),
                                    static_cast<int>(fields.nSecond), strError);
}
