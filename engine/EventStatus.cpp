#include "engine/EventStatus.h"

#include "document/CQuorbexDoc.h"

namespace
{
constexpr std::int64_t kMinute = 60;

// A one-time event that fired while the Event Programmer kept it reads "Expired" for the rest
// of the minute it fired in.
bool IsInFiredMinute(const CTimedEvent& event, const CTime& now)
{
    return event.m_lastFired <= now && now < event.m_lastFired.AddSeconds(kMinute);
}
} // namespace

EEventStatus GetEventStatus(const CQuorbexDoc& doc, const CTimedEvent& event, const CTime& now)
{
    if (event.IsFiring())
        return EEventStatus::Firing;
    if (!event.m_bDisabled && event.m_lastFired < event.m_lastMissed)
        return EEventStatus::Missed;
    if (&event == doc.m_pArmedEvent)
        return EEventStatus::Armed;
    const EEventStatus nSteady = GetSteadyEventStatus(event, now);
    if (nSteady == EEventStatus::Active && event.m_nFrequency == kFrequencyOnce &&
        IsInFiredMinute(event, now))
        return EEventStatus::Expired;
    return nSteady;
}

EEventStatus GetSteadyEventStatus(const CTimedEvent& event, const CTime& now)
{
    if (event.m_bDisabled)
        return EEventStatus::Disabled;
    if (event.m_nFrequency != kFrequencyOnce || now < event.m_time.AddSeconds(kMinute))
        return EEventStatus::Active;
    return EEventStatus::Expired;
}

const char* GetEventStatusText(EEventStatus nStatus)
{
    switch (nStatus)
    {
    case EEventStatus::Firing:
        return "FIRING";
    case EEventStatus::Armed:
        return "ARMED";
    case EEventStatus::Disabled:
        return "Disabled";
    case EEventStatus::Active:
        return "Active";
    case EEventStatus::Missed:
        return "Missed";
    case EEventStatus::Expired:
        break;
    }
    return "Expired";
}
