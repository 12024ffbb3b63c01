#pragma once

#include "device/CClockBackend.h"

#include <memory>
#include <string>

// The battery-backed real-time clock through the kernel's /dev/rtc0. The chip keeps UTC
// unless /etc/adjtime says LOCAL; readings are always handed on as local time. This is the
// one backend that sets the machine's clock.
class CRtcClock : public CClockBackend
{
public:
    static constexpr const char* kDevice = "/dev/rtc0";
    static constexpr const char* kAdjtime = "/etc/adjtime";

    // A backend on the clock when it can be read now; otherwise nothing, with the reason.
    static std::unique_ptr<CRtcClock> Open(std::string& strError);
    // Whether the adjtime file says the chip keeps local time (its third line is LOCAL).
    static bool KeepsLocalTime(const char* pszAdjtime);
    // A reading of the chip's fields as local time.
    static SBcdReading ToLocalReading(const std::tm& chipFields, bool bChipKeepsLocalTime);

    bool ReadClock(SBcdReading& reading) override;
    bool SetSystemClock(const CTime& time, std::string& strError) override;
    const char* GetName() const override { return "rtc"; }
    bool IsHardwareClock() const override { return true; }

private:
    explicit CRtcClock(bool bKeepsLocalTime) : m_bKeepsLocalTime(bKeepsLocalTime) {}
    // The chip's fields, or the reason they could not be read.
    static bool ReadChip(std::tm& fields, std::string& strError);

    bool m_bKeepsLocalTime;
};
