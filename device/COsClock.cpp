#include "device/COsClock.h"

SBcdReading COsClock::ReadNow()
{
    const std::time_t nNow = std::time(nullptr);
    std::tm now{};
    localtime_r(&nNow, &now);
    return MakeBcdReading(now);
}

bool COsClock::ReadClock(SBcdReading& reading)
{
    reading = ReadNow();
    return true;
}

bool COsClock::SetSystemClock(const CTime&, std::string&)
{
    return true;
}
