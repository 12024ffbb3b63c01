#include "device/CBiosClock.h"

#include "device/COsClock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>

namespace
{
// How often a garbled reading is taken again before the OS clock stands in.
constexpr int kInvalidReadingRetries = 3;
// The wait for a new clock second gives up after this long and uses the last reading.
constexpr auto kNewSecondBound = std::chrono::milliseconds(1100);
// A reading this close to the system clock is taken to be the system clock's own time. Less
// than half of any zone's change, so that only one reading of a repeated hour can be that close.
constexpr std::int64_t kSystemClockAgreement = 10 * 60;

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

// The clock's BCD bytes printed as hexadecimal read back as decimal digits, and the instants
// those local fields name.
CTime::SLocalInstants ConvertReading(const SBcdReading& reading)
{
    char szText[32];
    std::snprintf(szText, sizeof szText, "%02x%02x %02x %02x %02x:%02x:%02x", reading.nCentury,
                  reading.nYear, reading.nMonth, reading.nDay, reading.nHour, reading.nMinute,
                  reading.nSecond);
    SClockFields fields;
    std::sscanf(szText, "%04u %02u %02u %02u:%02u:%02u", &fields.nYear, &fields.nMonth,
                &fields.nDay, &fields.nHour, &fields.nMinute, &fields.nSecond);
    return CTime::FindLocal(static_cast<int>(fields.nYear), static_cast<int>(fields.nMonth),
                            static_cast<int>(fields.nDay), static_cast<int>(fields.nHour),
                            static_cast<int>(fields.nMinute), static_cast<int>(fields.nSecond));
}

std::int64_t GetDistance(const CTime& left, const CTime& right)
{
    return std::abs(left.GetTime() - right.GetTime());
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

// In the hour repeated when the clocks go back a reading names two instants. The system clock
// knows its own offset, so when it agrees with one of them that one is taken. Otherwise the
// one nearer the previous reading, the later on a tie: read once a second, the clock then
// runs on from 01:59:59 summer time to 01:00:00 winter time instead of back by an hour. With
// neither to go by, the first.
CTime CBiosClock::ToTime(const CTime::SLocalInstants& instants)
{
    if (instants.first == instants.last)
        return instants.first;
    const CTime system(static_cast<std::int64_t>(std::time(nullptr)));
    for (const CTime& instant : {instants.first, instants.last})
    {
        if (GetDistance(instant, system) <= kSystemClockAgreement)
            return instant;
    }
    if (!m_lastReading)
        return instants.first;
    const bool bFirstNearer =
        GetDistance(instants.first, *m_lastReading) < GetDistance(instants.last, *m_lastReading);
    return bFirstNearer ? instants.first : instants.last;
}

CTime CBiosClock::GetBiosTime()
{
    const SBcdReading first = TakeReading(m_backend);
    const SBcdReading second = TakeReading(m_backend);
    m_lastReading = ToTime(ConvertReading(PickReading(first, second)));
    return *m_lastReading;
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
    m_lastReading = ToTime(ConvertReading(PickReading(atNewSecond, after)));
    return m_backend.SetSystemClock(*m_lastReading, strError);
}
