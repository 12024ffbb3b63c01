#pragma once

#include "base/CTime.h"
#include "device/CClockBackend.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A clock that starts at a chosen local time and runs in real time from there, so that a run
// can be watched at any hour. It never touches the machine's clock: requests to set it are
// only recorded.
class CSimulatedClock : public CClockBackend
{
public:
    explicit CSimulatedClock(const CTime& start);

    // "YYYY-MM-DD HH:MM:SS" as local time, from 1970 on; nothing when the text is not such a
    // time.
    static std::optional<CTime> ParseStart(const std::string& strText);

    bool ReadClock(SBcdReading& reading) override;
    bool SetSystemClock(const CTime& time, std::string& strError) override;
    const char* GetName() const override { return "simulated"; }

    // Every request to set the machine's clock, as "YYYY-MM-DD HH:MM:SS".
    const std::vector<std::string>& GetSetRequests() const { return m_setRequests; }

private:
    CTime m_start;
    std::chrono::steady_clock::time_point m_startedAt;
    std::vector<std::string> m_setRequests;
};
