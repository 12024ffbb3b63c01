#pragma once

#include "device/CClockBackend.h"

// The operating system's clock standing in for a real-time clock that cannot be read.
class COsClock : public CClockBackend
{
public:
    // The operating system's local time now, as the clock chip would hold it.
    static SBcdReading ReadNow();

    bool ReadClock(SBcdReading& reading) override;
    // Setting the clock from itself changes nothing, so nothing is done.
    bool SetSystemClock(const CTime& time, std::string& strError) override;
    const char* GetName() const override { return "os"; }
    bool IsSystemClock() const override { return true; }
};
