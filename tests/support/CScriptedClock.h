#pragma once

#include "base/CTime.h"
#include "device/CClockBackend.h"

#include <deque>
#include <string>
#include <vector>

// A clock backend under a test's control: it reads m_now (local time) unless raw readings are
// queued, and records every request to set the system clock instead of touching the machine.
class CScriptedClock : public CClockBackend
{
public:
    explicit CScriptedClock(const CTime& now = CTime(1998, 3, 2, 6, 59, 0)) : m_now(now) {}

    bool ReadClock(SBcdReading& reading) override;
    bool SetSystemClock(const CTime& time, std::string& strError) override;
    const char* GetName() const override { return "scripted"; }

    void QueueReading(const SBcdReading& reading) { m_readings.push_back(reading); }

    CTime m_now;
    // Every SetSystemClock request as "YYYY-MM-DD HH:MM:SS".
    std::vector<std::string> m_setRequests;
    int m_nReads = 0;

private:
    std::deque<SBcdReading> m_readings;
};
