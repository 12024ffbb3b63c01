#pragma once

#include <cstdint>
#include <ctime>
#include <string>

class CTime;

// One reading of the real-time clock: seven two-digit BCD bytes as the clock chip holds them.
struct SBcdReading
{
    std::uint8_t nCentury = 0;
    std::uint8_t nYear = 0;
    std::uint8_t nMonth = 0;
    std::uint8_t nDay = 0;
    std::uint8_t nHour = 0;
    std::uint8_t nMinute = 0;
    std::uint8_t nSecond = 0;

    bool operator==(const SBcdReading&) const = default;
};

// A reading of the given calendar fields, encoded the way the clock chip holds them.
SBcdReading MakeBcdReading(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond);
// The same from broken-down time as the C library and the kernel's clock keep it.
SBcdReading MakeBcdReading(const std::tm& fields);
SBcdReading MakeBcdReading(const CTime& time);

// Where clock readings come from, and the one place that may set the machine's clock.
class CClockBackend
{
public:
    virtual ~CClockBackend() = default;

    // One reading, local time, BCD. False when the clock could not be read at all.
    virtual bool ReadClock(SBcdReading& reading) = 0;
    // Set the operating system's clock to this time (milliseconds 0). False with a reason in
    // strError when it was not set; backends that must never touch the machine's clock record
    // the request instead.
    virtual bool SetSystemClock(const CTime& time, std::string& strError) = 0;
    // A short name for the person: "rtc", "os", "simulated", ...
    virtual const char* GetName() const = 0;
    // True when the readings are the operating system's own clock, so that setting that clock
    // from them has nothing to do.
    virtual bool IsSystemClock() const { return false; }
    // True when the readings come from the battery-backed clock on the main board.
    virtual bool IsHardwareClock() const { return false; }
};
