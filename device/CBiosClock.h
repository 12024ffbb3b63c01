#pragma once

#include "base/CTime.h"
#include "base/CTimeSource.h"
#include "device/CClockBackend.h"

#include <optional>
#include <string>

// The battery-backed clock as the program's only notion of the current time.
class CBiosClock : public CTimeSource
{
public:
    explicit CBiosClock(CClockBackend& backend) : m_backend(backend) {}

    // One reading, BCD as delivered.
    void ReadBiosClock(std::uint8_t* pCentury, std::uint8_t* pYear, std::uint8_t* pMonth,
                       std::uint8_t* pDay, std::uint8_t* pHour, std::uint8_t* pMinute,
                       std::uint8_t* pSecond);
    // The current local date and time by the clock.
    CTime GetBiosTime() override;
    // Sets the operating system's clock from this clock at the start of one of its seconds.
    // False, with the reason in strError, when the clock was not set.
    bool SetClockFromBios(std::string& strError);

    CClockBackend& GetBackend() { return m_backend; }
    const CClockBackend& GetBackend() const { return m_backend; }

private:
    // The instant a reading's local fields name, chosen in the repeated hour so that readings
    // run forward through the change.
    CTime ToTime(const CTime::SLocalInstants& instants);

    CClockBackend& m_backend;
    std::optional<CTime> m_lastReading;
};
